// The agent's core running for thousands of collection cycles against the
// simulator while the simulator cycles through its faults: the engine, the
// display refresh thread (and every other worker the agent starts) with the
// real station library and the in-memory window, in accelerated time.
//
// One summary line is printed at the end.

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "gadget/agent/agent.h"
#include "gadget/engine/activity_log.h"
#include "gadget/engine/station_port.h"
#include "gadget/window/memory_window.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"
#include "tests/support/accelerated_time.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;
using testing::AcceleratedClock;
using testing::WatchedStationPort;

std::size_t Entries(const char* folder) {
  std::size_t count = 0;
  if (DIR* dir = opendir(folder)) {
    while (const dirent* e = readdir(dir)) count += e->d_name[0] != '.' ? 1 : 0;
    closedir(dir);
  }
  return count;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

struct Sample {
  long cycle;
  std::size_t threads;
  std::size_t fds;
  long rss_kib;
};

// The faults cycled through, as control requests; a held fault is switched
// off after `held`, a counted one runs its course.
struct Fault {
  const char* name;
  const char* on;
  const char* off;  // empty: it ends by itself
  std::chrono::milliseconds held;
  bool restart = false;
};

const Fault kFaults[] = {
    {"silence", "FAULT SILENT", "FAULT SILENT OFF", 1500ms},
    {"stop after 5 bytes", "FAULT STOP_AFTER 5", "FAULT STOP_AFTER OFF", 1500ms},
    {"corrupt CRCs", "FAULT BAD_CRC 5", "", 1000ms},
    {"garbage", "FAULT GARBAGE 200", "", 1000ms},
    {"dropped mid-packet", "FAULT DROP_MID", "", 1000ms},
    {"slow answers", "FAULT SLOW 20", "FAULT SLOW OFF", 1500ms},
    {"console gone and back", "", "", 1000ms, true},
};

enum class Via { kTcp, kPty };

struct SoakRow {
  const char* name;
  Via via;
  long cycles;
};

void PrintTo(const SoakRow& row, std::ostream* out) {
  *out << row.name << ", " << row.cycles << " cycles";
}

class Soak : public ::testing::TestWithParam<SoakRow> {};

TEST_P(Soak, SurvivesEveryFaultAndStaysFlat) {
  const SoakRow& row = GetParam();
  testing::SimulatorProcess sim;
  int port = 0;
  const std::string link_path = "/tmp/tv-soak-" + std::to_string(getpid());
  auto start_simulator = [&]() -> bool {
    std::vector<std::string> args = {"--start", "2024-06-21 14:00:00"};
    if (row.via == Via::kTcp) {
      args.insert(args.end(), {"--tcp", "127.0.0.1:" + std::to_string(port)});
    } else {
      args.insert(args.end(), {"--pty-link", link_path});
    }
    std::string error;
    if (!sim.Start(args, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    if (row.via == Via::kTcp) port = sim.tcp_port();
    return sim.Control("HOLD ON") == "OK";
  };
  ASSERT_TRUE(start_simulator());

  ConfigTable config;
  if (row.via == Via::kTcp) {
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(port));
  } else {
    config.Set("CONSOLE", "type", "SERIAL");
    config.Set("CONSOLE", "adresse", link_path + "@19200");
  }
  const int timeout_s = 1;
  config.Set("CONSOLE", "ConnectionTimeout", std::to_string(timeout_s));
  config.Set("GENERAL", "RefreshServices", "1");
  config.Set("GENERAL", "Notify", "0");
  config.Set("SERVICES", "CurrentData", "1");
  config.Set("SERVICES", "Alarm", "10");
  config.Set("SERVICES", "HiLow", "30");
  config.Set("SERVICES", "ConfigStation", "60");
  config.Set("SERVICES", "Calibration", "60");
  config.Set("ALERTS", "Active", "1");

  AcceleratedClock clock;
  MemoryWindow window;
  auto port_owner = std::make_unique<WatchedStationPort>();
  WatchedStationPort& station = *port_owner;
  // Each time the current conditions are drawn, what the window shows.
  std::mutex shown_mutex;
  std::string shown;
  long shown_cycle = 0;
  AgentOptions options;
  options.station = std::move(port_owner);
  options.after_view = [&](std::string_view view) {
    if (view != "CurrentData") return;
    std::lock_guard lock(shown_mutex);
    shown = window.Text(Field::OutdoorTempValue);
    shown_cycle = station.cycles();
  };
  Agent agent(config, window, clock, std::move(options));
  agent.Open();
  agent.Start();

  std::vector<Sample> samples;
  auto sample = [&] {
    samples.push_back(
        {station.cycles(), Entries("/proc/self/task"), Entries("/proc/self/fd"), ResidentKiB()});
  };
  // Sets a fresh outside temperature and waits until the window shows it;
  // the number of cycles begun meanwhile, or -1 when it never came.
  int value = 0;
  auto shows_fresh_value = [&](std::chrono::seconds limit) -> long {
    const double fahrenheit = 41.0 + 0.5 * (++value % 60);
    if (sim.Control("SET outside_temp " + std::to_string(fahrenheit)) != "OK") return -1;
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.1f", (fahrenheit - 32.0) * 5.0 / 9.0);
    const long from = station.cycles();
    const auto deadline = Steady::now() + limit;
    while (Steady::now() < deadline) {
      {
        std::lock_guard lock(shown_mutex);
        if (shown == expected && shown_cycle > from) return shown_cycle - from;
      }
      std::this_thread::sleep_for(2ms);
    }
    return -1;
  };

  ASSERT_GE(shows_fresh_value(20s), 0) << "no first collection";
  sample();
  int injected = 0;
  int survived = 0;
  long worst_recovery = 0;
  std::vector<std::string> failures;
  for (std::size_t i = 0; station.cycles() < row.cycles; ++i) {
    const Fault& fault = kFaults[i % std::size(kFaults)];
    ++injected;
    if (fault.restart) {
      sim.Kill();
      std::this_thread::sleep_for(fault.held);
      ASSERT_TRUE(start_simulator());
    } else {
      ASSERT_EQ(sim.Control(fault.on), "OK") << fault.on;
      std::this_thread::sleep_for(fault.held);
      if (*fault.off != '\0') {
        ASSERT_EQ(sim.Control(fault.off), "OK") << fault.off;
      }
    }
    // The fault is over: the cycle under way may still meet it, the next
    // one must connect again and bring the console's value to the window.
    const long cycles = shows_fresh_value(10s);
    if (cycles >= 1 && cycles <= 2) {
      ++survived;
      worst_recovery = std::max(worst_recovery, cycles);
    } else {
      failures.push_back(std::string(fault.name) + " at cycle " + std::to_string(station.cycles()));
      ASSERT_GE(shows_fresh_value(20s), 0) << "the collection never came back after " << fault.name;
    }
    // Healthy cycles between faults.
    const long healthy_until = station.cycles() + 40;
    while (station.cycles() < healthy_until) std::this_thread::sleep_for(5ms);
    sample();
  }
  const auto longest_gap = station.longest_gap();
  agent.Stop();

  EXPECT_TRUE(failures.empty()) << failures.size()
                                << " faults not recovered within a cycle, first: "
                                << failures.front();
  // A cycle runs at most its five services and a connection attempt, each
  // bounded by the time-out; then its wait (skipped here).
  EXPECT_LE(longest_gap, std::chrono::seconds(6 * timeout_s) + 2s)
      << "a station call blocked past its time-out";
  const auto log_lines = window.Lines(Field::AppLogList).size();
  EXPECT_LE(log_lines, static_cast<std::size_t>(kAppLogMaxLines));

  // First tenth of the run against its last tenth.
  const std::size_t tenth = std::max<std::size_t>(1, samples.size() / 10);
  auto peak = [&](std::size_t from, std::size_t to, auto member) {
    std::size_t best = 0;
    for (std::size_t k = from; k < to; ++k) best = std::max<std::size_t>(best, samples[k].*member);
    return best;
  };
  const std::size_t n = samples.size();
  EXPECT_EQ(peak(n - tenth, n, &Sample::threads), peak(0, tenth, &Sample::threads));
  EXPECT_EQ(peak(n - tenth, n, &Sample::fds), peak(0, tenth, &Sample::fds));
  const long rss_first = samples[tenth - 1].rss_kib;
  const long rss_last = samples.back().rss_kib;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // The sanitizers keep freed memory aside for a while: only a plain build
  // shows what the program itself holds.
  EXPECT_LE(rss_last, rss_first + 2048) << "resident memory grew";
#endif
  std::size_t peak_threads = 0;
  std::size_t peak_fds = 0;
  for (const Sample& s : samples) {
    peak_threads = std::max(peak_threads, s.threads);
    peak_fds = std::max(peak_fds, s.fds);
  }
  std::printf(
      "soak %s: cycles %ld, faults injected %d, survived %d, reconnections %d, worst recovery %ld "
      "cycles, longest cycle %.2f s, log lines %zu, peak threads %zu, peak fds %zu, RSS first/last "
      "%ld/%ld KiB\n",
      row.name, station.cycles(), injected, survived, station.connects() - 1, worst_recovery,
      std::chrono::duration<double>(longest_gap).count(), log_lines, peak_threads, peak_fds,
      rss_first, rss_last);
}

INSTANTIATE_TEST_SUITE_P(Links, Soak,
                         ::testing::Values(SoakRow{"Tcp", Via::kTcp, 2000},
                                           SoakRow{"PseudoTerminal", Via::kPty, 600}),
                         [](const ::testing::TestParamInfo<SoakRow>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace
}  // namespace tv
