#pragma once

#include "gadget/window/window.h"
#include "lib/config/config_table.h"

namespace tv {

// The rain signals, given the rain rate (mm/h) the current conditions have
// just shown. For now it changes nothing: the rain indicator, its alert rows
// and balloons come with the alerts.
void RainNotify(Window& window, const ConfigTable& config, float rain_rate);

}  // namespace tv
