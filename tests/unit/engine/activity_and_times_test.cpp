#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/service_times.h"
#include "gadget/pages/activity_page.h"
#include "tests/support/gui_thread_window.h"
#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using Lines = std::vector<std::string>;

TEST(ActivityLog, NewestLineOnTopAndCopiedToTheErrorStreamWithATimestamp) {
  testing::UseUtc();
  ConfigTable config;
  ManualClock clock;
  MemoryWindow window;
  std::ostringstream errors;
  ActivityPage page(window);
  ActivityLog log(page, config, clock, &errors);
  log.Notify("première");
  log.Notify("seconde");
  EXPECT_EQ(window.Lines(Field::AppLogList), (Lines{"seconde", "première"}));
  EXPECT_EQ(errors.str(), "2023-11-14 22:13:20 première\n2023-11-14 22:13:20 seconde\n");
}

TEST(ActivityLog, KeepsOnlyTheNewestLines) {
  ConfigTable config;
  ManualClock clock;
  MemoryWindow window;
  ActivityPage page(window);
  ActivityLog log(page, config, clock);
  // A console unreachable for days adds four lines every 2.5 s.
  for (int i = 0; i < kAppLogMaxLines + 3; ++i) log.Notify("ligne " + std::to_string(i));
  const Lines lines = window.Lines(Field::AppLogList);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kAppLogMaxLines));
  EXPECT_EQ(lines.front(), "ligne " + std::to_string(kAppLogMaxLines + 2)) << "newest kept";
  EXPECT_EQ(lines.back(), "ligne 3") << "the three oldest dropped";
}

TEST(ActivityLog, LongMessagesAreCutWithoutSplittingACharacter) {
  ConfigTable config;
  ManualClock clock;
  MemoryWindow window;
  ActivityPage page(window);
  ActivityLog log(page, config, clock);
  // A damaged settings file can make the console address, quoted in the
  // connection messages, megabytes long.
  const std::string address(1 << 20, 'A');
  log.Notify("\xC3\xA9" + address);
  log.SetConnectionStatusText("Tentative de connexion : IP : " + address);
  log.Notify(std::string(kAppLogMaxLineChars, 'x'));
  const Lines lines = window.Lines(Field::AppLogList);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0], std::string(kAppLogMaxLineChars, 'x')) << "a line at the cap is kept whole";
  EXPECT_EQ(lines[1], "\xC3\xA9" + address.substr(0, kAppLogMaxLineChars - 2) + "\u2026");
  EXPECT_EQ(window.Text(Field::LinkStateText).size(), kAppLogMaxLineChars - 1 + 3);
}

TEST(ActivityLog, CapHoldsUnderConcurrentWriters) {
  ConfigTable config;
  ManualClock clock;
  MemoryWindow window;
  ActivityPage page(window);
  ActivityLog log(page, config, clock, nullptr, 50);
  std::vector<std::jthread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&log, w] {
      for (int i = 0; i < 100; ++i) log.Notify(std::to_string(w) + ":" + std::to_string(i));
    });
  }
  writers.clear();
  EXPECT_EQ(window.LineCount(Field::AppLogList), 50);
}

TEST(ActivityLog, WorkersAndTheGuiThreadLogTogetherWithoutDeadlock) {
  ConfigTable config;
  config.Set("GENERAL", "Notify", "1");
  ManualClock clock;
  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  ActivityPage page(gui);
  ActivityLog log(page, config, clock, nullptr, 100);
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  // Detached so that a deadlock fails the test instead of hanging it.
  std::thread([&log, &gui, done] {
    {
      std::vector<std::jthread> workers;
      for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&log, w] {
          for (int i = 0; i < 300; ++i) log.Notify("worker " + std::to_string(w));
        });
      }
      for (int i = 0; i < 300; ++i) gui.PostToGui([&log] { log.Notify("menu"); });
    }
    gui.RunOnGui([] {});  // the GUI thread's own lines are done too
    done->set_value();
  }).detach();
  if (finished.wait_for(std::chrono::seconds{60}) != std::future_status::ready) {
    ADD_FAILURE() << "the log deadlocked between a worker and the GUI thread";
    std::abort();
  }
  EXPECT_EQ(window.LineCount(Field::AppLogList), 100);
  EXPECT_EQ(window.Balloons().size(), 1200U);
}

TEST(ActivityLog, BalloonOnlyWhenNotifyIsExactlyOne) {
  struct Row {
    const char* legend;
    const char* value;  // nullptr: key absent
    bool balloon;
  };
  const Row rows[] = {
      {"on", "1", true},
      {"off", "0", false},
      {"empty", "", false},
      {"absent", nullptr, false},
      {"not exactly 1", "1 ", false},
  };
  for (const Row& row : rows) {
    ConfigTable config;
    if (row.value != nullptr) config.Set("GENERAL", "Notify", row.value);
    ManualClock clock;
    MemoryWindow window;
    ActivityPage page(window);
    ActivityLog log(page, config, clock);
    log.Notify("Impossible de se connecter à la console !");
    const auto shown = window.Balloons();
    ASSERT_EQ(shown.size(), row.balloon ? 1U : 0U) << row.legend;
    if (row.balloon) {
      EXPECT_EQ(shown[0].title, "Teskaro Ventaro v1.0");
      EXPECT_EQ(shown[0].text, "Impossible de se connecter à la console !");
      EXPECT_EQ(shown[0].icon_kind, kBalloonInfo);
      EXPECT_EQ(shown[0].seconds, 1);
    }
  }
}

TEST(ServiceTimes, RowsKeepTheirPlaceWhenUpdated) {
  testing::UseUtc();
  MemoryWindow window;
  ActivityPage page(window);
  ServiceTimesList list(page);
  const long long t = 1'700'000'000;  // 14/11/2023 22:13:20 UTC
  list.Show("CurrentData", t, t + 10);
  list.Show("Alarm", t, t + 60);
  list.Show("CurrentData", t + 10, t + 20);
  list.Show("HiLow", t + 20, t + 3620);
  EXPECT_EQ(window.Rows(Field::ServiceList),
            (Lines{"CurrentData\n14/11/2023 - 22:13:30\n14/11/2023 - 22:13:40",
                   "Alarm\n14/11/2023 - 22:13:20\n14/11/2023 - 22:14:20",
                   "HiLow\n14/11/2023 - 22:13:40\n14/11/2023 - 23:13:40"}));
}

TEST(ServiceTimes, EngineShowsTheTimesOfSuccessfulRuns) {
  testing::EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.config.Set("SERVICES", "Alarm", "60");
  rig.durations["CurrentData"] = 1;
  rig.Build();
  rig.Cycle();
  EXPECT_EQ(rig.window.Rows(Field::ServiceList),
            (Lines{"CurrentData\n14/11/2023 - 22:13:21\n14/11/2023 - 22:13:31",
                   "Alarm\n14/11/2023 - 22:13:21\n14/11/2023 - 22:14:21"}))
      << "now is taken after the run";
  EXPECT_TRUE(rig.flags.IsRaised("CurrentData"));
  EXPECT_TRUE(rig.flags.IsRaised("Alarm"));
}

}  // namespace
}  // namespace tv
