// The station on top of the framing, against a scripted console: what it
// asks for, what it makes of a console without LOOP2, and a console at the
// far end of a socket that never stops talking or never answers.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "protocol/crc.h"
#include "stationlib/station.h"
#include "tests/unit/stationlib/endless_line.h"
#include "tests/unit/stationlib/scripted_console.h"
#include "tests/unit/stationlib/socket_console.h"

namespace tv::stationlib {
namespace {

std::string Block(std::vector<std::uint8_t> data) {
  protocol::AppendCrc(data);
  return "\x06" + std::string(data.begin(), data.end());
}

std::vector<std::uint8_t> LoopPacket(std::uint8_t type) {
  std::vector<std::uint8_t> p(97, 0);
  p[0] = 'L', p[1] = 'O', p[2] = 'O', p[4] = type;
  p[7] = 0x23, p[8] = 0x75;    // 29.987 inHg
  p[12] = 0xB3, p[13] = 0x01;  // 43.5 °F
  p[14] = 15;                  // 15 mph
  p[33] = 78;                  // 78 %
  p[95] = 0x0A, p[96] = 0x0D;
  return p;
}

// A console of the family, with or without the LOOP2 request.
ScriptedConsole::Answer Console(bool has_lps, int* lps_requests) {
  return [=](const std::string& w) -> std::string {
    if (w == "\n") return "\n\r";
    if (w == std::string("WRD\x12\x4D\n")) return "\x06\x10";
    if (w == "EEBRD 00 52\n") {
      std::vector<std::uint8_t> setup(0x52, 0);
      setup[0x2B] = 0x10;  // 0.2 mm rain collector
      return Block(setup);
    }
    if (w == "LOOP 1\n") return Block(LoopPacket(0));
    if (w == "LPS 2 1\n") {
      ++*lps_requests;
      return has_lps ? Block(LoopPacket(1)) : "\n\r";
    }
    return "\n\r";
  };
}

TEST(Station, ConsoleWithoutLoop2) {
  std::vector<std::string> log;
  int lps = 0;
  Station station;
  ASSERT_EQ(station.OpenStream(std::make_unique<ScriptedConsole>(Console(false, &lps), &log),
                               LinkKind::kSerial),
            VP_OK);
  ASSERT_EQ(station.Init(), VP_OK);
  EXPECT_EQ(station.ModelNo(), 16);
  EXPECT_EQ(station.Loop2Supported(), 0);
  ASSERT_EQ(station.LoadCurrent(), VP_OK);
  ASSERT_EQ(station.LoadCurrent(), VP_OK);
  EXPECT_EQ(lps, 1) << "a refused LOOP2 request is not repeated on every load";
  EXPECT_NEAR(station.Current(1).value, 37.0, 0.5) << "dew point derived from LOOP";
  EXPECT_EQ(station.Current(5).value, VP_NO_DATA) << "THSW needs LOOP2";
  EXPECT_NEAR(station.Current(0).value, 43.5, 1e-9);
}

TEST(Station, ConsoleWithLoop2AsksForBothPackets) {
  std::vector<std::string> log;
  int lps = 0;
  Station station;
  ASSERT_EQ(station.OpenStream(std::make_unique<ScriptedConsole>(Console(true, &lps), &log),
                               LinkKind::kTcp),
            VP_OK);
  ASSERT_EQ(station.LoadCurrent(), VP_OK) << "the set-up is read when no one asked for it";
  EXPECT_EQ(station.Loop2Supported(), 1);
  EXPECT_EQ(lps, 1);
  ASSERT_EQ(station.LoadCurrent(), VP_OK);
  EXPECT_EQ(lps, 2);
  // Closing a link of another kind leaves this one open; closing it ends the exchanges.
  station.Close(LinkKind::kSerial);
  EXPECT_EQ(station.LoadCurrent(), VP_OK);
  station.Close(LinkKind::kTcp);
  EXPECT_EQ(station.LoadCurrent(), VP_ERR_COMM);
  EXPECT_NEAR(station.Current(0).value, 43.5, 1e-9) << "what was loaded stays readable";
}

TEST(Station, NewLinkForgetsWhatTheOldOneLoaded) {
  std::vector<std::string> log;
  int lps = 0;
  Station station;
  station.OpenStream(std::make_unique<ScriptedConsole>(Console(true, &lps), &log),
                     LinkKind::kSerial);
  ASSERT_EQ(station.LoadCurrent(), VP_OK);
  station.OpenStream(std::make_unique<ScriptedConsole>(Console(true, &lps), &log),
                     LinkKind::kSerial);
  EXPECT_EQ(station.Current(0).code, VP_ERR_NEEDS_LOAD);
}

TEST(Station, LineThatGoesAwayIsForgottenAtOnce) {
  std::vector<std::string> log;
  int lps = 0;
  bool destroyed = false;
  Station station;
  auto stream = std::make_unique<ScriptedConsole>(Console(true, &lps), &log);
  ScriptedConsole* console = stream.get();
  console->destroyed_ = &destroyed;
  ASSERT_EQ(station.OpenStream(std::move(stream), LinkKind::kTcp), VP_OK);
  ASSERT_EQ(station.LoadCurrent(), VP_OK);

  console->hang_up_when_empty_ = true;  // the next read finds the peer gone
  log.clear();
  EXPECT_EQ(station.LoadHiLows(), VP_ERR_COMM);
  EXPECT_TRUE(destroyed) << "the stream is released as soon as the loss is seen";

  const std::size_t writes = log.size();
  VantageDateTime time{};
  std::string text;
  struct Row {
    const char* legend;
    std::function<std::int16_t()> op;
  };
  const Row rows[] = {
      {"Init", [&] { return station.Init(); }},
      {"LoadCurrent", [&] { return station.LoadCurrent(); }},
      {"LoadHiLows", [&] { return station.LoadHiLows(); }},
      {"LoadAlarms", [&] { return station.LoadAlarms(); }},
      {"StationTime", [&] { return station.StationTime(&time); }},
      {"FirmwareVersion", [&] { return station.FirmwareVersion(text); }},
  };
  for (const Row& row : rows) EXPECT_EQ(row.op(), VP_ERR_COMM) << row.legend;
  EXPECT_EQ(log.size(), writes) << "nothing more is sent on a forgotten link";
  EXPECT_EQ(station.BytesExchanged(), 0U);
  EXPECT_EQ(station.Close(LinkKind::kTcp), VP_OK) << "closing a forgotten link is harmless";

  ASSERT_EQ(station.OpenStream(std::make_unique<ScriptedConsole>(Console(true, &lps), &log),
                               LinkKind::kTcp),
            VP_OK);
  EXPECT_EQ(station.LoadCurrent(), VP_OK) << "the next open starts clean";
}

long MaxRssKib() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(Station, ReplyWithoutLineEndsFailsWithLittleMemory) {
  // 100 MB of a firmware version that never ends, as fast as a socket goes.
  SocketConsole console("NVER", "\n\rOK\n\r", 100'000'000);
  Station station;
  ASSERT_EQ(station.OpenStream(console.LinkEnd(), LinkKind::kTcp), VP_OK);
  const long rss_before = MaxRssKib();
  std::string version;
  EXPECT_EQ(station.FirmwareVersion(version), VP_ERR_COMM);
  const long growth_kib = MaxRssKib() - rss_before;
  RecordProperty("max_rss_growth_kib", static_cast<int>(growth_kib));
  EXPECT_LT(growth_kib, 16 * 1024) << "the reply is dropped past its largest size";
  EXPECT_LT(console.Flooded(), 100'000'000U) << "the reader stopped reading";
  station.Close(LinkKind::kNone);
}

// A close from another thread (the program stopping) ends the exchange where
// it is, with delays that would otherwise last an hour.
TEST(Station, CloseFromAnotherThreadEndsTheExchangeAtOnce) {
  LinkTimings timings;
  timings.wake_timeout = std::chrono::hours(1);
  const FlushBound endless_flush{std::numeric_limits<std::size_t>::max(), std::chrono::hours(1)};
  struct Row {
    const char* legend;
    bool talking;  // the console talks from the start: the flush never ends
  } rows[] = {
      {"inside the input flush", true},
      {"inside the wake-up", false},
  };
  for (const Row& row : rows) {
    SocketConsole silent("NEVER", "", 0);
    std::unique_ptr<ByteStream> stream =
        row.talking ? EndlessLine(endless_flush) : silent.LinkEnd(endless_flush);
    Station station(timings);
    ASSERT_EQ(station.OpenStream(std::move(stream), LinkKind::kSerial), VP_OK) << row.legend;
    const std::uint64_t read_before = BytesReadByProcess();
    std::int16_t result = VP_OK;
    std::thread load([&] { result = station.LoadHiLows(); });
    // Wait until the flush has dropped a good many bytes, or the LF is out.
    if (row.talking) {
      while (BytesReadByProcess() < read_before + (64 << 20)) std::this_thread::yield();
    } else {
      while (silent.LineFeeds() == 0) std::this_thread::yield();
    }
    EXPECT_EQ(station.Close(LinkKind::kNone), VP_OK) << row.legend;
    load.join();
    EXPECT_EQ(result, VP_ERR_COMM) << row.legend;
  }
}

}  // namespace
}  // namespace tv::stationlib
