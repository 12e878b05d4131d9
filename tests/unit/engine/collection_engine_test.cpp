#include "gadget/engine/collection_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using testing::EngineRig;
using Runs = std::vector<std::string>;

// 1700000000 is 22:13:20 UTC; the rig's clock starts there.
constexpr long long kStart = 1'700'000'000;

TEST(CollectionSchedule, ServicesRunInListOrderWhenTheirPeriodHasElapsed) {
  EngineRig rig;
  rig.config.Set("SERVICES", "HiLow", "3600");
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.config.Set("SERVICES", "Alarm", "60");
  rig.Build();

  struct Row {
    const char* legend;
    long long at;  // seconds after the start
    Runs expected;
  };
  const Row rows[] = {
      {"first cycle runs everything, in list order", 0, {"CurrentData", "Alarm", "HiLow"}},
      {"nothing is due 2 s later", 2, {}},
      {"the 10 s period has elapsed", 10, {"CurrentData"}},
      {"9 s after that is too early", 19, {}},
      {"the minute of the alarms", 60, {"CurrentData", "Alarm"}},
      {"HiLow waits its hour", 3599, {"CurrentData", "Alarm"}},
      {"the hour has come; CurrentData ran a second ago", 3600, {"HiLow"}},
  };
  for (const Row& row : rows) {
    rig.clock.Set(Clock::TimePoint{std::chrono::seconds{kStart + row.at}});
    rig.engine->RunCycle();
    EXPECT_EQ(rig.TakeRuns(), row.expected) << row.legend;
  }
}

// Suspend and resume, NTP and daylight-saving changes set the wall clock
// while the program runs: neither the adaptive wait nor the schedule may
// follow it.
TEST(CollectionSchedule, WallClockSetDuringACycleChangesNeitherTheWaitNorTheSchedule) {
  using std::chrono::hours;
  struct Row {
    const char* legend;
    std::chrono::milliseconds step;
  };
  const Row rows[] = {
      {"set an hour forward", hours{1}},
      {"set an hour back", -hours{1}},
      {"set a day back", -hours{24}},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.config.Set("SERVICES", "CurrentData", "10");
    rig.config.Set("SERVICES", "Alarm", "10");
    rig.config.Set("SERVICES", "HiLow", "60");
    rig.Build();
    rig.Cycle();
    rig.clock.Advance(std::chrono::milliseconds{7500});
    rig.TakeRuns();
    // At 10 s both are due; the clock is set inside the second run, once the
    // first one's next run has been planned.
    rig.wall_steps["Alarm"] = row.step;
    EXPECT_EQ(rig.Cycle(), kMinAdaptiveWaitMs) << row.legend << ": the wait after the step";
    EXPECT_EQ(rig.TakeRuns(), (Runs{"CurrentData", "Alarm"})) << row.legend;
    EXPECT_EQ(rig.TakeLinkStates().back(), 1) << row.legend << ": not taken for a long cycle";
    // Every 2.5 s for the next minute: CurrentData each 10 s, HiLow at 60 s.
    std::vector<std::string> runs;
    for (int cycle = 0; cycle < 24; ++cycle) {
      rig.Cycle();
      for (const std::string& run : rig.TakeRuns()) runs.push_back(run);
    }
    EXPECT_EQ(std::count(runs.begin(), runs.end(), "CurrentData"), 6) << row.legend;
    EXPECT_EQ(std::count(runs.begin(), runs.end(), "HiLow"), 1) << row.legend;
  }
}

// What a hook of the caller throws on the collection thread is logged; the
// collection goes on instead of ending the program.
TEST(CollectionThread, AnExceptionFromTheAfterCycleHookIsLoggedAndCyclesGoOn) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "1");
  std::atomic<int> calls{0};
  rig.after_cycle = [&calls] {
    if (calls.fetch_add(1) == 0) throw std::runtime_error("panne du crochet");
  };
  rig.Build();
  rig.engine->Start();
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_TRUE(rig.clock.WaitForSleepers(1));
    rig.clock.Advance(std::chrono::milliseconds{kMinAdaptiveWaitMs});
  }
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  rig.engine->Stop();
  EXPECT_GE(calls.load(), 3) << "cycles went on after the exception";
  const auto lines = rig.window.Lines(Field::AppLogList);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "[MoteurRecupDonnees] : panne du crochet"),
            lines.end());
}

TEST(CollectionSchedule, FailedRunIsRetriedNextCycleAndKeepsItsNextRunTime) {
  EngineRig rig;
  rig.config.Set("SERVICES", "HiLow", "3600");
  rig.Build();
  rig.results["HiLow"] = 0;

  rig.Cycle();
  EXPECT_EQ(rig.schedule.NextRun("HiLow"), 0) << "a failure leaves the next-run time alone";
  EXPECT_FALSE(rig.flags.IsRaised("HiLow")) << "a failure raises no fresh flag";
  EXPECT_EQ(rig.window.Rows(Field::ServiceList).size(), 0U) << "no times shown for a failure";

  rig.results["HiLow"] = 1;
  const long long second = rig.clock.SteadySeconds();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), (Runs{"HiLow", "HiLow"})) << "retried in the very next cycle";
  EXPECT_EQ(rig.schedule.NextRun("HiLow"), second + 3600);
  EXPECT_TRUE(rig.flags.IsRaised("HiLow"));

  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), Runs{}) << "after a success it waits its period";
}

TEST(CollectionSchedule, ServicesAfterAGapInTheListStillRun) {
  struct Row {
    const char* legend;
    std::vector<std::string> configured;
    Runs expected;
  };
  const Row rows[] = {
      {"only the last one of five", {"Calibration"}, {"Calibration"}},
      {"first and last", {"CurrentData", "Calibration"}, {"CurrentData", "Calibration"}},
      {"two in the middle", {"HiLow", "ConfigStation"}, {"HiLow", "ConfigStation"}},
      {"none configured", {}, {}},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    for (const std::string& name : row.configured) rig.config.Set("SERVICES", name, "30");
    rig.Build();
    rig.engine->RunCycle();
    EXPECT_EQ(rig.TakeRuns(), row.expected) << row.legend;
  }
}

TEST(CollectionSchedule, CycleSuccessCountCountsCurrentDataAndAlarmOfThisCycleOnly) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "0");
  rig.config.Set("SERVICES", "Alarm", "0");
  rig.config.Set("SERVICES", "HiLow", "0");
  rig.Build();

  rig.Cycle();
  EXPECT_EQ(rig.record.CycleSuccessCount, 2) << "HiLow does not count";
  rig.results["Alarm"] = 0;
  rig.Cycle();
  EXPECT_EQ(rig.record.CycleSuccessCount, 1) << "the count starts again each cycle";
  rig.Cycle();
  ASSERT_EQ(rig.record.CycleSuccessCount, 1);
  rig.station.load_result = 0;
  rig.Cycle();
  EXPECT_EQ(rig.record.CycleSuccessCount, 0) << "a cycle without the library collected nothing";
}

TEST(CollectionWait, AdaptiveWaitFollowsTheCycleLengthWithAFloor) {
  struct Row {
    const char* legend;
    int cycle_seconds;
    long long wait_ms;
    std::string text;
  };
  // The clock starts at 22:13:20; the announced time is the end of the cycle
  // plus the announced seconds.
  const Row rows[] = {
      {"instant cycle", 0, 2500, "Prochaine collecte des données dans 2 secondes. (22:13:22)"},
      {"1 s cycle: 2 s announced, 2.5 s waited", 1, 2500,
       "Prochaine collecte des données dans 2 secondes. (22:13:23)"},
      {"3 s cycle", 3, 3000, "Prochaine collecte des données dans 3 secondes. (22:13:26)"},
      {"7 s cycle", 7, 7000, "Prochaine collecte des données dans 7 secondes. (22:13:34)"},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.config.Set("SERVICES", "CurrentData", "10");
    rig.durations["CurrentData"] = row.cycle_seconds;
    rig.Build();
    EXPECT_EQ(rig.engine->RunCycle(), row.wait_ms) << row.legend;
    EXPECT_EQ(rig.window.Text(Field::EngineStateText), row.text) << row.legend;
  }
}

TEST(CollectionWait, FixedWaitWhateverTheCycleLength) {
  for (const int cycle_seconds : {0, 4, 75}) {
    EngineRig rig;
    rig.config.Set("GENERAL", "RefreshServices", "60");
    rig.config.Set("SERVICES", "CurrentData", "10");
    rig.durations["CurrentData"] = cycle_seconds;
    rig.Build();
    EXPECT_EQ(rig.engine->RunCycle(), 60000) << cycle_seconds;
    EXPECT_EQ(rig.window.Text(Field::EngineStateText), "---") << cycle_seconds;
  }
}

TEST(CollectionWait, NegativeRefreshPeriodFallsBackToTheAdaptiveWait) {
  EngineRig rig;
  rig.config.Set("GENERAL", "RefreshServices", "-5");
  rig.Build();
  EXPECT_EQ(rig.engine->RunCycle(), 2500) << "a negative wait would spin the loop";
}

TEST(CollectionWait, FailedRunsPostponeTheAnnouncedTimeNotTheWait) {
  EngineRig rig;
  rig.config.Set("CONSOLE", "OffsetService", "30");
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.config.Set("SERVICES", "Alarm", "10");
  rig.config.Set("SERVICES", "Calibration", "10");
  rig.results["CurrentData"] = 0;
  rig.results["Calibration"] = 0;
  rig.Build();

  EXPECT_EQ(rig.engine->RunCycle(), 2500) << "the wait itself is not lengthened";
  EXPECT_EQ(rig.engine->Postponement(), 60) << "every failure of the cycle counts, any position";
  EXPECT_EQ(rig.window.Text(Field::EngineStateText),
            "Prochaine collecte des données dans 2 secondes. (22:14:22)");
  rig.clock.Advance(std::chrono::seconds{3});
  rig.results["CurrentData"] = 1;
  rig.results["Calibration"] = 1;
  rig.engine->RunCycle();
  EXPECT_EQ(rig.engine->Postponement(), 0) << "the total starts again each cycle";
}

TEST(CollectionWait, LibraryLoadFailureSkipsTheCycleAndWaitsABoundedTime) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.station.load_result = 0;
  rig.Build();

  EXPECT_EQ(rig.engine->RunCycle(), 2500);
  rig.clock.Advance(std::chrono::hours{5});
  EXPECT_EQ(rig.engine->RunCycle(), 2500) << "the wait never grows from an old start";
  EXPECT_EQ(rig.window.Lines(Field::AppLogList),
            (std::vector<std::string>{"Erreur d'ouverture de la librairie libvantagepro.so",
                                      "Erreur d'ouverture de la librairie libvantagepro.so"}));
  EXPECT_TRUE(rig.station.connects.empty());
  EXPECT_EQ(rig.window.Text(Field::LinkStateText), "Initialisation de la connexion");
  EXPECT_EQ(rig.TakeRuns(), Runs{});
  EXPECT_EQ(rig.TakeLinkStates(), std::vector<int>{}) << "the link shown is left as it was";
}

}  // namespace
}  // namespace tv
