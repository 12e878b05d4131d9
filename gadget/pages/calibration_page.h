#pragma once

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"

namespace tv {

// The console's calibration corrections on the settings page: inside and
// outside temperature (°C), inside and outside humidity (signed %), wind
// direction (degrees). A correction the console has no value for keeps its
// field.
void RefreshCalibrationPage(Window& window, const StationData& data);

}  // namespace tv
