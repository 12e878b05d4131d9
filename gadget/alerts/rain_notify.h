#pragma once

#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// The rain signals, given the rain rate (mm/h) the current conditions have
// just shown. While it rains RainAlertIcon blinks and, with
// "ALERTS_RainNotify" = "1", a row "Précipitation de pluie" with the rate is
// added to the alert list (up to kAlertListMaxRows rows) and, unless
// AlertMuteButton is pressed, a balloon "Alerte de pluie => 2.4 mm" is shown.
// Without rain the blink stops and the icon is hidden.
void RainNotify(Window& window, const ConfigTable& config, const Clock& clock, float rain_rate);

}  // namespace tv
