// The framing layer against a scripted console: wake-up, acknowledgement,
// CRC re-asks, refusals, text replies, a line that goes away, replies
// without end, and every delay of the link on a simulated clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/crc.h"
#include "stationlib/console_link.h"
#include "tests/unit/stationlib/scripted_console.h"
#include "tests/unit/stationlib/timed_console.h"

namespace tv::stationlib {
namespace {

const std::string kWake = "\n";
const std::string kAwake = "\n\r";
const std::string kAck = "\x06";

std::string WithCrc(std::string data) {
  std::vector<std::uint8_t> block(data.begin(), data.end());
  protocol::AppendCrc(block);
  return std::string(block.begin(), block.end());
}

std::string BadCrc(std::string data) {
  std::string block = WithCrc(std::move(data));
  block.back() = static_cast<char>(block.back() ^ 0x01);
  return block;
}

int Count(const std::vector<std::string>& log, const std::string& what) {
  int n = 0;
  for (const auto& w : log) n += w == what ? 1 : 0;
  return n;
}

struct Harness {
  std::vector<std::string> log;
  ScriptedConsole* console = nullptr;
  std::unique_ptr<ConsoleLink> link;

  explicit Harness(ScriptedConsole::Answer answer) {
    auto stream = std::make_unique<ScriptedConsole>(std::move(answer), &log);
    console = stream.get();
    link = std::make_unique<ConsoleLink>(std::move(stream));
  }
};

TEST(Wake, RetriesUntilTheConsoleAnswers) {
  int lfs = 0;
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake && ++lfs >= 3) return "\r\n\r";  // a stray CR before the reply is fine
    return "";
  });
  EXPECT_TRUE(h.link->Wake());
  EXPECT_EQ(Count(h.log, kWake), 3);
}

TEST(Wake, GivesUpAfterThreeAttempts) {
  Harness h([](const std::string&) { return std::string(); });
  EXPECT_FALSE(h.link->Wake());
  EXPECT_EQ(h.link->LastError(), LinkError::kNoWake);
  EXPECT_EQ(Count(h.log, kWake), 3);
  // A binary command does not retry the whole wake-up: bounded at three LFs.
  EXPECT_FALSE(h.link->Binary("HILOWS", 4));
  EXPECT_EQ(Count(h.log, kWake), 6);
}

TEST(Binary, BlockFailingItsCrcIsAskedAgainWithNak) {
  int blocks = 0;
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    const std::string time("\x00\x1B\x0F\x04\x06\x67", 6);
    if (w == "GETTIME\n") return kAck + (++blocks == 1 ? BadCrc(time) : "");
    if (w == "\x15") return WithCrc(time);
    return "";
  });
  const auto data = h.link->Binary("GETTIME", 6);
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, (std::vector<std::uint8_t>{0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67}));
  EXPECT_EQ(Count(h.log, "\x15"), 1);
}

TEST(Binary, CrcErrorsAreReAskedABoundedNumberOfTimes) {
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    if (w == "HILOWS\n") return kAck + BadCrc("ABCD");
    if (w == "\x15") return BadCrc("ABCD");
    return "";
  });
  EXPECT_FALSE(h.link->Binary("HILOWS", 4));
  EXPECT_EQ(h.link->LastError(), LinkError::kBadCrc);
  const LinkTimings t;
  EXPECT_EQ(Count(h.log, "HILOWS\n"), t.command_attempts);
  EXPECT_EQ(Count(h.log, "\x15"), t.command_attempts * t.crc_retries);
}

TEST(Binary, MissingAcknowledgementIsRetriedAfterAFreshWakeUp) {
  int commands = 0;
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    if (w == "EEBRD 0B 02\n") return ++commands == 1 ? "" : kAck + WithCrc("\xC5\x01");
    return "";
  });
  const auto data = h.link->Binary("EEBRD 0B 02", 2);
  ASSERT_TRUE(data);
  EXPECT_EQ((*data)[0], 0xC5);
  EXPECT_EQ(commands, 2);
  EXPECT_EQ(Count(h.log, kWake), 2);
}

TEST(Binary, RefusedCommandFailsWithoutCrcOrAckConfusion) {
  struct Row {
    const char* legend;
    std::string reply;
  } rows[] = {
      {"bare line end (unknown command)", "\n\r"},
      {"noise instead of ACK", "\x93\x41Z"},
  };
  for (const Row& row : rows) {
    Harness h([&](const std::string& w) -> std::string {
      if (w == kWake) return kAwake;
      return row.reply;
    });
    EXPECT_FALSE(h.link->Binary("LPS 2 1", 97, true, 1)) << row.legend;
    EXPECT_EQ(h.link->LastError(), LinkError::kNoReply) << row.legend;
    EXPECT_EQ(Count(h.log, "LPS 2 1\n"), 1) << row.legend;
    EXPECT_FALSE(h.link->Failed()) << row.legend;
  }
}

TEST(Binary, WrdByteHasNoCrc) {
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    if (w == std::string("WRD\x12\x4D\n")) return kAck + "\x10";
    return "";
  });
  const auto type = h.link->Binary(std::string("WRD\x12\x4D"), 1, false);
  ASSERT_TRUE(type);
  EXPECT_EQ((*type)[0], 16);
}

TEST(Binary, LineGoingAwayMidBlockFailsAtOnceAndForGood) {
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    if (w == "HILOWS\n") return kAck + "AB";  // half of the block, then the line closes
    return "";
  });
  h.console->hang_up_when_empty_ = true;
  EXPECT_FALSE(h.link->Binary("HILOWS", 4));
  EXPECT_EQ(h.link->LastError(), LinkError::kClosed);
  EXPECT_TRUE(h.link->Failed());
  EXPECT_EQ(Count(h.log, "HILOWS\n"), 1);
  EXPECT_FALSE(h.link->Wake());
}

TEST(Binary, InterruptedLinkMakesNoFurtherExchange) {
  Harness h([](const std::string&) { return kAwake; });
  h.link->Interrupt();
  EXPECT_FALSE(h.link->Binary("GETTIME", 6));
  EXPECT_TRUE(h.log.empty());
}

TEST(Text, RepliesSplitOnLineEnds) {
  struct Row {
    const char* legend;
    std::string reply;
    std::size_t lines;
    std::vector<std::string> expected;
  } rows[] = {
      {"RXCHECK line with leading space",
       "\n\rOK\n\r 21629 15 0 3204 128\n\r",
       1,
       {" 21629 15 0 3204 128"}},
      {"VER", "\n\rOK\n\rApr 24 2002\n\r", 1, {"Apr 24 2002"}},
      {"several lines",
       "\n\rOK\n\rBAR 29775\n\rDEW POINT 56\n\r",
       2,
       {"BAR 29775", "DEW POINT 56"}},
  };
  for (const Row& row : rows) {
    Harness h([&](const std::string& w) -> std::string {
      if (w == kWake) return kAwake;
      return row.reply;
    });
    const auto lines = h.link->Text("X", row.lines);
    ASSERT_TRUE(lines) << row.legend;
    EXPECT_EQ(*lines, row.expected) << row.legend;
  }
}

TEST(Text, RefusalAndIncompleteReplies) {
  struct Row {
    const char* legend;
    std::string reply;
    int commands_sent;
  } rows[] = {
      {"NO is final", "\n\rNO\n\r", 1},
      {"a line short is asked again, then fails", "\n\rOK\n\r", 2},
      {"silence is asked again, then fails", "", 2},
  };
  for (const Row& row : rows) {
    Harness h([&](const std::string& w) -> std::string {
      if (w == kWake) return kAwake;
      return row.reply;
    });
    EXPECT_FALSE(h.link->Text("NVER", 1)) << row.legend;
    EXPECT_EQ(Count(h.log, "NVER\n"), row.commands_sent) << row.legend;
  }
}

TEST(Accounting, CountsBytesBothWays) {
  Harness h([&](const std::string& w) -> std::string {
    if (w == kWake) return kAwake;
    return kAck + WithCrc("xyz");
  });
  ASSERT_TRUE(h.link->Binary("EEBRD 0B 03", 3));
  // LF + LF CR + "EEBRD 0B 03\n" + ACK + 3 data + 2 CRC.
  EXPECT_EQ(h.link->BytesExchanged(), 1u + 2 + 12 + 1 + 3 + 2);
}

// A console that, once `trigger` is written, answers `prefix` and then
// repeats `pattern` as fast as it is read, up to 100 MB; wake-ups before the
// trigger are answered normally. Counts the bytes the link took from the
// trigger on.
class FloodingConsole final : public ByteStream {
 public:
  static constexpr std::size_t kFlood = 100'000'000;

  FloodingConsole(std::string trigger, std::string prefix, std::string pattern)
      : trigger_(std::move(trigger)), prefix_(std::move(prefix)), pattern_(std::move(pattern)) {}

  IoStatus Write(std::span<const std::uint8_t> data, Deadline) override {
    const std::string text(data.begin(), data.end());
    if (text == trigger_) {
      flooding_ = true;
      queue_ += prefix_;
    } else if (text == kWake && !flooding_) {
      queue_ += kAwake;
    }
    return IoStatus::kOk;
  }
  IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline) override {
    got = 0;
    while (got < out.size() && !queue_.empty()) {
      out[got++] = static_cast<std::uint8_t>(queue_.front());
      queue_.erase(0, 1);
    }
    while (got < out.size() && flooding_ && flooded_ < kFlood) {
      out[got++] = static_cast<std::uint8_t>(pattern_[flooded_++ % pattern_.size()]);
    }
    if (flooding_) taken_ += got;
    return got > 0 ? IoStatus::kOk : IoStatus::kTimeout;
  }
  // A line that keeps talking: the flush meets its bound.
  IoStatus DiscardInput() override {
    queue_.clear();
    return flooding_ ? IoStatus::kTimeout : IoStatus::kOk;
  }
  void Interrupt() override {}
  int BaudRate() const override { return 19200; }

  std::size_t taken_ = 0;

 private:
  std::string trigger_, prefix_, pattern_;
  std::string queue_;
  bool flooding_ = false;
  std::size_t flooded_ = 0;
};

TEST(Limits, ReplyWithoutEndFailsItsExchangeHoldingLittle) {
  struct Row {
    const char* legend;
    std::string trigger, prefix, pattern;
    std::function<bool(ConsoleLink&)> exchange;
    LinkError error;
    std::size_t most_taken;  // bytes the link may read (and so hold) at most
  } rows[] = {
      {"wake-up answered by bytes without LF CR, three attempts", kWake, "", "A",
       [](ConsoleLink& l) { return l.Wake(); }, LinkError::kNoWake, 3 * 16},
      {"line ends without end instead of an ACK", "LOOP 1\n", "", "\n\r",
       [](ConsoleLink& l) { return l.Binary("LOOP 1", 97).has_value(); }, LinkError::kTooLong, 16},
      {"one-line reply without line end", "NVER\n", "\n\rOK\n\r", "7",
       [](ConsoleLink& l) { return l.Text("NVER", 1).has_value(); }, LinkError::kTooLong, 2 * 64},
      {"nine-line reply, then no more line ends", "BARDATA\n",
       "\n\rOK\n\rBAR 29775\n\rELEVATION 27\n\rDEW POINT 56\n\r", "9",
       [](ConsoleLink& l) { return l.Text("BARDATA", 9).has_value(); }, LinkError::kTooLong,
       10 * 64},
  };
  for (const Row& row : rows) {
    auto stream = std::make_unique<FloodingConsole>(row.trigger, row.prefix, row.pattern);
    FloodingConsole* console = stream.get();
    ConsoleLink link(std::move(stream));
    EXPECT_FALSE(row.exchange(link)) << row.legend;
    EXPECT_EQ(link.LastError(), row.error) << row.legend;
    EXPECT_LE(console->taken_, row.most_taken) << row.legend;
    EXPECT_FALSE(link.Failed()) << row.legend << ": a garbled reply leaves the link usable";
  }
}

// Every delay of the link, just below and just above its bound, on the
// simulated clock: a changed delay fails a row at once instead of costing
// its time. One command attempt, so that each row meets one bound.
TEST(Delays, JustBelowAndJustAboveEachBound) {
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  using Arrivals = std::vector<TimedConsole::Arrival>;
  const std::string time_block = WithCrc(std::string("\x00\x1B\x0F\x04\x06\x67", 6));
  // ACK, then the block with its last byte `last` after the command.
  auto block = [](std::size_t size, milliseconds last) {
    const std::string data = WithCrc(std::string(size, 'b'));
    return Arrivals{{milliseconds(0), kAck + data.substr(0, data.size() - 1)},
                    {last, data.substr(data.size() - 1)}};
  };
  // Wake-ups answered at once, `command` answered by `reply`.
  auto console = [](std::string command, Arrivals reply) {
    return [=](const std::string& w, int) {
      if (w == kWake) return Arrivals{{milliseconds(0), kAwake}};
      return w == command + "\n" ? reply : Arrivals{};
    };
  };
  // Only the `nth` LF is answered, at once.
  auto wakes_on = [](int nth) {
    return [=](const std::string& w, int n) {
      return w == kWake && n == nth ? Arrivals{{milliseconds(0), kAwake}} : Arrivals{};
    };
  };
  auto wake_after = [](milliseconds delay) {
    return [=](const std::string& w, int) {
      return w == kWake ? Arrivals{{delay, kAwake}} : Arrivals{};
    };
  };
  auto gettime = [](ConsoleLink& l) { return l.Binary("GETTIME", 6).has_value(); };
  auto nver = [](ConsoleLink& l) { return l.Text("NVER", 1).has_value(); };
  auto loop = [](ConsoleLink& l) { return l.Binary("LOOP 1", 97).has_value(); };
  auto hilows = [](ConsoleLink& l) { return l.Binary("HILOWS", 436).has_value(); };
  auto wake = [](ConsoleLink& l) { return l.Wake(); };
  const std::string nver_reply = "\n\rOK\n\r1.73\n\r";

  struct Row {
    const char* legend;
    TimedConsole::Answer answer;
    std::function<bool(ConsoleLink&)> exchange;
    bool ok;
    microseconds ends_at;  // simulated time when the exchange is over
    int wake_ups;          // LFs sent
  } rows[] = {
      {"ACK 1999 ms after the command",
       console("GETTIME", {{milliseconds(1999), kAck + time_block}}), gettime, true,
       milliseconds(1999), 1},
      {"ACK 2001 ms after the command: reply time-out at 2 s",
       console("GETTIME", {{milliseconds(2001), kAck + time_block}}), gettime, false,
       milliseconds(2000), 1},
      {"text reply 1999 ms after the command", console("NVER", {{milliseconds(1999), nver_reply}}),
       nver, true, milliseconds(1999), 1},
      {"text reply 2001 ms after the command: reply time-out at 2 s",
       console("NVER", {{milliseconds(2001), nver_reply}}), nver, false, milliseconds(2000), 1},
      {"one-line text reply complete at 2599 ms",
       console("NVER", {{milliseconds(0), "\n\rOK\n\r1.7"}, {milliseconds(2599), "3\n\r"}}), nver,
       true, milliseconds(2599), 1},
      {"one-line text reply complete at 2601 ms: 128 bytes of wire time + 2.5 s",
       console("NVER", {{milliseconds(0), "\n\rOK\n\r1.7"}, {milliseconds(2601), "3\n\r"}}), nver,
       false, microseconds(2'599'999), 1},
      {"LOOP block complete at 2577 ms", console("LOOP 1", block(97, milliseconds(2577))), loop,
       true, milliseconds(2577), 1},
      {"LOOP block complete at 2578 ms: 99 bytes at 19200 baud x 1.5 + 2.5 s",
       console("LOOP 1", block(97, milliseconds(2578))), loop, false, microseconds(2'577'343), 1},
      {"HILOWS block complete at 2842 ms", console("HILOWS", block(436, milliseconds(2842))),
       hilows, true, milliseconds(2842), 1},
      {"HILOWS block complete at 2843 ms: 438 bytes at 19200 baud x 1.5 + 2.5 s",
       console("HILOWS", block(436, milliseconds(2843))), hilows, false, microseconds(2'842'187),
       1},
      {"wake-up answered 1199 ms after its LF", wake_after(milliseconds(1199)), wake, true,
       milliseconds(1199), 1},
      {"wake-up answered 1201 ms after its LF: taken by the second attempt at 1.2 s",
       wake_after(milliseconds(1201)), wake, true, milliseconds(1201), 2},
      {"only the third LF answered", wakes_on(3), wake, true, milliseconds(2400), 3},
      {"only a fourth LF would be answered: gives up after 3 x 1.2 s", wakes_on(4), wake, false,
       milliseconds(3600), 3},
      {"ACK 299 ms after a bare line end",
       console("GETTIME", {{milliseconds(0), "\n\r"}, {milliseconds(299), kAck + time_block}}),
       gettime, true, milliseconds(299), 1},
      {"ACK 301 ms after a bare line end: refused after 300 ms",
       console("GETTIME", {{milliseconds(0), "\n\r"}, {milliseconds(301), kAck + time_block}}),
       gettime, false, milliseconds(300), 1},
  };
  for (const Row& row : rows) {
    auto stream = std::make_unique<TimedConsole>(row.answer);
    TimedConsole* timed = stream.get();
    LinkTimings timings;
    timings.command_attempts = 1;
    ConsoleLink link(std::move(stream), timings);
    EXPECT_EQ(row.exchange(link), row.ok) << row.legend;
    EXPECT_EQ(timed->Elapsed(), row.ends_at) << row.legend;
    EXPECT_EQ(timed->Writes(kWake), row.wake_ups) << row.legend;
  }
}

}  // namespace
}  // namespace tv::stationlib
