// The simulator as a program: a host client written from the protocol talks
// to it over TCP and over its pseudo-terminal and checks what comes back
// against the control channel's read-back.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/crc.h"
#include "tests/support/console_client.h"
#include "tests/support/console_decoder.h"
#include "tests/support/simulator_process.h"

namespace tv::testing {
namespace {

using Ms = std::chrono::milliseconds;
using Bytes = ConsoleClient::Bytes;

std::string Str(const Bytes& b) {
  return {b.begin(), b.end()};
}

double Field(const DecodeResult& r, const std::string& name) {
  const auto it = r.values.find(name);
  if (it == r.values.end() || !it->second) return std::nan("");
  return *it->second;
}

// The value as the control channel prints it, compared with a decoded one.
void ExpectSame(SimulatorProcess& sim, const DecodeResult& r, const std::string& name,
                double tolerance = 1e-6) {
  SCOPED_TRACE(name);
  const std::string back = sim.Get(name);
  ASSERT_FALSE(back.empty());
  const auto it = r.values.find(name);
  ASSERT_NE(it, r.values.end());
  if (back == "--") {
    EXPECT_FALSE(it->second.has_value());
    return;
  }
  ASSERT_TRUE(it->second.has_value());
  EXPECT_NEAR(*it->second, std::stod(back), tolerance);
}

class Conversation : public ::testing::TestWithParam<const char*> {};

TEST_P(Conversation, EveryCommandOfTheStationLibrary) {
  const bool tcp = std::string(GetParam()) == "tcp";
  SimulatorProcess sim;
  std::string error;
  std::vector<std::string> args = {"--start", "2024-06-21 14:00:00", "--loop-interval", "200"};
  if (tcp) {
    args.insert(args.end(), {"--tcp", "127.0.0.1:0"});
  } else {
    args.push_back("--pty");
  }
  ASSERT_TRUE(sim.Start(args, &error)) << error;
  ASSERT_EQ(sim.Control("HOLD ON"), "OK");
  ConsoleClient c;
  ASSERT_TRUE(tcp ? c.ConnectTcp(sim.tcp_port()) : c.OpenSerial(sim.pty_path()));

  ASSERT_TRUE(c.Wake());
  EXPECT_EQ(Str(c.ReadUntil("\n\r", Ms(0))), "");
  ASSERT_TRUE(c.Send("TEST\n"));
  EXPECT_EQ(Str(c.ReadUntil("TEST\n\r", Ms(2000))), "TEST\n\r");

  // LOOP 1.
  auto loop = c.Binary("LOOP 1", 97);
  ASSERT_TRUE(loop.has_value());
  const DecodeResult l = DecodeLoop(*loop);
  ASSERT_TRUE(l.ok) << l.error;
  for (const char* name : {"barometer", "outside_temp", "inside_temp", "outside_hum", "wind_speed",
                           "wind_dir", "day_rain", "year_rain", "extra_temp1", "soil_moist1",
                           "forecast_rule", "sunrise", "sunset"}) {
    ExpectSame(sim, l, name);
  }
  ExpectSame(sim, l, "console_battery", 0.001);

  // LPS 3 2: one LOOP, then one LOOP2.
  ASSERT_TRUE(c.Send("LPS 3 2\n"));
  ASSERT_EQ(c.ReadExact(1, Ms(2000)), Bytes{0x06});
  const DecodeResult first = DecodeLoop(c.ReadExact(99, Ms(3000)));
  const DecodeResult second = DecodeLoop2(c.ReadExact(99, Ms(3000)));
  ASSERT_TRUE(first.ok) << first.error;
  ASSERT_TRUE(second.ok) << second.error;
  for (const char* name : {"dew_point", "heat_index", "wind_chill", "thsw", "wind_avg2",
                           "wind_avg10", "rain_24h", "altimeter"}) {
    ExpectSame(sim, second, name);
  }

  // HILOWS.
  auto hilows = c.Binary("HILOWS", 436);
  ASSERT_TRUE(hilows.has_value());
  const DecodeResult h = DecodeHiLows(*hilows);
  ASSERT_TRUE(h.ok) << h.error;
  for (const char* name :
       {"hl.outside_temp.day_high", "hl.outside_temp.day_low_time", "hl.barometer.year_low",
        "hl.inside_hum.month_high", "hl.extra_temp1.day_low", "hl.outside_hum.day_high",
        "hl.rain_rate.day_high", "hl.leaf_wet2.year_high"}) {
    ExpectSame(sim, h, name);
  }

  // GETTIME: the console clock started at 14:00:00 and runs with the host's.
  auto time = c.Binary("GETTIME", 6);
  ASSERT_TRUE(time.has_value());
  const DecodeResult t = DecodeTime(*time);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(Field(t, "year"), 2024);
  EXPECT_EQ(Field(t, "month"), 6);
  EXPECT_EQ(Field(t, "day"), 21);
  EXPECT_EQ(Field(t, "hour"), 14);

  // EEBRD of the position: latitude then longitude, signed tenths of a degree.
  auto position = c.Binary("EEBRD 0B 04", 4);
  ASSERT_TRUE(position.has_value());
  ASSERT_TRUE(protocol::CrcBlockValid(*position));
  const auto& pb = *position;
  EXPECT_EQ(static_cast<std::int16_t>(pb[0] | pb[1] << 8), std::stoi(sim.Get("ee.LATITUDE")));
  EXPECT_EQ(static_cast<std::int16_t>(pb[2] | pb[3] << 8), std::stoi(sim.Get("ee.LONGITUDE")));

  // EEBRD of the alarm block (94 bytes from 0x52).
  auto alarms = c.Binary("EEBRD 52 5E", 94);
  ASSERT_TRUE(alarms.has_value());
  ASSERT_TRUE(protocol::CrcBlockValid(*alarms));
  const auto& ab = *alarms;
  EXPECT_EQ(ab[0x91 - 0x52], std::stoi(sim.Get("ee.ALARM_WIND_SPEED")));
  EXPECT_EQ(ab[0x8F - 0x52], std::stoi(sim.Get("ee.ALARM_HIGH_HEAT")));
  EXPECT_EQ(ab[0xA7 - 0x52] | ab[0xA8 - 0x52] << 8, std::stoi(sim.Get("ee.ALARM_HIGH_RAIN_RATE")));
  EXPECT_EQ(ab[0x8C - 0x52], 255) << "low dew point alarm is not set";
  EXPECT_EQ(ab[0xA5 - 0x52] | ab[0xA6 - 0x52] << 8, 0xFFFF) << "high solar alarm is not set";

  // RXCHECK: one line of five numbers.
  const auto rx = SplitOkReply(c.Text("RXCHECK", 1));
  ASSERT_TRUE(rx.has_value());
  ASSERT_EQ(rx->size(), 1U);
  std::istringstream numbers((*rx)[0]);
  long long total = 0, missed = 0, resync = 0, longest = 0, crc = 0;
  ASSERT_TRUE(numbers >> total >> missed >> resync >> longest >> crc);
  EXPECT_EQ(total, std::stoll(sim.Get("rx_total")));
  EXPECT_EQ(crc, std::stoll(sim.Get("rx_crc_errors")));

  // BARDATA: nine named lines, the value last.
  const auto bar = SplitOkReply(c.Text("BARDATA", 9));
  ASSERT_TRUE(bar.has_value());
  ASSERT_EQ(bar->size(), 9U);
  EXPECT_EQ((*bar)[0], "BAR " + sim.Get("bd.bar"));
  EXPECT_EQ((*bar)[2], "DEW POINT " + sim.Get("bd.dew_point"));
  EXPECT_EQ((*bar)[8], "OFFSET " + sim.Get("bd.offset"));

  // VER and NVER.
  const auto ver = SplitOkReply(c.Text("VER", 1));
  ASSERT_TRUE(ver.has_value());
  EXPECT_EQ(ver->at(0), sim.Get("ver"));
  const auto nver = SplitOkReply(c.Text("NVER", 1));
  ASSERT_TRUE(nver.has_value());
  EXPECT_EQ(nver->at(0), sim.Get("nver"));

  // The SET of a value shows in the next packet.
  ASSERT_EQ(sim.Control("SET outside_temp -4.2"), "OK");
  auto again = c.Binary("LOOP 1", 97);
  ASSERT_TRUE(again.has_value());
  EXPECT_DOUBLE_EQ(Field(DecodeLoop(*again), "outside_temp"), -4.2);
}

INSTANTIATE_TEST_SUITE_P(Transports, Conversation, ::testing::Values("tcp", "pty"));

TEST(Simulator, FaultsAsAClientSeesThem) {
  SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  ConsoleClient c;
  ASSERT_TRUE(c.ConnectTcp(sim.tcp_port()));
  const Ms short_wait(300);

  {
    SCOPED_TRACE("never wakes up: every wake-up attempt times out");
    ASSERT_EQ(sim.Control("FAULT SILENT"), "OK");
    EXPECT_FALSE(c.Wake(3, short_wait));
    ASSERT_EQ(sim.Control("FAULT SILENT OFF"), "OK");
    EXPECT_TRUE(c.Wake(3, short_wait));
  }
  {
    SCOPED_TRACE("stops answering after two commands");
    ASSERT_EQ(sim.Control("FAULT STOP_AFTER 2"), "OK");
    EXPECT_EQ(Str(c.Text("TEST", -1, short_wait)), "TEST\n\r");
    EXPECT_EQ(Str(c.Text("TEST", -1, short_wait)), "TEST\n\r");
    EXPECT_EQ(Str(c.Text("TEST", -1, short_wait)), "");
    EXPECT_FALSE(c.Wake(2, short_wait));
    ASSERT_EQ(sim.Control("FAULT STOP_AFTER OFF"), "OK");
    EXPECT_TRUE(c.Wake(3, short_wait));
  }
  {
    SCOPED_TRACE("a corrupted CRC, then the block asked again with NAK");
    ASSERT_EQ(sim.Control("FAULT BAD_CRC 1"), "OK");
    auto bad = c.Binary("GETTIME", 6);
    ASSERT_TRUE(bad.has_value());
    EXPECT_FALSE(protocol::CrcBlockValid(*bad));
    EXPECT_FALSE(DecodeTime(*bad).ok);
    ASSERT_TRUE(c.Send(Bytes{0x15}));
    const Bytes resent = c.ReadExact(8, Ms(2000));
    EXPECT_TRUE(protocol::CrcBlockValid(resent));
    EXPECT_TRUE(DecodeTime(resent).ok);
    EXPECT_EQ(sim.Control("FAULTS"),
              "OK silent=0 stop_after=-1 bad_crc=0 garbage=0 drop_mid=0 slow=0")
        << "the counted fault has run its course";
  }
  {
    SCOPED_TRACE("garbage instead of the wake-up reply: the next attempt works");
    ASSERT_EQ(sim.Control("FAULT GARBAGE 40"), "OK");
    EXPECT_FALSE(c.Wake(1, short_wait));
    EXPECT_TRUE(c.Wake(3, short_wait));
  }
  {
    SCOPED_TRACE("connection dropped in the middle of a packet");
    ASSERT_EQ(sim.Control("FAULT DROP_MID"), "OK");
    EXPECT_EQ(sim.Control("FAULTS"),
              "OK silent=0 stop_after=-1 bad_crc=0 garbage=0 drop_mid=1 slow=0");
    EXPECT_FALSE(c.Binary("HILOWS", 436, Ms(1000)).has_value());
    EXPECT_TRUE(c.PeerClosed(Ms(2000)));
    ASSERT_TRUE(c.ConnectTcp(sim.tcp_port()));
    EXPECT_TRUE(c.Wake(3, short_wait)) << "a new connection is served";
  }
  {
    SCOPED_TRACE("slow answers: a delay before every byte");
    ASSERT_EQ(sim.Control("FAULT SLOW 20"), "OK");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Str(c.Text("TEST", -1, Ms(3000))), "TEST\n\r");
    EXPECT_GE(std::chrono::steady_clock::now() - start, Ms(5 * 20));
    ASSERT_EQ(sim.Control("FAULT CLEAR"), "OK");
  }
}

TEST(Simulator, ArchiveMemoryAndItsClock) {
  struct Row {
    const char* legend;
    std::vector<std::string> args;
    std::vector<std::string> control;  // then the model runs this long
    int step_s;
    int records;
    int first;  // then the stamps of the records from this one on
    std::vector<std::string> stamps;
  } rows[] = {
      {"the autumn hour repeats",
       {"--start", "2024-10-27 01:55:00", "--archive-empty"},
       {"FAULT DST_BACK 2024-10-27T03:00:00"},
       7200,
       12,
       4,
       {"2024-10-27T02:40", "2024-10-27T02:50", "2024-10-27T02:00", "2024-10-27T02:10",
        "2024-10-27T02:20"}},
      {"the spring hour does not exist",
       {"--start", "2024-03-31 01:25:00", "--archive-empty"},
       {"FAULT DST_FORWARD 2024-03-31T02:00:00"},
       3600,
       6,
       1,
       {"2024-03-31T01:40", "2024-03-31T01:50", "2024-03-31T03:00", "2024-03-31T03:10",
        "2024-03-31T03:20"}},
      {"a clock set a day ahead",
       {"--start", "2024-06-21 14:05:00", "--archive-empty"},
       {"FAULT CLOCK_AHEAD 86400"},
       1200,
       2,
       0,
       {"2024-06-22T14:10", "2024-06-22T14:20"}},
      {"full at start, the ring wraps",
       {"--start", "2024-06-21 14:00:00"},
       {},
       1800,
       2560,
       2556,
       {"2024-06-21T14:00", "2024-06-21T14:10", "2024-06-21T14:20", "2024-06-21T14:30"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    SimulatorProcess sim;
    std::vector<std::string> args = {"--tcp", "127.0.0.1:0"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    std::string error;
    ASSERT_TRUE(sim.Start(args, &error)) << error;
    ASSERT_EQ(sim.Control("HOLD ON"), "OK");
    for (const std::string& c : row.control) ASSERT_EQ(sim.Control(c), "OK") << c;
    ASSERT_EQ(sim.Control("STEP " + std::to_string(row.step_s)), "OK");
    const std::string summary = sim.Control("ARCHIVE");
    EXPECT_EQ(summary.substr(0, summary.find(' ', 3)), "OK records=" + std::to_string(row.records));
    const auto records = sim.ArchiveRecords(row.first, static_cast<int>(row.stamps.size()));
    ASSERT_EQ(records.size(), row.stamps.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].at("date") + "T" + records[i].at("time"), row.stamps[i]);
    }
  }
}

TEST(Simulator, BaudRatePacesALoopPacket) {
  SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--baud", "19200"}, &error)) << error;
  ConsoleClient c;
  ASSERT_TRUE(c.ConnectTcp(sim.tcp_port()));
  ASSERT_TRUE(c.Wake());
  const auto start = std::chrono::steady_clock::now();
  auto loop = c.Binary("LOOP 1", 97);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(loop.has_value());
  EXPECT_TRUE(DecodeLoop(*loop).ok);
  // 99 bytes of 10 bits at 19200 bit/s.
  EXPECT_GE(elapsed, std::chrono::microseconds(99 * 10 * 1'000'000LL / 19200));
}

TEST(Simulator, ManyShortConnectionsLeaveNothingBehind) {
  SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  auto cycle = [&] {
    ConsoleClient c;
    ASSERT_TRUE(c.ConnectTcp(sim.tcp_port()));
    ASSERT_TRUE(c.Wake(3, Ms(1000)));
  };
  for (int i = 0; i < 20; ++i) cycle();  // warm-up
  ASSERT_EQ(sim.Control("PING"), "OK pong");
  const int fds_before = sim.OpenFds();
  const long rss_before = sim.ResidentKiB();
  for (int i = 0; i < 200; ++i) cycle();
  ASSERT_EQ(sim.Control("PING"), "OK pong");  // every close has been seen
  EXPECT_EQ(sim.OpenFds(), fds_before);
  EXPECT_LE(sim.ResidentKiB() - rss_before, 1024) << "resident memory grew";
  EXPECT_NE(sim.Control("STATS").find("connections=220"), std::string::npos)
      << sim.Control("STATS");
}

TEST(Simulator, PseudoTerminalLinkAndCleanStop) {
  const std::string link = "/tmp/tv-sim-link-" + std::to_string(getpid());
  SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--pty-link", link, "--scenario", "vue"}, &error)) << error;
  ConsoleClient c;
  ASSERT_TRUE(c.OpenSerial(link));
  ASSERT_TRUE(c.Wake());
  ASSERT_TRUE(c.Send("WRD\x12\x4D\n"));
  EXPECT_EQ(c.ReadExact(2, Ms(2000)), (Bytes{0x06, 17}));
  // A second client after the first closed the device.
  c.Close();
  ASSERT_TRUE(c.OpenSerial(link));
  EXPECT_TRUE(c.Wake());
  c.Close();
  const int status = sim.Stop();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0) << "the link is removed at exit";
}

TEST(Simulator, CommandLine) {
  SimulatorProcess sim;
  std::string error;
  EXPECT_FALSE(sim.Start({"--scenario", "default"}, &error)) << "no port given";
  EXPECT_FALSE(sim.Start({"--tcp", "127.0.0.1:0", "--scenario", "hurricane"}, &error));
  EXPECT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--scenario", "storm", "--seed", "9"}, &error))
      << error;
  EXPECT_EQ(sim.Get("model"), "16");
  EXPECT_EQ(sim.Control("GET no_such_value").rfind("ERR", 0), 0U);
  EXPECT_EQ(sim.Control("FAULT MELTDOWN 1").rfind("ERR", 0), 0U);
  EXPECT_EQ(sim.Control("SET outside_temp warm").rfind("ERR", 0), 0U);
}

}  // namespace
}  // namespace tv::testing
