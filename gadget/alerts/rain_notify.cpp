#include "gadget/alerts/rain_notify.h"

#include <string>

#include "gadget/alerts/alert_signals.h"
#include "gadget/display/blinking.h"
#include "lib/common/app_values.h"
#include "lib/common/number_text.h"
#include "lib/config/config_keys.h"

namespace tv {

void RainNotify(Window& window, const ConfigTable& config, const Clock& clock, float rain_rate) {
  if (rain_rate == 0.0F) {
    StopNamedBlink(window, kRainBlinkName);
    window.SetVisible(Field::RainAlertIcon, false);
    return;
  }
  StartNamedBlink(window, kRainBlinkName, Field::RainAlertIcon);
  if (!config.Flag(kKeyAlertsRainNotify)) return;
  const std::string rate = DecimalText(static_cast<double>(rain_rate), 1) + " mm";
  if (window.RowCount(Field::ActiveAlertList) < kAlertListMaxRows) {
    AddAlertRow(window, clock, "Précipitation de pluie", rate);
  }
  if (!window.IsPressed(Field::AlertMuteButton)) {
    window.ShowBalloon(AppTitle(), "Alerte de pluie => " + rate, kBalloonWarning, 10);
  }
}

}  // namespace tv
