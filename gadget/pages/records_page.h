#pragma once

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"

namespace tv {

// The records of the day, month and year: rebuilds TempPeakTree and
// HumPeakTree (a header per period, a labelled row per sensor with a
// reading, its high and low lines beneath) and writes the peak wind, rain
// rate, solar and UV fields. Values are converted from the library's units
// here. A sensor without a reading has no row; a peak without a reading
// keeps its field.
void RefreshRecordsPage(Window& window, const StationData& data);

}  // namespace tv
