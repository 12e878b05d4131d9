#pragma once

#include <functional>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

#include "gadget/alerts/alarm_items.h"
#include "gadget/alerts/sound_alert.h"
#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// Time between two evaluations.
inline constexpr Clock::Duration kAlarmPeriod{2000};

// The alarm thread: every kAlarmPeriod, when the current collection cycle
// has collected both the current data and the alarm thresholds, it lists the
// alarms found in ActiveAlertList and, unless AlertMuteButton is pressed,
// raises the signals: the blinking AlarmAlertIcon, a sound alert, the balloon
// ("ALERTS_Notify"), the alert page ("ALERTS_SeePanel") and the window
// brought forward ("ALERTS_SeeWindow"). It also shows or hides FrostIcon.
class AlarmEvaluator {
 public:
  // Everything given must outlive the evaluator; without `sounds` no sound
  // is played.
  AlarmEvaluator(const ConfigTable& config, Clock& clock, const StationRecord& record,
                 Window& window, SoundAlerts* sounds);
  ~AlarmEvaluator();
  AlarmEvaluator(const AlarmEvaluator&) = delete;
  AlarmEvaluator& operator=(const AlarmEvaluator&) = delete;

  void Start();
  void RequestStop();
  void Stop();
  bool Running() const { return thread_.joinable(); }

  // One pass without its wait, on the calling thread: an evaluation when the
  // cycle's count allows it. True when it evaluated.
  bool RunPass();
  // The evaluation of `data`, whatever the cycle.
  void Evaluate(const StationData& data);

  // Called after each evaluation with the alarms found, muted or not (on
  // the thread that evaluated). Set before Start.
  using FoundListener = std::function<void(const std::vector<FoundAlarm>&)>;
  void SetFoundListener(FoundListener listener) { found_listener_ = std::move(listener); }

 private:
  void Loop(std::stop_token stop);

  const ConfigTable& config_;
  Clock& clock_;
  const StationRecord& record_;
  Window& window_;
  SoundAlerts* sounds_;  // none: no sound
  FoundListener found_listener_;
  std::jthread thread_;
};

}  // namespace tv
