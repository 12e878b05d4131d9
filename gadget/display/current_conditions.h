#pragma once

#include <functional>

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"
#include "lib/config/language_pack.h"

namespace tv {

// Hands the rain signals a valid rain rate (mm/h) each time it is shown.
using RainNotifyHook = std::function<void(float rain_rate)>;

// The view of the current conditions: writes the readings of `data` into
// the always-visible areas and the detail pages, the wind-rose arrow, the
// forecast text (sentences from `language`) with its trend and icon
// pictures, the sun and console times and the tray tooltip. A value the
// console has no reading for leaves its field as it was. Every valid rain
// rate shown is handed to `rain_notify` (inside the window's batch: it may
// only make window calls).
void ShowCurrentConditions(Window& window, const StationData& data, LanguagePack& language,
                           const RainNotifyHook& rain_notify = {});

// The arrow of the wind rose pointing from the centre toward `direction`
// (whole degrees, north up, east right).
void DrawWindRoseArrow(Window& window, int direction);

}  // namespace tv
