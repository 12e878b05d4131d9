#include "gadget/engine/console_clock_set.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using testing::EngineRig;

// 1700000000 is 2023-11-14 22:13:20 UTC.
constexpr std::int64_t kUtc = 1'700'000'000;

TEST(ConsoleClockSet, TheTimeTheConsoleShouldShow) {
  testing::UseUtc();
  struct Row {
    const char* legend;
    bool with_zone;
    TimeZoneSettings zone;
    int hour;
    bool from_console_zone;
  };
  const Row rows[] = {
      {"configuration not read: the computer's time", false, {}, 22, false},
      {"the console's zone list: the computer's time", true, {1, 20, 0, 1, 0}, 22, false},
      {"GMT offset +1, no daylight saving", true, {0, 0, 1.0F, 0, 0}, 23, true},
      {"GMT offset +1, daylight saving on by hand", true, {0, 0, 1.0F, 0, 1}, 0, true},
      {"GMT offset -5, automatic, the computer on winter time",
       true,
       {0, 0, -5.0F, 1, 0},
       17,
       true},
  };
  for (const Row& row : rows) {
    const ConsoleTimeTarget t = ConsoleTimeFor(kUtc, row.with_zone ? &row.zone : nullptr);
    EXPECT_EQ(t.time.Hour, row.hour) << row.legend;
    EXPECT_EQ(t.time.Minute, 13) << row.legend;
    EXPECT_EQ(t.second, 20) << row.legend;
    EXPECT_EQ(t.from_console_zone, row.from_console_zone) << row.legend;
  }
}

TEST(ConsoleClockSet, SetWhenAskedOrWhenDriftedAtMostOnceADayAndNeverRetried) {
  using std::chrono::hours;
  struct Row {
    const char* legend;
    bool asked;
    const char* auto_set;  // "CONSOLE_SetClock"
    const char* drift;     // "CONSOLE_ClockDrift", nullptr: the default
    long long console_ahead_minutes;
    int result;
    std::vector<int> sets_per_day;  // clock sets in the first cycle of each of three days
    const char* line;
  };
  const Row rows[] = {
      {"asked: set once", true, "0", nullptr, 0, 1, {1, 0, 0}, "réglée à la demande sur "},
      {"asked, the console refuses: one line, no retry",
       true,
       "0",
       nullptr,
       0,
       kResultRefused,
       {1, 0, 0},
       "la console a refusé le réglage de son horloge"},
      {"automatic, 5 min ahead: once a day",
       false,
       "1",
       nullptr,
       5,
       1,
       {1, 1, 1},
       "réglée automatiquement"},
      {"automatic, refused: once a day, not every cycle",
       false,
       "1",
       nullptr,
       5,
       kResultRefused,
       {1, 1, 1},
       "a refusé"},
      {"automatic, 1 min ahead: within the bound", false, "1", nullptr, 1, 1, {0, 0, 0}, nullptr},
      {"automatic, 1 min ahead, bound 30 s", false, "1", "30", 1, 1, {1, 1, 1}, "automatiquement"},
      {"not automatic, an hour ahead", false, "0", nullptr, 60, 1, {0, 0, 0}, nullptr},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.config.Set("SERVICES", "CurrentData", "10");
    rig.config.Set("CONSOLE", "SetClock", row.auto_set);
    if (row.drift != nullptr) rig.config.Set("CONSOLE", "ClockDrift", row.drift);
    rig.station.set_time_result = row.result;
    rig.Build();
    if (row.asked) rig.engine->RequestConsoleClockSet();
    std::vector<int> sets;
    for (int day = 0; day < 3; ++day) {
      rig.station.station_time = testing::ConsoleTime(rig.Now() + row.console_ahead_minutes * 60);
      const std::size_t before = rig.station.clock_sets.size();
      rig.Cycle();
      sets.push_back(static_cast<int>(rig.station.clock_sets.size() - before));
      // More cycles the same day add nothing.
      for (int cycle = 0; cycle < 5; ++cycle) rig.Cycle();
      EXPECT_EQ(rig.station.clock_sets.size() - before, std::size_t(sets.back()))
          << row.legend << ", day " << day;
      rig.clock.Advance(hours{24});
    }
    EXPECT_EQ(sets, row.sets_per_day) << row.legend;
    if (row.line != nullptr) {
      int found = 0;
      for (const std::string& line : rig.window.Lines(Field::AppLogList)) {
        found += line.find(row.line) != std::string::npos ? 1 : 0;
      }
      int attempts = 0;
      for (const int n : row.sets_per_day) attempts += n;
      EXPECT_EQ(found, attempts) << row.legend << ": one line per attempt";
    }
    if (!rig.station.clock_sets.empty()) {
      // The computer's time (UTC here) as the console's local time.
      EXPECT_EQ(rig.station.clock_sets[0].time.Year, 2023) << row.legend;
    }
  }
}

}  // namespace
}  // namespace tv
