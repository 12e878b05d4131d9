#include "gadget/engine/console_clock_check.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "lib/common/date_format.h"

namespace tv {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, long long month, long long day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long long MinuteNumber(long long year, long long month, long long day, long long hour,
                       long long minute) {
  return (DaysFromCivil(year, month, day) * 24 + hour) * 60 + minute;
}

bool ValidTime(const StationDateTime& t) {
  return t.Year >= 1970 && t.Year <= 9999 && t.Month >= 1 && t.Month <= 12 && t.Day >= 1 &&
         t.Day <= 31 && t.Hour >= 0 && t.Hour <= 23 && t.Minute >= 0 && t.Minute <= 59;
}

StationDateTime DesktopTime(long long seconds) {
  const auto when = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&when, &local);
  return {local.tm_min, local.tm_hour, local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

std::string Sentence(long long minutes) {
  return std::string("L'horloge de la console ") + (minutes > 0 ? "avance" : "retarde") + " de " +
         OffsetText(minutes < 0 ? -minutes : minutes) + " sur celle de l'ordinateur";
}

}  // namespace

std::optional<long long> ConsoleClockOffsetMinutes(const StationDateTime& station,
                                                   long long desktop_seconds) {
  if (!ValidTime(station)) return std::nullopt;
  const StationDateTime desktop = DesktopTime(desktop_seconds);
  return MinuteNumber(station.Year, station.Month, station.Day, station.Hour, station.Minute) -
         MinuteNumber(desktop.Year, desktop.Month, desktop.Day, desktop.Hour, desktop.Minute);
}

std::string OffsetText(long long minutes) {
  if (minutes < 0) minutes = -minutes;
  const long long days = minutes / (24 * 60);
  const long long hours = minutes / 60 % 24;
  const long long rest = minutes % 60;
  char text[64];
  if (days > 0) {
    std::snprintf(text, sizeof text, "%lld j %lld h %02lld min", days, hours, rest);
  } else if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld h %02lld min", hours, rest);
  } else {
    std::snprintf(text, sizeof text, "%lld min", rest);
  }
  return text;
}

ConsoleClockCheck::ConsoleClockCheck(ActivityLog& log,
                                     std::function<void(std::string_view)> show_tooltip)
    : log_(log), show_tooltip_(std::move(show_tooltip)) {}

void ConsoleClockCheck::Check(const StationDateTime& station, long long desktop_seconds) {
  const std::optional<long long> minutes = ConsoleClockOffsetMinutes(station, desktop_seconds);
  if (!minutes) return;
  const bool off = (*minutes < 0 ? -*minutes : *minutes) * 60 > kClockOffsetLimitSeconds;

  const std::string tooltip = off ? Sentence(*minutes) + "." : std::string();
  if (tooltip != tooltip_) {
    tooltip_ = tooltip;
    if (show_tooltip_) show_tooltip_(tooltip_);
  }
  if (!off) return;
  // A desktop clock set back since the last line does not silence the next.
  if (last_line_ && desktop_seconds >= *last_line_ &&
      desktop_seconds - *last_line_ < kClockOffsetLinePeriodSeconds) {
    return;
  }
  last_line_ = desktop_seconds;
  log_.Notify(std::string(kEngineLogPrefix) + Sentence(*minutes) +
              " (console : " + FormatStationDate(station, kArgAbsent) +
              ", ordinateur : " + FormatStationDate(DesktopTime(desktop_seconds), kArgAbsent) +
              "). Mettez la console à l'heure.");
}

}  // namespace tv
