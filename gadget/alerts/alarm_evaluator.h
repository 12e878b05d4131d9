#pragma once

#include <atomic>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "gadget/alerts/alarm_items.h"
#include "gadget/alerts/sound_alert.h"
#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/common/worker_thread.h"
#include "lib/config/config_table.h"

namespace tv {

// Time between two looks at the cycle, until the collection tells the end of
// its cycles (CycleEnded).
inline constexpr Clock::Duration kAlarmPeriod{2000};
// Longest sleep once the collection tells the end of its cycles.
inline constexpr Clock::Duration kAlarmIdle{std::chrono::hours{1}};

// The alarm thread: at the end of each collection cycle (before the first
// end is told, every kAlarmPeriod), when the cycle has collected both the
// current data and the alarm thresholds, it lists the
// alarms found in ActiveAlertList and, unless AlertMuteButton is pressed,
// raises the signals: the blinking AlarmAlertIcon, a sound alert, the balloon
// ("ALERTS_Notify"), the alert page ("ALERTS_SeePanel") and the window
// brought forward ("ALERTS_SeeWindow"). It also shows or hides FrostIcon.
class AlarmEvaluator {
 public:
  // Where the thread tells what escapes a pass ("Erreur interne (alarmes) :
  // …", the activity log).
  using EscapeReport = std::function<void(std::string_view line)>;

  // Everything given must outlive the evaluator; without `sounds` no sound
  // is played.
  AlarmEvaluator(const ConfigTable& config, Clock& clock, const StationRecord& record,
                 Window& window, SoundAlerts* sounds, EscapeReport report = {});
  ~AlarmEvaluator();
  AlarmEvaluator(const AlarmEvaluator&) = delete;
  AlarmEvaluator& operator=(const AlarmEvaluator&) = delete;

  void Start();
  void RequestStop();
  void Stop();
  bool Running() const { return worker_.Running(); }
  // A collection cycle has ended (any thread): the thread evaluates at once,
  // and from now on sleeps until the next end instead of looking every
  // kAlarmPeriod.
  void CycleEnded();

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
  // Until the next end of a cycle once they are told, else kAlarmPeriod.
  Clock::Duration NextSleep() const { return cycles_told_ ? kAlarmIdle : kAlarmPeriod; }

  const ConfigTable& config_;
  Clock& clock_;
  const StationRecord& record_;
  Window& window_;
  SoundAlerts* sounds_;  // none: no sound
  FoundListener found_listener_;
  const EscapeReport report_;
  std::atomic<bool> cycles_told_{false};
  WorkerThread worker_;
};

}  // namespace tv
