#include "gadget/alerts/alarm_evaluator.h"

#include <utility>

#include "gadget/alerts/alert_signals.h"
#include "lib/common/app_values.h"
#include "lib/common/escape_edge.h"
#include "lib/config/config_keys.h"

namespace tv {

AlarmEvaluator::AlarmEvaluator(const ConfigTable& config, Clock& clock, const StationRecord& record,
                               Window& window, SoundAlerts* sounds, EscapeReport report)
    : config_(config),
      clock_(clock),
      record_(record),
      window_(window),
      sounds_(sounds),
      report_(std::move(report)),
      worker_(WorkerParts{
          .name = "alarms",
          .clock = clock,
          .round =
              [this](std::stop_token) {
                RunPass();
                return NextSleep();
              },
          .escaped =
              [this](std::string_view reason) {
                if (report_) report_(EdgeErrorLine("alarmes", reason));
              },
          .after_escape = [this] { return NextSleep(); },
      }) {}

AlarmEvaluator::~AlarmEvaluator() {
  Stop();
}

void AlarmEvaluator::Start() {
  worker_.Start();
}

void AlarmEvaluator::RequestStop() {
  worker_.RequestStop();
}

void AlarmEvaluator::Stop() {
  worker_.Stop();
}

void AlarmEvaluator::CycleEnded() {
  cycles_told_ = true;
  worker_.WakeNow();
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
