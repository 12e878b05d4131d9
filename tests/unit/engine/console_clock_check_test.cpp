#include "gadget/engine/console_clock_check.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using testing::EngineRig;

// 2024-06-21 14:05:30 UTC.
constexpr long long kAfternoon = 1'718'978'730;

using testing::ConsoleTime;

TEST(ConsoleClockOffset, ComparesBothClocksOnTheirMinute) {
  testing::UseUtc();
  struct Row {
    const char* legend;
    StationDateTime station;
    std::optional<long long> minutes;
  };
  const Row rows[] = {
      {"same minute, seconds ignored", {5, 14, 21, 6, 2024}, 0},
      {"3 minutes ahead", {8, 14, 21, 6, 2024}, 3},
      {"behind across midnight", {58, 23, 20, 6, 2024}, -(14 * 60 + 7)},
      {"a year ahead is whole days", {5, 14, 21, 6, 2025}, 365 * 24 * 60},
      {"dashed fields are no time", {-1, -1, -1, -1, -1}, std::nullopt},
      {"a record never filled is no time", {}, std::nullopt},
      {"month 13 is no time", {5, 14, 21, 13, 2024}, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ConsoleClockOffsetMinutes(row.station, kAfternoon), row.minutes) << row.legend;
  }
  EXPECT_EQ(OffsetText(3), "3 min");
  EXPECT_EQ(OffsetText(-65), "1 h 05 min");
  EXPECT_EQ(OffsetText(2 * 24 * 60 + 4 * 60), "2 j 4 h 00 min");
}

// After each collection cycle of the engine, in simulated time, with a
// console whose clock runs `offset` ahead of the desktop's.
struct ClockRig {
  EngineRig rig;
  long long offset = 0;

  ClockRig() {
    rig.config.Set("SERVICES", "CurrentData", "10");
    rig.config.Set("GENERAL", "RefreshServices", "1");
    rig.Build();
    rig.clock.Set(Clock::TimePoint{std::chrono::seconds{kAfternoon}});
  }
  // Cycles until `seconds` of simulated time have passed.
  void RunFor(long long seconds) {
    const long long end = rig.Now() + seconds;
    while (rig.Now() < end) {
      rig.station.station_time = ConsoleTime(rig.Now() + offset);
      rig.Cycle();
    }
  }
  std::vector<std::string> ClockLines() {
    std::vector<std::string> out;
    for (const std::string& line : rig.window.Lines(Field::AppLogList)) {
      if (line.find("horloge") != std::string::npos) out.push_back(line);
    }
    return out;
  }
  std::string Tooltip() { return rig.window.Tooltip(Field::LastCollectValue); }
};

TEST(ConsoleClockCheck, ThreeMinutesAheadIsLoggedOnceAnHourAndShownInTheTooltip) {
  ClockRig c;
  c.offset = 3 * 60;
  c.RunFor(1);
  const auto first = c.ClockLines();
  ASSERT_EQ(first.size(), 1U);
  EXPECT_EQ(first[0],
            "[MoteurRecupDonnees] : L'horloge de la console avance de 3 min sur celle de "
            "l'ordinateur (console : 21/06/2024 14h08, ordinateur : 21/06/2024 14h05). Mettez la "
            "console à l'heure.");
  EXPECT_EQ(c.Tooltip(), "L'horloge de la console avance de 3 min sur celle de l'ordinateur.");

  c.RunFor(3599);
  EXPECT_EQ(c.ClockLines().size(), 1U) << "none again within the hour, over 3600 collections";
  c.RunFor(1);
  EXPECT_EQ(c.ClockLines().size(), 2U) << "the next hour has its own line";

  c.offset = 60;
  c.RunFor(2 * 3600);
  EXPECT_EQ(c.ClockLines().size(), 2U) << "one minute is within the limit";
  EXPECT_EQ(c.Tooltip(), "") << "the tooltip goes once the clocks agree";
}

TEST(ConsoleClockCheck, OneMinuteAheadOrAConsoleTimeNotReadIsNeverReported) {
  ClockRig c;
  c.offset = 60;
  c.RunFor(60);
  EXPECT_TRUE(c.ClockLines().empty());
  EXPECT_EQ(c.Tooltip(), "");

  c.offset = -10 * 60;
  c.rig.station.station_time_result = kResultCommError;
  c.rig.engine->RunCycle();
  EXPECT_TRUE(c.ClockLines().empty()) << "a failed read says nothing about the clock";

  c.rig.station.station_time_result = 1;
  c.RunFor(1);
  ASSERT_EQ(c.ClockLines().size(), 1U);
  EXPECT_NE(c.ClockLines()[0].find("retarde de 10 min"), std::string::npos) << c.ClockLines()[0];
}

}  // namespace
}  // namespace tv
