// The simulated console's byte-level behaviour, without any I/O.

#include "simulator/console_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/crc.h"
#include "protocol/eeprom_map.h"
#include "simulator/scenario.h"

namespace tv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes B(std::string_view s) {
  return {s.begin(), s.end()};
}

struct Console {
  explicit Console(const char* scenario = "default", int loop_interval_ms = 2000) {
    CoreOptions o;
    o.start = MakeConsoleSeconds(2003, 6, 4, 15, 27, 0);
    o.rate = 1e-9;  // the console clock stands still
    o.loop_interval_ms = loop_interval_ms;
    core = std::make_unique<SimulatorCore>(*FindScenario(scenario), o);
    session = std::make_unique<ConsoleSession>(*core);
  }
  // Feeds bytes and returns everything the console sends back at once.
  Bytes Feed(const Bytes& in) {
    std::vector<Outgoing> out;
    session->OnInput(in.data(), in.size(), now, out);
    return Join(out);
  }
  Bytes Feed(std::string_view in) { return Feed(B(in)); }
  Bytes Poll(std::chrono::milliseconds later) {
    now += later;
    std::vector<Outgoing> out;
    session->Poll(now, out);
    return Join(out);
  }
  Bytes Join(std::vector<Outgoing>& out) {
    Bytes all;
    hung_up = false;
    for (auto& o : out) {
      all.insert(all.end(), o.bytes.begin(), o.bytes.end());
      hung_up = hung_up || o.hang_up;
    }
    return all;
  }
  std::unique_ptr<SimulatorCore> core;
  std::unique_ptr<ConsoleSession> session;
  Clock::time_point now = Clock::now();
  bool hung_up = false;
};

TEST(ConsoleSession, Replies) {
  struct Row {
    const char* legend;
    const char* scenario;
    std::vector<Bytes> inputs;  // fed in turn; only the last reply is checked
    Bytes expected;
  };
  const Bytes wake = B("\n");
  const Row rows[] = {
      {"a sleeping console answers the wake-up LF", "default", {wake}, B("\n\r")},
      {"a sleeping console loses the first byte of a command", "default", {B("TEST\n")}, B("\n\r")},
      {"TEST echoes its name", "default", {wake, B("TEST\n")}, B("TEST\n\r")},
      {"a CR ends a command as well", "default", {wake, B("TEST\r")}, B("TEST\n\r")},
      {"WRD on a Pro2", "default", {wake, B("WRD\x12\x4D\n")}, {0x06, 16}},
      {"WRD on a Vue", "vue", {wake, B("WRD\x12\x4D\n")}, {0x06, 17}},
      {"GETTIME of 15:27:00 4 June 2003",
       "default",
       {wake, B("GETTIME\n")},
       {0x06, 0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67, 0x56, 0x6C}},
      {"VER in OK framing", "default", {wake, B("VER\n")}, B("\n\rOK\n\rApr 24 2012\n\r")},
      {"NVER of a Vue", "vue", {wake, B("NVER\n")}, B("\n\rOK\n\r3.80\n\r")},
      {"unknown command: bare line end", "default", {wake, B("FOO\n")}, B("\n\r")},
      {"LOOP without a count is not a command", "default", {wake, B("LOOP\n")}, B("\n\r")},
      {"LOOP 0 is refused", "default", {wake, B("LOOP 0\n")}, B("\n\r")},
      {"LPS with an unknown packet type", "default", {wake, B("LPS 4 1\n")}, B("\n\r")},
      {"BAR= with a reading whose offset does not fit the EEPROM word",
       "default",
       {wake, B("BAR=92900 656\n")},
       B("\n\r")},
      {"BAR= with an elevation below the sea's floor",
       "default",
       {wake, B("BAR=29900 -99999\n")},
       B("\n\r")},
      {"EEBRD past the end of the EEPROM", "default", {wake, B("EEBRD FFF 02\n")}, B("\n\r")},
      {"BAUD to an unknown rate says NO", "default", {wake, B("BAUD 1234\n")}, B("\n\rNO\n\r")},
      {"BAUD to a known rate says OK", "default", {wake, B("BAUD 9600\n")}, B("\n\rOK\n\r")},
      {"EERD lists bytes as hex lines",
       "default",
       {wake, B("EERD 11 02\n")},
       B("\n\rOK\n\r15\n\r00\n\r")},
      {"EEBWR with a bad CRC is cancelled",
       "default",
       {wake, B("EEBWR 54 04\n"), Bytes{0xCB, 0x02, 0x34, 0xFD, 0x00, 0x00}},
       {0x18}},
      {"EEBWR with its CRC is acknowledged",
       "default",
       {wake, B("EEBWR 54 04\n"), Bytes{0xCB, 0x02, 0x34, 0xFD, 0x34, 0x38}},
       {0x06}},
      {"SETTIME with a bad CRC is cancelled",
       "default",
       {wake, B("SETTIME\n"), Bytes{0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67, 0x6C, 0x56}},
       {0x18}},
      {"an over-long line is not a command",
       "default",
       {wake, B(std::string(300, 'A') + "\n")},
       B("\n\r")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    Console c(row.scenario);
    Bytes last;
    for (const auto& in : row.inputs) last = c.Feed(in);
    EXPECT_EQ(last, row.expected);
  }
}

TEST(ConsoleSession, EepromReadWriteAndClock) {
  Console c;
  c.Feed("\n");
  // The protocol's worked EEPROM read: 3 bytes at 0x32.
  const Bytes cal = {0x05, 0xFA, 0x0E};
  c.core->eeprom().Write(protocol::eeprom::kTempInCal, cal.data(), cal.size());
  EXPECT_EQ(c.Feed("EEBRD 32 03\n"), (Bytes{0x06, 0x05, 0xFA, 0x0E, 0xF6, 0x34}));
  // The worked EEPROM write: time alarm 07:15 and its complement.
  EXPECT_EQ(c.Feed("EEBWR 54 04\n"), Bytes{0x06});
  EXPECT_EQ(c.Feed(Bytes{0xCB, 0x02, 0x34, 0xFD, 0x34, 0x38}), Bytes{0x06});
  EXPECT_EQ(c.core->eeprom().U16(protocol::eeprom::kAlarmTime), 715);
  // SETTIME moves the console clock.
  Bytes block = {0x1E, 0x00, 0x08, 0x19, 0x0C, 124};  // 08:00:30 25 Dec 2024
  protocol::AppendCrc(block);
  EXPECT_EQ(c.Feed("SETTIME\n"), Bytes{0x06});
  EXPECT_EQ(c.Feed(block), Bytes{0x06});
  const ConsoleTime t = BreakDown(c.core->ConsoleNow());
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 12);
  EXPECT_EQ(t.day, 25);
  EXPECT_EQ(t.hour, 8);
}

TEST(ConsoleSession, NakAsksForTheLastBlockAgain) {
  Console c;
  c.Feed("\n");
  const Bytes first = c.Feed("HILOWS\n");
  ASSERT_EQ(first.size(), 439U);
  EXPECT_EQ(c.Feed(Bytes{0x15}), Bytes(first.begin() + 1, first.end()));
}

TEST(ConsoleSession, LoopRunsAreTimedAndCanBeStopped) {
  Console c;
  c.Feed("\n");
  // LPS 3 2: ACK and a LOOP at once, the LOOP2 one interval later.
  const Bytes start = c.Feed("LPS 3 2\n");
  ASSERT_EQ(start.size(), 100U);
  EXPECT_EQ(start[0], 0x06);
  EXPECT_EQ(start[5], 0);  // packet type LOOP
  EXPECT_TRUE(protocol::CrcBlockValid(Bytes(start.begin() + 1, start.end())));
  EXPECT_TRUE(c.Poll(std::chrono::milliseconds(1999)).empty());
  const Bytes second = c.Poll(std::chrono::milliseconds(1));
  ASSERT_EQ(second.size(), 99U);
  EXPECT_EQ(second[4], 1);  // LOOP2
  EXPECT_TRUE(c.Poll(std::chrono::milliseconds(5000)).empty()) << "the run had two packets";

  // A line end during a run stops it.
  ASSERT_EQ(c.Feed("LOOP 10\n").size(), 100U);
  EXPECT_TRUE(c.Feed("\n").empty());
  EXPECT_TRUE(c.Poll(std::chrono::milliseconds(2000)).empty());
  EXPECT_EQ(c.Feed("TEST\n"), B("TEST\n\r"));
}

TEST(ConsoleSession, DozesOffWhenIdle) {
  Console c;
  EXPECT_EQ(c.Feed("\n"), B("\n\r"));
  c.Poll(std::chrono::seconds(10));
  EXPECT_FALSE(c.session->asleep());
  c.Poll(std::chrono::seconds(31));
  EXPECT_TRUE(c.session->asleep());
  EXPECT_EQ(c.Feed("TEST\n"), B("\n\r")) << "first byte lost again";
}

TEST(ConsoleSession, Faults) {
  Console c;
  c.Feed("\n");
  Faults& f = c.core->faults();

  f.bad_crc = 1;
  Bytes t = c.Feed("GETTIME\n");
  EXPECT_FALSE(protocol::CrcBlockValid(Bytes(t.begin() + 1, t.end()))) << "first block corrupted";
  t = c.Feed("GETTIME\n");
  EXPECT_TRUE(protocol::CrcBlockValid(Bytes(t.begin() + 1, t.end()))) << "only one block";

  f.garbage = 12;
  const Bytes noise = c.Feed("TEST\n");
  EXPECT_EQ(noise.size(), 12U);
  for (std::uint8_t b : noise) EXPECT_TRUE(b != '\n' && b != '\r' && b != 0x06);
  EXPECT_EQ(c.Feed("TEST\n"), B("TEST\n\r"));

  f.drop_mid = true;
  const Bytes half = c.Feed("HILOWS\n");
  EXPECT_EQ(half.size(), 439U / 2);
  EXPECT_TRUE(c.hung_up);

  f.stop_after = 2;
  EXPECT_EQ(c.Feed("TEST\n"), B("TEST\n\r"));
  EXPECT_EQ(c.Feed("TEST\n"), B("TEST\n\r"));
  EXPECT_TRUE(c.Feed("TEST\n").empty());
  EXPECT_TRUE(c.Feed("\n").empty()) << "a stopped console does not wake either";
  f.stop_after = -1;

  f.silent = true;
  EXPECT_TRUE(c.Feed("\n").empty());
  EXPECT_TRUE(c.Feed("TEST\n").empty());
  f.silent = false;
  EXPECT_EQ(c.Feed("\n"), B("\n\r"));
}

TEST(SimulatorControl, EepromReadsOfAnySizeAreAnsweredWithoutAllocatingThem) {
  CoreOptions o;
  o.start = MakeConsoleSeconds(2003, 6, 4, 15, 27, 0);
  SimulatorCore core(*FindScenario("default"), o);
  EXPECT_EQ(core.HandleControl("EE 52 7FFFFFFFFFFFFFFF").rfind("ERR", 0), 0U);
  EXPECT_EQ(core.HandleControl("EE 52 1001").rfind("ERR", 0), 0U);
  EXPECT_EQ(core.HandleControl("EE FFF 2").rfind("ERR", 0), 0U);
  EXPECT_EQ(core.HandleControl("EE 0 2").rfind("OK ", 0), 0U);
}

TEST(ConsoleSession, ArchiveDownloadExchange) {
  Console c;
  c.Feed("\n");
  ASSERT_EQ(c.Feed("DMPAFT\n"), Bytes{0x06});
  Bytes stamp{0x00, 0x00, 0x00, 0x00};  // a stamp no record carries: everything
  protocol::AppendCrc(stamp);
  Bytes damaged = stamp;
  damaged[1] ^= 0x10;
  EXPECT_EQ(c.Feed(damaged), Bytes{0x15}) << "a damaged stamp is asked again";
  const Bytes announce = c.Feed(stamp);
  ASSERT_EQ(announce.size(), 7u);
  EXPECT_EQ(announce[0], 0x06);
  EXPECT_EQ(announce[1] | (announce[2] << 8), 512) << "the whole memory";
  EXPECT_EQ(announce[3] | (announce[4] << 8), 0) << "from the first record of the first page";
  EXPECT_TRUE(protocol::CrcBlockValid(Bytes(announce.begin() + 1, announce.end())));
  const Bytes first = c.Feed(Bytes{0x06});
  ASSERT_EQ(first.size(), 267u);
  EXPECT_TRUE(protocol::CrcBlockValid(first));
  EXPECT_EQ(first[0], 0) << "sequence of the first page";
  EXPECT_EQ(c.Feed(Bytes{0x15}), first) << "NAK: the same page again";
  const Bytes second = c.Feed(Bytes{0x06});
  ASSERT_EQ(second.size(), 267u);
  EXPECT_EQ(second[0], 1);
  EXPECT_EQ(c.Feed(Bytes{0x1B}), Bytes{}) << "ESC ends the download";
  EXPECT_EQ(c.Feed("\n"), B("\n\r")) << "and the console is idle again";
  const Bytes dmp = c.Feed("DMP\n");
  ASSERT_EQ(dmp.size(), 1u + 267u) << "DMP: ACK, then the first page at once";
  EXPECT_EQ(Bytes(dmp.begin() + 1, dmp.end()), first);
}

}  // namespace
}  // namespace tv::sim
