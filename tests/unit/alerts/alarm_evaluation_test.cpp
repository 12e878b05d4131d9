#include "gadget/alerts/alarm_evaluator.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <thread>

#include "gadget/alerts/alarm_items.h"
#include "gadget/alerts/alert_signals.h"
#include "gadget/alerts/rain_notify.h"
#include "gadget/display/blinking.h"
#include "gadget/window/field_catalogue.h"
#include "gadget/window/memory_window.h"
#include "lib/common/named_handles.h"
#include "lib/vocabulary/data_item_labels.h"
#include "tests/support/gui_thread_window.h"
#include "tests/unit/alerts/recording_sound.h"

namespace tv {
namespace {

constexpr float kNoData = -32768.0F;

}  // namespace

void PrintTo(const FoundAlarm& a, std::ostream* os) {
  *os << a.name << " | " << a.label << " | " << a.value;
}

namespace {

std::vector<std::string> Names(const std::vector<FoundAlarm>& found) {
  std::vector<std::string> names;
  for (const FoundAlarm& f : found) names.push_back(f.name);
  return names;
}

TEST(AlarmItems, SeventyFourItemsEachWithItsLabel) {
  const std::vector<std::string> names = AlarmItemNames();
  ASSERT_EQ(names.size(), kAlarmItemCount);
  EXPECT_EQ(names.front(), "BarRise");
  EXPECT_EQ(names[24], "LowExtraTemp[0]") << "the sensor families follow HiUVMed";
  EXPECT_EQ(names[31], "HiExtraTemp[0]") << "the lows of a family come first";
  EXPECT_EQ(names.back(), "LowLeafWet[1]");
  for (const std::string& name : names) EXPECT_FALSE(DataItemLabel(name).empty()) << name;
}

// Each row: one change to a record that raises nothing, and what it raises.
TEST(AlarmItems, StrictComparisonsValueTextsAndConsoleBits) {
  struct Row {
    const char* legend;
    void (*change)(StationData&);
    std::vector<FoundAlarm> want;
  };
  const Row rows[] = {
      {"35.4 °C over a 35 °C threshold",
       [](StationData& d) {
         d.CurrentData.OutsideTemp = 35.4F;
         d.Alarms.outsideHiTemp = 35.0F;
       },
       {{"outsideHiTemp", DataItemLabel("outsideHiTemp"), "35 °c"}}},
      {"a humidity equal to its threshold",
       [](StationData& d) {
         d.CurrentData.OutsideHumidity = 80;
         d.Alarms.HiOutsideHum = 80;
       },
       {}},
      {"humidities compared as whole numbers",
       [](StationData& d) {
         d.CurrentData.ExtraHum[3] = 19;
         d.Alarms.LowExtraHum[3] = 20;
         d.Alarms.HiExtraHum[3] = 90;
       },
       {{"LowExtraHum[3]", DataItemLabel("LowExtraHum[3]"), "19 %"}}},
      {"a threshold the console does not set",
       [](StationData& d) {
         d.CurrentData.OutsideTemp = 35.4F;
         d.Alarms.outsideHiTemp = kNoData;
       },
       {}},
      {"a sensor without reading below a low threshold",
       [](StationData& d) {
         d.CurrentData.ExtraTemp[2] = kNoData;
         d.Alarms.LowExtraTemp[2] = -10.0F;
       },
       {}},
      {"wind rounded to a whole number, rain with one decimal",
       [](StationData& d) {
         d.CurrentData.WindSpeed = 61.18F;
         d.Alarms.HiWindSpeed = 48.3F;
         d.CurrentData.RainRate = 12.4F;
         d.Alarms.HiRainRate = 10.0F;
       },
       {{"HiWindSpeed", DataItemLabel("HiWindSpeed"), "61 Km/h"},
        {"HiRainRate", DataItemLabel("HiRainRate"), "12.4 mm"}}},
      {"UV as index and as dose",
       [](StationData& d) {
         d.CurrentData.UV = 7;
         d.Alarms.HiUV = 6.0F;
         d.Alarms.HiUVMed = 5.5F;
       },
       {{"HiUV", DataItemLabel("HiUV"), "7 %"}, {"HiUVMed", DataItemLabel("HiUVMed"), "7.0 Med"}}},
      {"the console's falling-pressure and flash-flood bits",
       [](StationData& d) {
         d.CurrentData.Barometer = 998.46F;
         d.CurrentData.BarFallingAlarm = 1;
         d.Alarms.BarFall = 2.03F;
         d.CurrentData.RainLastHour = 18.2F;
         d.CurrentData.FlashFloodAlarm = 1;
         d.Alarms.FlashFlood = 10.0F;
       },
       {{"BarFall", DataItemLabel("BarFall"), "998.5 Hpa / mb"},
        {"FlashFlood", DataItemLabel("FlashFlood"), "18.2 mm"}}},
      {"a console bit whose threshold is not set, a failed bit read",
       [](StationData& d) {
         d.CurrentData.BarRisingAlarm = 1;
         d.Alarms.BarRise = kNoData;
         d.CurrentData.FlashFloodAlarm = -32701;
       },
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    StationData data;
    row.change(data);
    EXPECT_EQ(FindAlarms(data), row.want) << ::testing::PrintToString(Names(FindAlarms(data)));
  }
}

class AlarmSignals : public ::testing::Test {
 protected:
  void SetUp() override {
    config_.Set("ALERTS", "Active", "1");
    config_.Set("ALERTS", "Notify", "1");
    config_.Set("ALERTS", "Sound", "beep1");
    alarm_.CurrentData.OutsideTemp = 35.4F;
    alarm_.Alarms.outsideHiTemp = 35.0F;
    alarm_.CurrentData.InsideHumidity = 71;
    alarm_.Alarms.HiInsideHum = 70;
  }
  void TearDown() override {
    sounds_.Stop();
    StopNamedBlink(window_, kAlertBlinkName);
    StopNamedBlink(window_, kRainBlinkName);
  }
  // Waits (in real time, at most 10 s) for the sound threads to end by
  // themselves.
  void WaitForSounds() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds{10};
    while (sounds_.Alive() > 0 && std::chrono::steady_clock::now() < end) {
      std::this_thread::yield();
    }
    ASSERT_EQ(sounds_.Alive(), 0U);
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (const std::string& row : window_.Rows(Field::ActiveAlertList)) {
      const auto a = row.find('\n');
      labels.push_back(row.substr(a + 1));
    }
    return labels;
  }

  ManualClock clock_;
  MemoryWindow window_{{}, clock_};
  testing::GuiThreadWindow gui_{window_};
  ConfigTable config_;
  StationRecord record_;
  testing::RecordingSound sound_;
  SoundAlerts sounds_{sound_, {}};
  AlarmEvaluator evaluator_{config_, clock_, record_, gui_, &sounds_};
  StationData alarm_;
};

TEST_F(AlarmSignals, RowsBlinkingSoundAndBalloon) {
  evaluator_.Evaluate(alarm_);
  const auto rows = window_.Rows(Field::ActiveAlertList);
  ASSERT_EQ(rows.size(), 2U);
  // The time first: "14/11/2023 22:13".
  const std::string shape = "00/00/0000 00:00\n";
  ASSERT_GT(rows[0].size(), shape.size());
  for (std::size_t i = 0; i < shape.size(); ++i) {
    EXPECT_EQ(shape[i] == '0' ? std::isdigit(static_cast<unsigned char>(rows[0][i])) != 0
                              : rows[0][i] == shape[i],
              true)
        << rows[0];
  }
  EXPECT_EQ(Labels(), (std::vector<std::string>{DataItemLabel("outsideHiTemp") + "\n35 °c",
                                                DataItemLabel("HiInsideHum") + "\n71 %"}));
  EXPECT_TRUE(window_.Blinking(Field::AlarmAlertIcon));
  const auto balloons = window_.Balloons();
  ASSERT_EQ(balloons.size(), 1U);
  EXPECT_EQ(balloons[0].title, "Teskaro Ventaro v1.0");
  EXPECT_EQ(balloons[0].text, "ALERTES :\r\n\r\n" + DataItemLabel("outsideHiTemp") +
                                  " -> 35 °c\r\n" + DataItemLabel("HiInsideHum") + " -> 71 %\r\n");
  EXPECT_EQ(balloons[0].icon_kind, kBalloonWarning);
  EXPECT_EQ(balloons[0].seconds, 10);
  WaitForSounds();
  EXPECT_EQ(sound_.Tones(), BeepTones("beep1"));
  EXPECT_EQ(window_.SelectedPage(), 0) << "ALERTS_SeePanel is off";
  EXPECT_FALSE(window_.WindowShown()) << "ALERTS_SeeWindow is off";

  // The alarm is gone: the list is emptied, the indicator stops and hides.
  evaluator_.Evaluate(StationData{});
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty());
  EXPECT_FALSE(window_.Blinking(Field::AlarmAlertIcon));
  EXPECT_FALSE(window_.Visible(Field::AlarmAlertIcon));
  EXPECT_EQ(window_.Balloons().size(), 1U);
}

TEST_F(AlarmSignals, MutedListsButRaisesNothing) {
  window_.SetPressed(Field::AlertMuteButton, true);
  config_.Set("ALERTS", "SeePanel", "1");
  config_.Set("ALERTS", "SeeWindow", "1");
  evaluator_.Evaluate(alarm_);
  EXPECT_EQ(window_.Rows(Field::ActiveAlertList).size(), 2U);
  EXPECT_FALSE(window_.Blinking(Field::AlarmAlertIcon));
  EXPECT_TRUE(window_.Balloons().empty());
  EXPECT_EQ(window_.SelectedPage(), 0);
  EXPECT_FALSE(window_.WindowShown());
  EXPECT_EQ(sounds_.Alive(), 0U) << "no sound started";
  EXPECT_TRUE(sound_.Tones().empty());

  // Unmuted: the alert page, the window brought forward.
  window_.SetPressed(Field::AlertMuteButton, false);
  evaluator_.Evaluate(alarm_);
  EXPECT_EQ(window_.SelectedPage(), kAlertPageIndex);
  EXPECT_EQ(DetailPages()[kAlertPageIndex], Field::AlertTab) << "the page of the alert list";
  EXPECT_TRUE(window_.WindowShown());
  EXPECT_EQ(window_.Activations(), 1);
}

TEST_F(AlarmSignals, FrostIconFollowsThswThenThw) {
  struct Row {
    const char* legend;
    std::int16_t thsw;
    std::int16_t thw;
    bool shown;
  };
  const Row rows[] = {
      {"THSW -2", -2, 5, true},
      {"THSW 0", 0, -5, false},
      {"THSW invalid, THW -1", -32768, -1, true},
      {"THSW invalid, THW 3", -32768, 3, false},
      {"neither index", -32768, -32768, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    StationData data;
    data.CurrentData.THSWIndex = row.thsw;
    data.CurrentData.THWIndex = row.thw;
    evaluator_.Evaluate(data);
    EXPECT_EQ(window_.Visible(Field::FrostIcon), row.shown);
  }
}

TEST_F(AlarmSignals, ThreadEvaluatesOnlyAfterBothServicesOfTheCycle) {
  record_.Update([&](StationData& d) { d = alarm_; });
  record_.CycleSuccessCount = 1;
  EXPECT_FALSE(evaluator_.RunPass());
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty());

  evaluator_.Start();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty());
  record_.CycleSuccessCount = 2;
  clock_.Advance(kAlarmPeriod);
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(window_.Rows(Field::ActiveAlertList).size(), 2U);
  evaluator_.Stop();
}

TEST_F(AlarmSignals, OnceCycleEndsAreToldThreadEvaluatesAtEachEndOnly) {
  record_.Update([&](StationData& d) { d = alarm_; });
  record_.CycleSuccessCount = 2;
  evaluator_.Start();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  ASSERT_EQ(window_.Rows(Field::ActiveAlertList).size(), 2U) << "looks before any end is told";

  record_.Update([&](StationData& d) { d = StationData{}; });
  evaluator_.CycleEnded();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty()) << "evaluated at the end, at once";

  record_.Update([&](StationData& d) { d = alarm_; });
  clock_.Advance(kAlarmPeriod * 10);
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty()) << "no poll between two ends";

  evaluator_.CycleEnded();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(window_.Rows(Field::ActiveAlertList).size(), 2U);
  evaluator_.Stop();
}

TEST_F(AlarmSignals, SoundAlertsAtMostFourAtOnce) {
  // A sound that plays until it is stopped.
  class Endless final : public SoundOutput {
   public:
    SoundResult Tone(int, int, std::stop_token stop) override {
      std::mutex m;
      std::condition_variable_any cv;
      std::unique_lock lock(m);
      cv.wait(lock, stop, [] { return false; });
      return SoundResult::kSkipped;
    }
    SoundResult PlayFile(const std::string&, int, std::stop_token) override {
      return SoundResult::kSkipped;
    }
    std::string TakeProblem() override { return {}; }
  } endless;
  SoundAlerts sounds(endless, {});
  int started = 0;
  for (int i = 0; i < 10; ++i) started += sounds.Start("beep1") ? 1 : 0;
  EXPECT_EQ(started, 4);
  EXPECT_EQ(sounds.Alive(), kMaxSoundAlerts);
  sounds.Stop();
  EXPECT_EQ(sounds.Alive(), 0U);
  EXPECT_TRUE(sounds.Start("beep1"));
  sounds.Stop();
}

TEST_F(AlarmSignals, RainRowsBalloonsAndIcon) {
  config_.Set("ALERTS", "RainNotify", "1");
  RainNotify(gui_, config_, clock_, 0.0F);
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty());
  EXPECT_TRUE(window_.Balloons().empty());
  EXPECT_FALSE(window_.Visible(Field::RainAlertIcon));
  EXPECT_FALSE(window_.Blinking(Field::RainAlertIcon));

  RainNotify(gui_, config_, clock_, 2.4F);
  EXPECT_EQ(Labels(), std::vector<std::string>{"Précipitation de pluie\n2.4 mm"});
  ASSERT_EQ(window_.Balloons().size(), 1U);
  EXPECT_EQ(window_.Balloons()[0].text, "Alerte de pluie => 2.4 mm");
  EXPECT_EQ(window_.Balloons()[0].icon_kind, kBalloonWarning);
  EXPECT_TRUE(window_.Blinking(Field::RainAlertIcon));

  // Muted: the row without the balloon.
  window_.SetPressed(Field::AlertMuteButton, true);
  RainNotify(gui_, config_, clock_, 2.4F);
  EXPECT_EQ(window_.Rows(Field::ActiveAlertList).size(), 2U);
  EXPECT_EQ(window_.Balloons().size(), 1U);

  // Rain going on with nobody emptying the list: it stops growing.
  for (int i = 0; i < 3 * kAlertListMaxRows; ++i) RainNotify(gui_, config_, clock_, 1.2F);
  EXPECT_EQ(window_.RowCount(Field::ActiveAlertList), kAlertListMaxRows);

  RainNotify(gui_, config_, clock_, 0.0F);
  EXPECT_FALSE(window_.Blinking(Field::RainAlertIcon));
  EXPECT_FALSE(window_.Visible(Field::RainAlertIcon));

  // Without "ALERTS_RainNotify" only the icon tells.
  config_.Set("ALERTS", "RainNotify", "0");
  window_.ClearRows(Field::ActiveAlertList);
  RainNotify(gui_, config_, clock_, 2.4F);
  EXPECT_TRUE(window_.Blinking(Field::RainAlertIcon));
  EXPECT_TRUE(window_.Rows(Field::ActiveAlertList).empty());
}

}  // namespace
}  // namespace tv
