// Link losses as users meet them, with the real station library against the
// simulator: the USB-serial logger unplugged and plugged back under another
// device name (found again through its by-id link), the desktop suspended
// for hours, the IP logger busy with another client. Each time the
// collection comes back at the first cycle after the cause went away.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>

#include "tests/e2e/engine/collector.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using namespace std::chrono_literals;
using testing::Celsius;
using testing::Collector;
using testing::SimulatorProcess;

bool StartConsole(SimulatorProcess& sim, std::vector<std::string> args) {
  args.insert(args.end(), {"--start", "2024-06-21 14:00:00"});
  std::string error;
  if (!sim.Start(args, &error)) {
    ADD_FAILURE() << error;
    return false;
  }
  return sim.Control("HOLD ON") == "OK";
}

void Configure(Collector& c, const std::string& type, const std::string& address) {
  c.config.Set("CONSOLE", "type", type);
  c.config.Set("CONSOLE", "adresse", address);
  c.config.Set("CONSOLE", "ConnectionTimeout", "5");
  c.config.Set("GENERAL", "RefreshServices", "1");
  c.config.Set("SERVICES", "CurrentData", "1");
  c.config.Set("SERVICES", "Alarm", "600");
  c.config.Set("SERVICES", "HiLow", "600");
  c.Build();
}

// Sets a fresh outside temperature in the console, runs one cycle and tells
// whether it connected and brought that value in.
::testing::AssertionResult CollectsInOneCycle(Collector& c, SimulatorProcess& sim, double f) {
  if (sim.Control("SET outside_temp " + std::to_string(f)) != "OK") {
    return ::testing::AssertionFailure() << "SET outside_temp";
  }
  c.flags.Lower("CurrentData");
  c.Cycle();
  const float shown = c.record.Snapshot().CurrentData.OutsideTemp;
  if (c.record.LinkConnected == 1 && c.flags.IsRaised("CurrentData") &&
      std::fabs(shown - Celsius(f)) < 0.06F) {
    return ::testing::AssertionSuccess();
  }
  const auto log = c.window.Lines(Field::AppLogList);
  return ::testing::AssertionFailure()
         << "connected " << c.record.LinkConnected << ", shown " << shown << ", last log line \""
         << (log.empty() ? "" : log.front()) << "\"";
}

int CountLines(Collector& c, const std::string& what) {
  int n = 0;
  for (const auto& line : c.window.Lines(Field::AppLogList)) {
    n += line.find(what) != std::string::npos ? 1 : 0;
  }
  return n;
}

TEST(LinkLoss, UsbLoggerBackUnderAnotherNameIsFoundThroughItsByIdLink) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("by-id-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path by_id = dir / "usb-Teskaro_Logger_0042-if00-port0";
  std::filesystem::remove(by_id);

  SimulatorProcess first, second;
  ASSERT_TRUE(StartConsole(first, {"--pty"}));
  std::filesystem::create_symlink(first.pty_path(), by_id);
  Collector c;
  Configure(c, "SERIAL", by_id.string() + "@19200");
  ASSERT_TRUE(CollectsInOneCycle(c, first, 50.0));

  // Unplugged: the device and its link are gone. The device that comes back
  // is already there under its new name.
  ASSERT_TRUE(StartConsole(second, {"--pty"}));
  ASSERT_NE(second.pty_path(), first.pty_path());
  first.Kill();
  std::filesystem::remove(by_id);
  c.Cycle();
  c.Cycle();
  EXPECT_EQ(c.record.LinkConnected, 0);
  EXPECT_GE(CountLines(c, "Impossible de se connecter"), 1);

  // Plugged back: the by-id link now names the other device.
  std::filesystem::create_symlink(second.pty_path(), by_id);
  EXPECT_TRUE(CollectsInOneCycle(c, second, 53.5));
  std::filesystem::remove_all(dir);
}

TEST(LinkLoss, SuspendedForHoursCollectsEveryDueServiceAtTheNextCycle) {
  SimulatorProcess sim;
  ASSERT_TRUE(StartConsole(sim, {"--tcp", "127.0.0.1:0"}));
  Collector c;
  Configure(c, "IP", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  ASSERT_TRUE(CollectsInOneCycle(c, sim, 50.0));
  const int failures = CountLines(c, "Report de la collecte");

  // The desktop sleeps: the clock jumps six hours, the TCP connection of the
  // logger may or may not have survived.
  c.clock.Jump(6h);
  ASSERT_EQ(sim.Control("STEP 21600"), "OK");
  c.flags.Lower("Alarm");
  c.flags.Lower("HiLow");
  EXPECT_TRUE(CollectsInOneCycle(c, sim, 61.0));
  EXPECT_TRUE(c.flags.IsRaised("Alarm")) << "due again after the jump";
  EXPECT_TRUE(c.flags.IsRaised("HiLow")) << "due again after the jump";
  EXPECT_EQ(CountLines(c, "Report de la collecte"), failures) << "nothing failed";
}

TEST(LinkLoss, BusyIpLoggerIsCollectedOnceTheOtherClientLeaves) {
  SimulatorProcess sim;
  ASSERT_TRUE(StartConsole(sim, {"--tcp", "127.0.0.1:0"}));
  // Another program holds the logger's only connection.
  const int other = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(other, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(sim.tcp_port()));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(other, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  for (int i = 0; i < 100 && sim.Control("STATS").find("client=1") == std::string::npos; ++i) {
    usleep(10'000);
  }
  ASSERT_NE(sim.Control("STATS").find("client=1"), std::string::npos) << sim.Control("STATS");

  Collector c;
  Configure(c, "IP", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  c.Cycle();
  EXPECT_EQ(c.record.LinkConnected, 0);
  EXPECT_EQ(CountLines(c, "Impossible de se connecter"), 1) << "one line for the failed cycle";

  close(other);
  EXPECT_TRUE(CollectsInOneCycle(c, sim, 57.0));
}

}  // namespace
}  // namespace tv
