// The archive catch-up against the console simulator through the real
// station library and the real store: every record of the console stored
// once (compared with the simulator's memory through its control channel),
// whatever the download meets on the way, and the agent off for three
// simulated days while the console's ring wraps.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/archive/archive_store.h"
#include "gadget/window/memory_window.h"
#include "lib/common/unit_conversions.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

using TempDir = testing::TempDir;

namespace fs = std::filesystem;

// Bound of one run of the agent (a lost link costs one failed collection
// and a new connection).
constexpr auto kDeadline = std::chrono::seconds{120};

// The computer's time zone for the life of the object (set before any
// thread of the test starts).
using archive_test::ZoneScope;

// A console start `days_ago` days back, 5 s into an archive interval, so
// that no record closes by itself while the test runs.
std::string StartDaysAgo(int days_ago) {
  std::time_t t = std::time(nullptr) - days_ago * 86'400LL;
  t -= t % 600;
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:05", &tm);
  return text;
}

// One record of the simulator's memory: its key as the store makes it and
// its outside temperature in °C (NaN when dashed).
using Key = std::pair<ConsoleStamp, int>;

std::map<Key, double> SimulatorArchive(testing::SimulatorProcess& sim) {
  std::map<Key, double> out;
  std::map<ConsoleStamp, int> seen;
  int records = 0;
  std::sscanf(sim.Control("ARCHIVE").c_str(), "OK records=%d", &records);
  for (int first = 0; first < records; first += 200) {
    const std::string reply = sim.Control("ARCHIVE GET " + std::to_string(first) + " " +
                                          std::to_string(std::min(200, records - first)));
    EXPECT_EQ(reply.rfind("OK ", 0), 0u) << reply.substr(0, 80);
    std::istringstream items(reply.substr(3));
    for (std::string item; std::getline(items, item, ';');) {
      int y = 0, mo = 0, d = 0, h = 0, mi = 0;
      if (std::sscanf(item.c_str(), "date=%d-%d-%d time=%d:%d", &y, &mo, &d, &h, &mi) != 5) {
        continue;  // a slot never written
      }
      const ConsoleStamp stamp = *PackConsoleStamp({mi, h, d, mo, y});
      const auto at = item.find(" out_temp=");
      double temp = NAN;
      if (at != std::string::npos && item.compare(at + 10, 2, "--") != 0) {
        temp =
            std::round(static_cast<double>(FahrenheitToCelsius(std::stof(item.substr(at + 10)))) *
                       100.0) /
            100.0;
      }
      out[{stamp, seen[stamp]++}] = temp;
    }
  }
  return out;
}

struct AgentRun {
  std::vector<std::string> log;
  int cycles = 0;
  bool up_to_date = false;
};

// The agent with the real station library and the store at `store_path`,
// the current conditions collected every second, run cycle after cycle (its
// waits cut to 50 ms) until the catch-up is level with the console or
// kDeadline has passed.
AgentRun RunAgent(testing::SimulatorProcess& sim, const std::string& store_path) {
  ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "10");
  config.Set("SERVICES", "CurrentData", "1");
  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  AgentOptions options;
  options.archive_path = store_path;
  AgentRun run;
  {
    Agent agent(config, gui, DefaultClock(), std::move(options));
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
      const long long wait_ms = agent.engine().RunCycle();
      ++run.cycles;
      if (agent.archive()->UpToDate()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds{std::clamp(wait_ms, 0LL, 50LL)});
    }
    run.up_to_date = agent.archive()->UpToDate();
    agent.Quit(std::chrono::seconds{5});
    agent.Stop();
  }
  run.log = window.Lines(Field::AppLogList);
  return run;
}

int LinesWith(const AgentRun& run, std::string_view text) {
  int n = 0;
  for (const auto& line : run.log) n += line.find(text) != std::string::npos ? 1 : 0;
  return n;
}

std::vector<HistoryRow> StoredRows(const std::string& path) {
  ArchiveStore store(path, StoreOptions{.read_only = true});
  std::vector<HistoryRow> rows;
  EXPECT_EQ(store.Open(), StoreStatus::kOk);
  EXPECT_EQ(store.Range(INT64_MIN, INT64_MAX, &rows), StoreStatus::kOk);
  return rows;
}

// Every record of the simulator is in the store with its value, but
// `missing` of them; the store has nothing else twice.
void ExpectStoreHolds(const std::vector<HistoryRow>& stored, const std::map<Key, double>& console,
                      int missing) {
  std::map<Key, double> held;
  for (const auto& row : stored) {
    EXPECT_TRUE(held.emplace(Key{row.stamp, row.occurrence}, row.values[0].value_or(NAN)).second)
        << "stored twice: " << FormatConsoleStamp(row.stamp);
  }
  int absent = 0;
  for (const auto& [key, temp] : console) {
    const auto it = held.find(key);
    if (it == held.end()) {
      ++absent;
      continue;
    }
    if (std::isnan(temp)) {
      EXPECT_TRUE(std::isnan(it->second)) << FormatConsoleStamp(key.first);
    } else {
      EXPECT_NEAR(it->second, temp, 0.006) << FormatConsoleStamp(key.first);
    }
  }
  EXPECT_EQ(absent, missing);
}

TEST(ArchiveCatchUpE2e, EveryRecordOnceWhateverTheDownloadMeets) {
  struct Row {
    const char* legend;
    const char* zone;
    std::string start;
    std::vector<std::string> controls;  // before the agent starts
    // Records not stored; < 0: that many for each line saying that a page
    // stayed unreadable (the simulator spoils page n of every download, and
    // a slow download comes in several), at least one.
    int missing;
    const char* said_once;  // a log line that must come exactly once
    const char* never_said;
  };
  const Row rows[] = {
      {"a link dropped mid-download: resumed, complete",
       "UTC",
       StartDaysAgo(2),
       {"FAULT ARCHIVE_DROP 100"},
       0,
       "interrompu",
       "illisible"},
      {"a bad page: resent",
       "UTC",
       StartDaysAgo(2),
       {"FAULT ARCHIVE_BAD_PAGE 30"},
       0,
       nullptr,
       "illisible"},
      {"a page that stays bad: skipped with its line, the rest stored",
       "UTC",
       StartDaysAgo(2),
       {"FAULT ARCHIVE_DEAD_PAGE 30"},
       -5,
       nullptr,
       nullptr},
      {"a record of an unknown type: skipped with its line",
       "UTC",
       StartDaysAgo(2),
       {"FAULT ARCHIVE_UNKNOWN 1000"},
       1,
       "1 enregistrement illisible ignoré",
       nullptr},
      {"the console's clock a month ahead: said, its records stored",
       "UTC",
       StartDaysAgo(0),
       {"FAULT CLOCK_AHEAD 2592000", "STEP 3600"},
       0,
       "en avance",
       nullptr},
      {"the autumn hour repeated: both records of each stamp",
       "Europe/Paris",
       "2026-10-25 00:00:05",
       {"FAULT DST_BACK 2026-10-25T03:00:00", "STEP 18000"},
       0,
       nullptr,
       "illisible"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    ZoneScope zone(row.zone);
    TempDir dir;
    const std::string path = (dir.path / "archive.sqlite").string();
    testing::SimulatorProcess sim;
    std::string error;
    ASSERT_TRUE(
        sim.Start({"--tcp", "127.0.0.1:0", "--scenario", "minimal", "--start", row.start}, &error))
        << error;
    for (const auto& control : row.controls) ASSERT_EQ(sim.Control(control), "OK") << control;
    const auto console = SimulatorArchive(sim);
    ASSERT_EQ(console.size(), 2560u);

    const AgentRun run = RunAgent(sim, path);
    EXPECT_TRUE(run.up_to_date) << run.cycles << " cycles";
    const auto stored = StoredRows(path);
    int missing = row.missing;
    if (missing < 0) {
      const int pages = LinesWith(run, "reste illisible après plusieurs essais");
      EXPECT_GE(pages, 1);
      missing = -missing * pages;
    }
    EXPECT_EQ(stored.size(), console.size() - static_cast<std::size_t>(missing));
    ExpectStoreHolds(stored, console, missing);
    if (row.said_once != nullptr) {
      EXPECT_EQ(LinesWith(run, row.said_once), 1) << row.said_once;
    }
    if (row.never_said != nullptr) {
      EXPECT_EQ(LinesWith(run, row.never_said), 0) << row.never_said;
    }
    if (std::string(row.zone) == "Europe/Paris") {
      // Each stamp of the repeated hour twice, an hour apart in UTC.
      int repeated = 0;
      for (std::size_t i = 1; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].utc - stored[i - 1].utc, 600) << FormatConsoleStamp(stored[i].stamp);
        repeated += stored[i].occurrence;
      }
      EXPECT_EQ(repeated, 6);
    }
  }
}

TEST(ArchiveCatchUpE2e, OffForThreeDaysWhileTheRingWraps) {
  ZoneScope zone("UTC");
  TempDir dir;
  const std::string path = (dir.path / "archive.sqlite").string();
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start(
      {"--tcp", "127.0.0.1:0", "--scenario", "minimal", "--start", StartDaysAgo(4)}, &error))
      << error;
  const auto first = SimulatorArchive(sim);
  AgentRun run = RunAgent(sim, path);
  ASSERT_TRUE(run.up_to_date);
  EXPECT_EQ(LinesWith(run, "2560 enregistrements de la console conservés"), 1);

  // Three days of 10-minute records while the agent is off: 432 records,
  // the oldest 432 of the console overwritten.
  ASSERT_EQ(sim.Control("STEP 259200"), "OK");
  const auto wrapped = SimulatorArchive(sim);
  ASSERT_EQ(wrapped.size(), 2560u);
  EXPECT_GT(wrapped.begin()->first, first.begin()->first) << "the ring wrapped";
  run = RunAgent(sim, path);
  ASSERT_TRUE(run.up_to_date);
  EXPECT_EQ(LinesWith(run, "432 enregistrements de la console conservés"), 1);
  auto stored = StoredRows(path);
  ASSERT_EQ(stored.size(), 2560u + 432u);
  ExpectStoreHolds(stored, wrapped, 0);
  ExpectStoreHolds(stored, first, 0);
  for (std::size_t i = 1; i < stored.size(); ++i) {
    ASSERT_EQ(stored[i].utc - stored[i - 1].utc, 600)
        << "a gap or a duplicate at " << FormatConsoleStamp(stored[i].stamp);
  }

  // A console that does not find the newest record held sends its whole
  // memory: nothing is stored twice.
  ASSERT_EQ(sim.Control("STEP 3600"), "OK");
  ASSERT_EQ(sim.Control("FAULT ARCHIVE_STAMP_MISS"), "OK");
  run = RunAgent(sim, path);
  ASSERT_TRUE(run.up_to_date);
  EXPECT_EQ(LinesWith(run, "toute sa mémoire est relue"), 1);
  stored = StoredRows(path);
  EXPECT_EQ(stored.size(), 2560u + 432u + 6u);
  ExpectStoreHolds(stored, SimulatorArchive(sim), 0);
}

}  // namespace
}  // namespace tv
