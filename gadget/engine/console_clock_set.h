#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/station_port.h"
#include "gadget/engine/station_record.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// The local time the console should show at the UTC second `utc`. A console
// set to a GMT offset (its configuration read) keeps UTC + that offset, plus
// an hour of daylight saving when it is switched on by hand or, in automatic
// mode, when the computer is on summer time; otherwise (its own zone list,
// or its configuration not read yet) the computer's local time.
struct ConsoleTimeTarget {
  StationDateTime time;
  int second = 0;
  bool from_console_zone = false;
};
ConsoleTimeTarget ConsoleTimeFor(std::int64_t utc, const TimeZoneSettings* zone);

// Longest drift the automatic setting lets pass, by default (seconds).
inline constexpr long long kDefaultClockDriftSeconds = 120;
// The automatic setting acts at most once in this time.
inline constexpr long long kAutoClockSetPeriodSeconds = 24 * 3600;

// Sets the console's clock from the computer's: when asked (the tray menu),
// and, with "CONSOLE_SetClock" = "1", by itself at most once a day when the
// console's clock is further than "CONSOLE_ClockDrift" seconds (default
// kDefaultClockDriftSeconds) from the time it should show. One log line per
// attempt, and none is tried again: a console that refuses is told once.
// Request() from any thread; the rest on the collection thread, while the
// link is up.
class ConsoleClockSetter {
 public:
  ConsoleClockSetter(const ConfigTable& config, Clock& clock, ActivityLog& log);

  void Request() { requested_.store(true); }
  bool Requested() const { return requested_.load(); }

  // After the console's clock was read as `console`: sets it when asked, or
  // when the automatic setting finds it has drifted. `zone` is the console's
  // time-zone settings when its configuration has been read, else null.
  void AfterClockRead(StationPort& station, const std::optional<StationDateTime>& console,
                      const TimeZoneSettings* zone);

 private:
  void Set(StationPort& station, const TimeZoneSettings* zone, const char* why);

  const ConfigTable& config_;
  Clock& clock_;
  ActivityLog& log_;
  std::atomic<bool> requested_{false};
  std::optional<long long> last_auto_;  // steady seconds
};

}  // namespace tv
