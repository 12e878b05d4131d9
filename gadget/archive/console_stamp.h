#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lib/station/result_codes.h"

namespace tv {

// A console's archive time as one number, YYYYMMDDHHMM (202612071405). The
// console keeps its local time without daylight-saving flag, so the same
// number comes twice in the autumn hour; it orders like the time it names.
using ConsoleStamp = std::int64_t;

// The stamp of a console time; nullopt when a field is out of range.
std::optional<ConsoleStamp> PackConsoleStamp(const StationDateTime& time);
StationDateTime UnpackConsoleStamp(ConsoleStamp stamp);
// "2026-12-07 14:05".
std::string FormatConsoleStamp(ConsoleStamp stamp);

// The UTC second of a stamp read in the computer's time zone. In the hour
// that the zone repeats in autumn, `occurrence` 0 is its first passage
// (summer time) and any higher occurrence the second; an hour the zone skips
// in spring is read with the offset before the change.
std::int64_t ConsoleStampToUtc(ConsoleStamp stamp, int occurrence);
// The local stamp of a UTC second in the computer's time zone.
ConsoleStamp UtcToConsoleStamp(std::int64_t utc);

// A local date "YYYY-MM-DD" or date and time "YYYY-MM-DDTHH:MM" (a space is
// accepted in place of the T) as a UTC second in the computer's time zone.
// With `end_of_range`, a date alone means its last second and a time its
// minute's last second, so that a range written with the same day or minute
// at both ends covers it. nullopt for anything else.
std::optional<std::int64_t> ParseLocalTime(std::string_view text, bool end_of_range);

}  // namespace tv
