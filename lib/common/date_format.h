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

// Seconds of the desktop clock as local ISO 8601 ("2024-06-21T14:05:00").
std::string LocalIsoTime(long long seconds);

}  // namespace tv
