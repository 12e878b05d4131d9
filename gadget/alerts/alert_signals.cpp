#include "gadget/alerts/alert_signals.h"

#include <ctime>

#include "gadget/display/blinking.h"
#include "lib/station/result_codes.h"

namespace tv {

void AddAlertRow(Window& window, const Clock& clock, std::string_view label,
                 std::string_view value) {
  const std::time_t t = static_cast<std::time_t>(clock.NowSeconds());
  std::tm tm{};
  localtime_r(&t, &tm);
  char when[32];
  if (std::strftime(when, sizeof when, "%d/%m/%Y %H:%M", &tm) == 0) when[0] = '\0';
  std::string row = when;
  row += '\n';
  row += label;
  row += '\n';
  row += value;
  window.AppendRow(Field::ActiveAlertList, row);
}

void SetAlertBlinking(Window& window, bool on) {
  if (on) {
    StartNamedBlink(window, kAlertBlinkName, Field::AlarmAlertIcon);
    return;
  }
  StopNamedBlink(window, kAlertBlinkName);
  window.SetVisible(Field::AlarmAlertIcon, false);
}

void UpdateBelowZeroIndicator(Window& window, const StationData& data) {
  const CurrentDataGroup& c = data.CurrentData;
  const std::int16_t index = IsValidResult(c.THSWIndex) == 1 ? c.THSWIndex : c.THWIndex;
  window.SetVisible(Field::FrostIcon, IsValidResult(index) == 1 && index < 0);
}

std::string AlertBalloonText(const std::vector<FoundAlarm>& alarms) {
  std::string text = "ALERTES :\r\n\r\n";
  for (const FoundAlarm& a : alarms) text += a.label + " -> " + a.value + "\r\n";
  return text;
}

}  // namespace tv
