#pragma once

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"

namespace tv {

// The console's alarm thresholds: rebuilds AlarmThresholdList with one row
// per threshold that is set ("label\nvalue unit"), in a fixed order.
void RefreshAlarmThresholdsPage(Window& window, const StationData& data);

}  // namespace tv
