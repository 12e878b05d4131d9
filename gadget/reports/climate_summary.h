#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "gadget/archive/archive_store.h"

namespace tv {

// The units a report is written in. The store holds metric values; a US
// report converts them (°F, in, mph) before anything is computed.
enum class ReportUnits { kMetric, kUs };

struct ReportSettings {
  ReportUnits units = ReportUnits::kMetric;
  // The degree-day base in the report's temperature unit.
  double degree_day_base = 18.3;
};

// An extreme and when it happened: the local month and day it belongs to and
// the minute of that day its record ends (1440 for the record stamped at
// midnight, written 24:00).
struct Extreme {
  double value = 0;
  int month = 0;
  int day = 0;
  int minute = 0;
};

// One local day. A value without any reading that day is empty.
struct DaySummary {
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  std::optional<double> mean_temp;
  std::optional<Extreme> high;
  std::optional<Extreme> low;
  std::optional<double> heat_deg_days;
  std::optional<double> cool_deg_days;
  std::optional<double> rain;
  std::optional<double> avg_wind;
  std::optional<Extreme> high_wind;
  std::optional<int> dom_dir;  // whole degrees, 0..359
  // What the rows over several days are made from.
  double wind_seconds = 0;
  double wind_sum = 0;  // speed × seconds
  double wind_x = 0;    // east component of speed × seconds
  double wind_y = 0;    // north component
};

// The days that exceed the usual thresholds (30 °C, 0 °C, −20 °C; 0.3, 3
// and 30 mm; 86, 32, −4 °F and 0.01, 0.1, 1 in in US units). Empty when no
// day of the period had that reading.
struct DayCounts {
  std::optional<int> max_ge_30;
  std::optional<int> max_le_0;
  std::optional<int> min_le_0;
  std::optional<int> min_le_m20;
  std::optional<int> rain_ge_0_3;
  std::optional<int> rain_ge_3;
  std::optional<int> rain_ge_30;
};

// The row of a month or a year, made from its days.
struct PeriodSummary {
  bool has_records = false;
  std::optional<double> mean_max;   // mean of the daily highs
  std::optional<double> mean_min;   // mean of the daily lows
  std::optional<double> mean_temp;  // mean of the daily means
  std::optional<double> heat_deg_days;
  std::optional<double> cool_deg_days;
  std::optional<Extreme> high;
  std::optional<Extreme> low;
  std::optional<double> rain;
  std::optional<Extreme> wettest_day;  // the day's rain, minute 0
  std::optional<double> avg_wind;      // time-weighted over the period's records
  std::optional<Extreme> high_wind;
  std::optional<int> dom_dir;
  DayCounts counts;
};

struct MonthSummary {
  int year = 0;
  int month = 0;
  std::vector<DaySummary> days;  // the days that have records, in order
  PeriodSummary total;
};

struct YearSummary {
  int year = 0;
  std::array<PeriodSummary, 12> months;
  PeriodSummary total;
};

// The local days of the computer's time zone made from `rows` (in UTC
// order). A record stamps the end of its interval: it belongs to the day in
// which its interval ends, the record stamped at midnight to the day that
// ends then. A record's interval is the time since the record before it, or
// the time to the one after it when that is shorter (so the record after a
// gap weighs one interval, the gap nothing); at most two hours. Only the
// days of `year` are kept, and of `month` too when it is not 0.
std::vector<DaySummary> SummariseDays(const std::vector<HistoryRow>& rows,
                                      const ReportSettings& settings, int year, int month);

// The row made from a set of days (a month, a year).
PeriodSummary SummarisePeriod(const std::vector<DaySummary>& days, const ReportSettings& settings);

// The UTC second at which the local day, month or year starts (month 1..12,
// day 1..31; out-of-range values roll over as mktime does).
std::int64_t LocalDayStart(int year, int month, int day);

// The month's or year's report from the store; false when the store could
// not be read. A period without records has no days and has_records false.
bool BuildMonthSummary(ArchiveStore& store, int year, int month, const ReportSettings& settings,
                       MonthSummary* out);
bool BuildYearSummary(ArchiveStore& store, int year, const ReportSettings& settings,
                      YearSummary* out);

}  // namespace tv
