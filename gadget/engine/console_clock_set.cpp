#include "gadget/engine/console_clock_set.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "lib/config/config_keys.h"

namespace tv {
namespace {

constexpr std::string_view kClockLogPrefix = "[Horloge] : ";

// Minutes since the epoch of a date and time read as UTC fields, so that two
// local times compare by their fields alone.
std::optional<long long> MinuteOf(const StationDateTime& t) {
  if (t.Year < 1970 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 || t.Hour < 0 ||
      t.Hour > 23 || t.Minute < 0 || t.Minute > 59) {
    return std::nullopt;
  }
  std::tm tm{};
  tm.tm_year = t.Year - 1900;
  tm.tm_mon = t.Month - 1;
  tm.tm_mday = t.Day;
  tm.tm_hour = t.Hour;
  tm.tm_min = t.Minute;
  return static_cast<long long>(timegm(&tm)) / 60;
}

std::string Text(const ConsoleTimeTarget& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", t.time.Day, t.time.Month,
                t.time.Year, t.time.Hour, t.time.Minute, t.second);
  return buf;
}

}  // namespace

ConsoleTimeTarget ConsoleTimeFor(std::int64_t utc, const TimeZoneSettings* zone) {
  ConsoleTimeTarget target;
  auto when = static_cast<std::time_t>(utc);
  std::tm tm{};
  localtime_r(&when, &tm);
  // A console on its own zone list: the list is the console's, so the
  // computer's local time stands for it.
  if (zone != nullptr && zone->UseTimeZone == 0 && std::isfinite(zone->TimeCorrection) &&
      std::fabs(zone->TimeCorrection) <= 14) {
    const bool summer =
        zone->AutoDaylightSaving != 0 ? tm.tm_isdst > 0 : zone->DaylightSavingMode != 0;
    const auto offset =
        static_cast<std::time_t>(std::lround(zone->TimeCorrection * 3600)) + (summer ? 3600 : 0);
    when = static_cast<std::time_t>(utc) + offset;
    gmtime_r(&when, &tm);
    target.from_console_zone = true;
  }
  target.time = {tm.tm_min, tm.tm_hour, tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900};
  target.second = tm.tm_sec;
  return target;
}

ConsoleClockSetter::ConsoleClockSetter(const ConfigTable& config, Clock& clock, ActivityLog& log)
    : config_(config), clock_(clock), log_(log) {}

void ConsoleClockSetter::AfterClockRead(StationPort& station,
                                        const std::optional<StationDateTime>& console,
                                        const TimeZoneSettings* zone) {
  if (requested_.exchange(false)) {
    Set(station, zone, "à la demande");
    return;
  }
  if (!config_.Flag(kKeyConsoleSetClock) || !console) return;
  const long long now = clock_.SteadySeconds();
  if (last_auto_ && now - *last_auto_ < kAutoClockSetPeriodSeconds) return;
  long long bound = kDefaultClockDriftSeconds;
  if (!config_.Value(kKeyConsoleClockDrift).empty()) {
    bound = config_.Number(kKeyConsoleClockDrift);
  }
  const std::optional<long long> shown = MinuteOf(*console);
  const std::optional<long long> wanted = MinuteOf(ConsoleTimeFor(clock_.NowSeconds(), zone).time);
  if (!shown || !wanted) return;
  // The console gives no seconds: a drift is counted in whole minutes.
  if (std::llabs(*shown - *wanted) * 60 <= bound) return;
  last_auto_ = now;
  Set(station, zone, "automatiquement");
}

void ConsoleClockSetter::Set(StationPort& station, const TimeZoneSettings* zone, const char* why) {
  const ConsoleTimeTarget target = ConsoleTimeFor(clock_.NowSeconds(), zone);
  const int code = station.SetStationTime(target.time, target.second);
  const std::string when = Text(target) + (target.from_console_zone ? " (fuseau de la console)"
                                                                    : " (heure de l'ordinateur)");
  if (code == 1) {
    log_.Notify(std::string(kClockLogPrefix) + "horloge de la console réglée " + why + " sur " +
                when + ".");
  } else if (code == kResultRefused) {
    log_.Notify(std::string(kClockLogPrefix) +
                "la console a refusé le réglage de son horloge ; réglez-la sur la console.");
  } else {
    log_.Notify(std::string(kClockLogPrefix) +
                "réglage de l'horloge de la console impossible : " + ResultCodeText(code));
  }
}

}  // namespace tv
