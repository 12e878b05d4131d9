#include "gadget/archive/console_stamp.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <vector>

namespace tv {
namespace {

constexpr int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool FieldsValid(int year, int month, int day, int hour, int minute) {
  return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

std::tm LocalFields(const StationDateTime& t, int isdst) {
  std::tm tm{};
  tm.tm_year = t.Year - 1900;
  tm.tm_mon = t.Month - 1;
  tm.tm_mday = t.Day;
  tm.tm_hour = t.Hour;
  tm.tm_min = t.Minute;
  tm.tm_isdst = isdst;
  return tm;
}

bool SameLocalMinute(std::time_t utc, const StationDateTime& t) {
  std::tm out{};
  if (localtime_r(&utc, &out) == nullptr) return false;
  return out.tm_year == t.Year - 1900 && out.tm_mon == t.Month - 1 && out.tm_mday == t.Day &&
         out.tm_hour == t.Hour && out.tm_min == t.Minute;
}

}  // namespace

std::optional<ConsoleStamp> PackConsoleStamp(const StationDateTime& t) {
  if (!FieldsValid(t.Year, t.Month, t.Day, t.Hour, t.Minute)) return std::nullopt;
  return ((((static_cast<ConsoleStamp>(t.Year) * 100 + t.Month) * 100 + t.Day) * 100 + t.Hour) *
          100) +
         t.Minute;
}

StationDateTime UnpackConsoleStamp(ConsoleStamp stamp) {
  StationDateTime t;
  t.Minute = static_cast<std::int32_t>(stamp % 100);
  t.Hour = static_cast<std::int32_t>(stamp / 100 % 100);
  t.Day = static_cast<std::int32_t>(stamp / 10'000 % 100);
  t.Month = static_cast<std::int32_t>(stamp / 1'000'000 % 100);
  t.Year = static_cast<std::int32_t>(stamp / 100'000'000);
  return t;
}

std::string FormatConsoleStamp(ConsoleStamp stamp) {
  const auto t = UnpackConsoleStamp(stamp);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                t.Minute);
  return text;
}

std::int64_t ConsoleStampToUtc(ConsoleStamp stamp, int occurrence) {
  const auto t = UnpackConsoleStamp(stamp);
  // Every reading of the fields that the zone maps back to them: two in the
  // repeated hour, one otherwise, none in the skipped hour.
  std::vector<std::time_t> readings;
  for (int isdst : {0, 1}) {
    std::tm tm = LocalFields(t, isdst);
    const std::time_t utc = std::mktime(&tm);
    if (utc != static_cast<std::time_t>(-1) && SameLocalMinute(utc, t)) readings.push_back(utc);
  }
  std::sort(readings.begin(), readings.end());
  if (readings.empty()) {
    std::tm tm = LocalFields(t, -1);
    return static_cast<std::int64_t>(std::mktime(&tm));
  }
  return static_cast<std::int64_t>(occurrence <= 0 ? readings.front() : readings.back());
}

ConsoleStamp UtcToConsoleStamp(std::int64_t utc) {
  const auto seconds = static_cast<std::time_t>(utc);
  std::tm out{};
  localtime_r(&seconds, &out);
  StationDateTime t{.Minute = out.tm_min,
                    .Hour = out.tm_hour,
                    .Day = out.tm_mday,
                    .Month = out.tm_mon + 1,
                    .Year = out.tm_year + 1900};
  return PackConsoleStamp(t).value_or(0);
}

std::optional<std::int64_t> ParseLocalTime(std::string_view text, bool end_of_range) {
  auto number = [&](std::size_t pos, std::size_t len, int& out) {
    if (pos + len > text.size()) return false;
    const char* first = text.data() + pos;
    for (std::size_t i = 0; i < len; ++i) {
      if (first[i] < '0' || first[i] > '9') return false;
    }
    return std::from_chars(first, first + len, out).ec == std::errc{};
  };
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (!number(0, 4, year) || text.size() < 10 || text[4] != '-' || !number(5, 2, month) ||
      text[7] != '-' || !number(8, 2, day)) {
    return std::nullopt;
  }
  const bool with_time = text.size() > 10;
  if (with_time) {
    if (text.size() != 16 || (text[10] != 'T' && text[10] != ' ') || !number(11, 2, hour) ||
        text[13] != ':' || !number(14, 2, minute)) {
      return std::nullopt;
    }
  }
  if (!FieldsValid(year, month, day, hour, minute)) return std::nullopt;
  StationDateTime t{.Minute = minute, .Hour = hour, .Day = day, .Month = month, .Year = year};
  const ConsoleStamp stamp = *PackConsoleStamp(t);
  if (!end_of_range) return ConsoleStampToUtc(stamp, 0);
  if (with_time) return ConsoleStampToUtc(stamp, 1) + 59;
  t.Hour = 23;
  t.Minute = 59;
  return ConsoleStampToUtc(*PackConsoleStamp(t), 1) + 59;
}

}  // namespace tv
