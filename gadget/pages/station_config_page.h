#pragma once

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"

namespace tv {

// What the console says about itself: batteries, reception statistics,
// firmware, position, archive interval and time-zone settings on the station
// page, and the transmitter list (IDs 6 down to 1) on the settings page.
// Every field is written; a value the console has no reading for shows "---".
void RefreshStationConfigPage(Window& window, const StationData& data);

// The transmitter kind and station ID of transmitter `id` (1 to 7) in the
// station library's transmitter record: seven 32-bit kinds, then seven
// 32-bit station IDs.
struct TransmitterEntry {
  int kind = 0;
  int station_id = 0;
};
TransmitterEntry TransmitterAt(const ConfigGroup& config, int id);

}  // namespace tv
