#include "gadget/alerts/alarm_evaluator.h"

#include "gadget/alerts/alert_signals.h"
#include "lib/common/app_values.h"
#include "lib/common/thread_name.h"
#include "lib/config/config_keys.h"

namespace tv {

AlarmEvaluator::AlarmEvaluator(const ConfigTable& config, Clock& clock, const StationRecord& record,
                               Window& window, SoundAlerts* sounds)
    : config_(config),
      clock_(clock),
      record_(record),
      window_(window),
      sounds_(sounds),
      sleep_(clock) {}

AlarmEvaluator::~AlarmEvaluator() {
  Stop();
}

void AlarmEvaluator::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void AlarmEvaluator::RequestStop() {
  thread_.request_stop();
}

void AlarmEvaluator::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

void AlarmEvaluator::Loop(std::stop_token stop) {
  NameThisThread("alarms");
  while (!stop.stop_requested()) {
    try {
      RunPass();
    } catch (...) {
    }
    sleep_.Sleep(cycles_told_ ? kAlarmIdle : kAlarmPeriod, stop);
  }
}

void AlarmEvaluator::CycleEnded() {
  cycles_told_ = true;
  sleep_.WakeNow();
}

bool AlarmEvaluator::RunPass() {
  // Both the current data and the thresholds were collected in this cycle.
  if (record_.CycleSuccessCount < 2) return false;
  Evaluate(record_.Snapshot());
  return true;
}

void AlarmEvaluator::Evaluate(const StationData& data) {
  const std::vector<FoundAlarm> alarms = FindAlarms(data);
  bool raised = false;
  // The window's part in one batch; the sound is started outside it.
  window_.Batch([&] {
    window_.ClearRows(Field::ActiveAlertList);
    for (const FoundAlarm& a : alarms) AddAlertRow(window_, clock_, a.label, a.value);
    if (!alarms.empty()) {
      if (!window_.IsPressed(Field::AlertMuteButton) && config_.Flag(kKeyAlertsActive)) {
        raised = true;
        SetAlertBlinking(window_, true);
        if (config_.Flag(kKeyAlertsNotify)) {
          window_.ShowBalloon(AppTitle(), AlertBalloonText(alarms), kBalloonWarning, 10);
        }
        if (config_.Flag(kKeyAlertsSeePanel)) window_.SelectPage(kAlertPageIndex);
        if (config_.Flag(kKeyAlertsSeeWindow)) {
          window_.ShowWindow();
          window_.ActivateWindow();
        }
      }
    } else {
      SetAlertBlinking(window_, false);
    }
    UpdateBelowZeroIndicator(window_, data);
  });
  const std::string sound = config_.Value(kKeyAlertsSound);
  if (raised && sounds_ != nullptr && !sound.empty()) sounds_->Start(sound);
  if (found_listener_) found_listener_(alarms);
}

}  // namespace tv
