#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "gadget/engine/activity_log.h"
#include "lib/common/clock.h"
#include "lib/station/result_codes.h"

namespace tv {

// How the collection engine's own log lines start.
inline constexpr std::string_view kEngineLogPrefix = "[MoteurRecupDonnees] : ";

// A console clock further than this from the desktop's is reported.
inline constexpr long long kClockOffsetLimitSeconds = 120;
// At most one log line about it in this time.
inline constexpr long long kClockOffsetLinePeriodSeconds = 3600;

// How far the console's clock is ahead of the desktop's, in whole minutes
// (negative: behind), `station` being the console's local date and time read
// at `desktop_seconds`. The console gives no seconds, so both clocks are
// compared on their minute. Empty when `station` is no valid date and time.
std::optional<long long> ConsoleClockOffsetMinutes(const StationDateTime& station,
                                                   long long desktop_seconds);

// "3 min", "1 h 05 min", "2 j 4 h 00 min".
std::string OffsetText(long long minutes);

// Compares the console's clock with the desktop's after each collection. A
// console whose clock drifts keeps its records and sunrise times wrong: when
// they differ by more than kClockOffsetLimitSeconds, one log line says by how
// much (at most one per kClockOffsetLinePeriodSeconds), and the tooltip
// shown by `show_tooltip` says it as long as it lasts ("" once the clocks
// agree again). Used by the collection thread only.
class ConsoleClockCheck {
 public:
  ConsoleClockCheck(ActivityLog& log, std::function<void(std::string_view)> show_tooltip);

  // `station` as the console gave it at `desktop_seconds`.
  void Check(const StationDateTime& station, long long desktop_seconds);

 private:
  ActivityLog& log_;
  std::function<void(std::string_view)> show_tooltip_;
  std::optional<long long> last_line_;
  std::string tooltip_;
};

}  // namespace tv
