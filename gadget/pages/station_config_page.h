#pragma once

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"

namespace tv {

// What the console says about itself: batteries, reception statistics,
// firmware, position, archive interval and time-zone settings on the station
// page, and the transmitter list (IDs 6 down to 1) on the settings page.
// Every field is written; a value the console has no reading for shows "---".
void RefreshStationConfigPage(Window& window, const StationData& data);

}  // namespace tv
