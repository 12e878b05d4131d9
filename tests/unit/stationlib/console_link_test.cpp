// The framing layer against a scripted console: wake-up, acknowledgement,
// CRC re-asks, refusals, text replies and a line that goes away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/crc.h"
#include "stationlib/console_link.h"
#include "tests/unit/stationlib/scripted_console.h"

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

}  // namespace
}  // namespace tv::stationlib
