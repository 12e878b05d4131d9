// The collection comes back after the console's faults: the engine with the
// real station library against the simulator, over TCP and over a
// pseudo-terminal. Each fault is switched on, lasts its time (or runs its
// course), is switched off, and then, within two cycles, the engine must be
// connected again and collecting the value the simulated console holds.

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/engine/collector.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using namespace std::chrono_literals;
using testing::Celsius;
using testing::Collector;
using testing::SimulatorProcess;
using Steady = std::chrono::steady_clock;

enum class Via { kTcp, kPty };

struct Fault {
  const char* name;
  // Control request that switches it on; empty for the restart.
  const char* on;
  // How long it stays on; zero: until the simulator reports it spent.
  std::chrono::seconds held;
  // Text of the FAULTS reply once a counted fault has run its course.
  const char* spent;
  // Control request that switches it off; empty when it ends by itself.
  const char* off;
  // The simulator is killed and started again on the same port or link path.
  bool restart = false;
};

const Fault kFaults[] = {
    {"DropMid", "FAULT DROP_MID", 0s, "drop_mid=0 ", ""},
    {"StopAfter5", "FAULT STOP_AFTER 5", 0s, "stop_after=0 ", "FAULT STOP_AFTER OFF"},
    {"Silent20s", "FAULT SILENT", 20s, "", "FAULT SILENT OFF"},
    {"Slow20msFor20s", "FAULT SLOW 20", 20s, "", "FAULT SLOW OFF"},
    {"BadCrc50", "FAULT BAD_CRC 50", 0s, "bad_crc=0 ", ""},
    {"Garbage200", "FAULT GARBAGE 200", 0s, "garbage=0 ", ""},
    {"Restart", "", 0s, "", "", true},
};

void PrintTo(Via via, std::ostream* out) {
  *out << (via == Via::kTcp ? "TCP" : "pseudo-terminal");
}
void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

std::size_t Entries(const char* folder) {
  std::size_t count = 0;
  if (DIR* dir = opendir(folder)) {
    while (const dirent* e = readdir(dir)) count += e->d_name[0] != '.' ? 1 : 0;
    closedir(dir);
  }
  return count;
}

// One simulated console and one engine collecting from it.
class Console {
 public:
  explicit Console(Via via) : via_(via) {
    if (via_ == Via::kPty) {
      link_path_ = "/tmp/tv-recovery-" + std::to_string(getpid()) + "-" +
                   std::to_string(Steady::now().time_since_epoch().count());
    }
  }
  ~Console() {
    c_.reset();
    sim_.Stop();
  }

  // Starts the simulator (on the same port or link path as before, if any).
  ::testing::AssertionResult StartSimulator() {
    std::vector<std::string> args = {"--start", "2024-06-21 14:00:00"};
    if (via_ == Via::kTcp) {
      args.insert(args.end(), {"--tcp", "127.0.0.1:" + std::to_string(port_)});
    } else {
      args.insert(args.end(), {"--pty-link", link_path_});
    }
    std::string error;
    if (!sim_.Start(args, &error)) return ::testing::AssertionFailure() << error;
    if (via_ == Via::kTcp) port_ = sim_.tcp_port();
    if (sim_.Control("HOLD ON") != "OK") return ::testing::AssertionFailure() << "HOLD ON";
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult Start() {
    if (auto started = StartSimulator(); !started) return started;
    c_ = std::make_unique<Collector>();
    Collector& c = *c_;
    if (via_ == Via::kTcp) {
      c.config.Set("CONSOLE", "type", "IP");
      c.config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(port_));
    } else {
      c.config.Set("CONSOLE", "type", "SERIAL");
      c.config.Set("CONSOLE", "adresse", link_path_ + "@19200");
    }
    c.config.Set("CONSOLE", "ConnectionTimeout", "5");
    c.config.Set("GENERAL", "RefreshServices", "1");
    c.config.Set("SERVICES", "CurrentData", "1");
    c.config.Set("SERVICES", "Alarm", "1");
    c.Build();
    return Collects();
  }

  // Sets a fresh outside temperature in the console and runs at most two
  // cycles; success when one of them connected and brought it in.
  ::testing::AssertionResult Collects(int* cycles_used = nullptr) {
    const double fahrenheit = 41.0 + 0.5 * static_cast<double>(++values_ % 40);
    if (sim_.Control("SET outside_temp " + std::to_string(fahrenheit)) != "OK") {
      return ::testing::AssertionFailure() << "SET outside_temp";
    }
    Collector& c = *c_;
    c.flags.Lower("CurrentData");
    for (int cycle = 1; cycle <= 2; ++cycle) {
      c.Cycle();
      const float shown = c.record.Snapshot().CurrentData.OutsideTemp;
      if (c.record.LinkConnected == 1 && c.flags.IsRaised("CurrentData") &&
          std::fabs(shown - Celsius(fahrenheit)) < 0.06F) {
        if (cycles_used != nullptr) *cycles_used = cycle;
        return ::testing::AssertionSuccess();
      }
    }
    const auto log = c.window.Lines(Field::AppLogList);
    return ::testing::AssertionFailure()
           << "no fresh value within two cycles; connected " << c.record.LinkConnected
           << ", outside " << c.record.Snapshot().CurrentData.OutsideTemp << " °C for "
           << Celsius(fahrenheit) << ", last log line \"" << (log.empty() ? "" : log.front())
           << "\"";
  }

  // Runs the fault through cycles of the engine until it is over. `longest`
  // caps how long a held fault stays on.
  ::testing::AssertionResult Inject(const Fault& fault, std::chrono::seconds longest) {
    Collector& c = *c_;
    link_lost_ = false;
    auto cycle = [&] {
      c.Cycle();
      if (c.record.LinkConnected == 0) link_lost_ = true;
    };
    if (fault.restart) {
      sim_.Kill();
      cycle();
      cycle();
      return StartSimulator();
    }
    if (sim_.Control(fault.on) != "OK") return ::testing::AssertionFailure() << fault.on;
    if (fault.held > 0s) {
      const auto end = Steady::now() + std::min(fault.held, longest);
      while (Steady::now() < end) cycle();
    } else {
      int cycles = 0;
      while (sim_.Control("FAULTS").find(fault.spent) == std::string::npos) {
        if (++cycles > 20) return ::testing::AssertionFailure() << fault.name << " never spent";
        cycle();
      }
      cycle();  // the engine meets the console as the fault left it
    }
    if (*fault.off != '\0' && sim_.Control(fault.off) != "OK") {
      return ::testing::AssertionFailure() << fault.off;
    }
    return ::testing::AssertionSuccess();
  }

  // Faults one after another, `rounds` times, each followed by its recovery.
  void Rounds(int rounds, std::chrono::seconds longest) {
    const std::size_t threads = Entries("/proc/self/task");
    const std::size_t descriptors = Entries("/proc/self/fd");
    for (int round = 1; round <= rounds; ++round) {
      for (const Fault& fault : kFaults) {
        SCOPED_TRACE(std::string(fault.name) + ", round " + std::to_string(round));
        ASSERT_TRUE(Inject(fault, longest));
        ASSERT_TRUE(Collects());
      }
    }
    // A side thread abandoned by a time-out would still be finishing its
    // bounded call; give it that long.
    for (int i = 0; i < 100 && Entries("/proc/self/task") > threads; ++i) usleep(100'000);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
  }

  Collector& collector() { return *c_; }
  bool link_lost() const { return link_lost_; }

 private:
  Via via_;
  SimulatorProcess sim_;
  std::unique_ptr<Collector> c_;
  int port_ = 0;
  std::string link_path_;
  int values_ = 0;
  bool link_lost_ = false;
};

using Param = std::tuple<Via, Fault>;

class LinkRecovery : public ::testing::TestWithParam<Param> {};

TEST_P(LinkRecovery, CollectsAgainWithinTwoCyclesOfTheFaultsEnd) {
  const auto& [via, fault] = GetParam();
  Console console(via);
  ASSERT_TRUE(console.Start());
  const int connects = console.collector().station.connects;

  ASSERT_TRUE(console.Inject(fault, fault.held));
  int cycles = 0;
  EXPECT_TRUE(console.Collects(&cycles));
  if (console.link_lost()) {
    EXPECT_GT(console.collector().station.connects, connects) << "a lost link is opened again";
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, LinkRecovery,
                         ::testing::Combine(::testing::Values(Via::kTcp, Via::kPty),
                                            ::testing::ValuesIn(kFaults)),
                         [](const ::testing::TestParamInfo<Param>& row) {
                           return std::string(std::get<0>(row.param) == Via::kTcp ? "Tcp" : "Pty") +
                                  std::get<1>(row.param).name;
                         });

// Every fault, one after another, twice; the silences and slow answers are
// held 4 s here (the table above holds them 20 s).
TEST(LinkRecoveryRounds, EveryFaultTwiceOverTcp) {
  Console console(Via::kTcp);
  ASSERT_TRUE(console.Start());
  console.Rounds(2, 4s);
}

TEST(LinkRecoveryRounds, EveryFaultTwiceOverThePseudoTerminal) {
  Console console(Via::kPty);
  ASSERT_TRUE(console.Start());
  console.Rounds(2, 4s);
}

}  // namespace
}  // namespace tv
