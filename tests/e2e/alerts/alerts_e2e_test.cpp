// The alerts on the whole road: the console simulator with its storm and
// frost scenarios, thresholds written through its control channel, the real
// station library, the collection, the alarm evaluation and the sound alert
// written into a WAV file through TV_SOUND_SINK.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "gadget/agent/agent.h"
#include "gadget/alerts/alert_signals.h"
#include "gadget/display/blinking.h"
#include "gadget/display/image_sets.h"
#include "gadget/sound/pcm.h"
#include "gadget/window/memory_window.h"
#include "lib/common/number_text.h"
#include "lib/vocabulary/data_item_labels.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

namespace fs = std::filesystem;

class AlertsE2e : public ::testing::Test {
 protected:
  void Begin(const char* scenario, const std::vector<std::string>& controls) {
    RegisterGeneralSet();
    std::string error;
    ASSERT_TRUE(sim_.Start(
        {"--tcp", "127.0.0.1:0", "--scenario", scenario, "--start", "2024-01-15 03:00:00"}, &error))
        << error;
    ASSERT_EQ(sim_.Control("HOLD ON"), "OK");
    for (const std::string& c : controls) ASSERT_EQ(sim_.Control(c), "OK") << c;
    config_.Set("CONSOLE", "type", "IP");
    config_.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim_.tcp_port()));
    config_.Set("CONSOLE", "ConnectionTimeout", "10");
    config_.Set("SERVICES", "CurrentData", "3600");
    config_.Set("SERVICES", "Alarm", "3600");
    config_.Set("ALERTS", "Active", "1");
    config_.Set("ALERTS", "Notify", "1");
    config_.Set("ALERTS", "RainNotify", "1");
    config_.Set("ALERTS", "Sound", "beep1");
    sink_ =
        (fs::path(::testing::TempDir()) / ("tv_alerts_" + std::string(scenario) + ".wav")).string();
    setenv("TV_SOUND_SINK", ("wav:" + sink_).c_str(), 1);
    agent_ = std::make_unique<Agent>(config_, gui_);
    unsetenv("TV_SOUND_SINK");
    agent_->Open();
  }
  void TearDown() override {
    if (agent_) {
      agent_->Quit(std::chrono::seconds{5});
      agent_->Stop();
      agent_.reset();
    }
    StopNamedBlink(window_, kAlertBlinkName);
    StopNamedBlink(window_, kRainBlinkName);
    if (!sink_.empty()) fs::remove(sink_);
  }

  // One collection cycle, the display, then the alarm evaluation that
  // follows it.
  void CollectAndEvaluate() {
    agent_->engine().RunCycle();
    ASSERT_EQ(agent_->record().CycleSuccessCount, 2) << "current data and thresholds collected";
    agent_->display_refresh().RunPass();
    ASSERT_TRUE(agent_->alarms().RunPass());
  }

  // Label and value of each row of the alert list.
  std::vector<std::string> Alerts() const {
    std::vector<std::string> out;
    for (const std::string& row : window_.Rows(Field::ActiveAlertList)) {
      out.push_back(row.substr(row.find('\n') + 1));
    }
    return out;
  }
  bool Listed(const std::string& label_and_value) const {
    const auto rows = Alerts();
    return std::find(rows.begin(), rows.end(), label_and_value) != rows.end();
  }

  testing::SimulatorProcess sim_;
  ConfigTable config_;
  MemoryWindow window_;
  testing::GuiThreadWindow gui_{window_};
  std::unique_ptr<Agent> agent_;
  std::string sink_;
};

TEST_F(AlertsE2e, StormThresholdsListedSignalledAndSounded) {
  // Wind above 10 mph and rain above 1 mm/h (5 clicks of 0.2 mm), the
  // console's own alarm bits cleared.
  Begin("storm", {"SET ee.ALARM_WIND_SPEED 10", "SET ee.ALARM_HIGH_RAIN_RATE 5",
                  "SET alarm_inside 0", "SET alarm_rain 0"});
  CollectAndEvaluate();

  const double mph = sim_.GetNumber("wind_speed");
  const double clicks = sim_.GetNumber("rain_rate");
  ASSERT_GT(mph, 10);
  ASSERT_GT(clicks, 5);
  const float kmh = static_cast<float>(std::nearbyint(mph)) * 1.61F;
  EXPECT_TRUE(Listed(DataItemLabel("HiWindSpeed") + "\n" + RoundedText(kmh) + " Km/h"))
      << ::testing::PrintToString(Alerts());
  EXPECT_TRUE(Listed(DataItemLabel("HiRainRate") + "\n" +
                     DecimalText(static_cast<double>(static_cast<float>(clicks) * 0.2F), 1) +
                     " mm"))
      << ::testing::PrintToString(Alerts());
  for (const std::string& row : Alerts()) {
    EXPECT_EQ(row.find(DataItemLabel("BarFall")), std::string::npos) << row;
    EXPECT_EQ(row.find(DataItemLabel("FlashFlood")), std::string::npos) << row;
  }
  EXPECT_TRUE(window_.Blinking(Field::AlarmAlertIcon));
  EXPECT_TRUE(window_.Blinking(Field::RainAlertIcon)) << "it rains";
  ASSERT_FALSE(window_.Balloons().empty());
  EXPECT_EQ(window_.Balloons().back().text.rfind("ALERTES :\r\n\r\n", 0), 0U);

  // The configured sound reaches the WAV file: beep1, one second.
  SoundAlerts* sounds = agent_->sound_alerts();
  ASSERT_NE(sounds, nullptr);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds{20};
  while (sounds->Alive() > 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  ASSERT_EQ(sounds->Alive(), 0U);
  Samples written;
  ASSERT_TRUE(LoadSoundFile(sink_, written));
  EXPECT_EQ(written.size(), 44100U);

  // The console raises its falling-pressure and flash-flood alarms.
  ASSERT_EQ(sim_.Control("SET alarm_inside 1"), "OK");
  ASSERT_EQ(sim_.Control("SET alarm_rain 2"), "OK");
  agent_->schedule().SetNextRun("CurrentData", 0);
  agent_->schedule().SetNextRun("Alarm", 0);
  CollectAndEvaluate();
  const double hpa = sim_.GetNumber("barometer") * 33.865;
  const double hour_mm = sim_.GetNumber("rain_1h") * 0.2;
  const std::string bar = DataItemLabel("BarFall") + "\n";
  const auto rows = Alerts();
  const auto find = [&](const std::string& label) {
    return std::find_if(rows.begin(), rows.end(),
                        [&](const std::string& r) { return r.rfind(label + "\n", 0) == 0; });
  };
  ASSERT_NE(find(DataItemLabel("BarFall")), rows.end()) << ::testing::PrintToString(rows);
  EXPECT_NEAR(std::stod(find(DataItemLabel("BarFall"))->substr(bar.size())), hpa, 0.06);
  ASSERT_NE(find(DataItemLabel("FlashFlood")), rows.end()) << ::testing::PrintToString(rows);
  EXPECT_EQ(*find(DataItemLabel("FlashFlood")),
            DataItemLabel("FlashFlood") + "\n" + DecimalText(hour_mm, 1) + " mm");
  EXPECT_EQ(find(DataItemLabel("BarRise")), rows.end()) << "its threshold is not set";
}

TEST_F(AlertsE2e, FrostShowsTheBelowZeroIcon) {
  Begin("frost", {});
  CollectAndEvaluate();
  const double thsw = sim_.GetNumber("thsw");
  ASSERT_FALSE(std::isnan(thsw));
  ASSERT_LT(thsw, 32) << "°F, below freezing";
  EXPECT_TRUE(window_.Visible(Field::FrostIcon));
}

}  // namespace
}  // namespace tv
