#pragma once

#include <string>

#include "lib/station/result_codes.h"

namespace tv {

// Mode of FormatStationDate that writes the time only.
inline constexpr int kStationTimeOnly = 2;

// A console date and time as shown: "05/03/2010 07h09", or with
// kStationTimeOnly "07h09". Day, month, hour and minute get two digits, the
// year is written as it is. "---" when day, month, hour or minute is -1
// (the console has no value).
std::string FormatStationDate(const StationDateTime& when, int mode);

}  // namespace tv
