#include "gadget/reports/climate_summary.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string_view>

#include "gadget/archive/archive_columns.h"

namespace tv {
namespace {

// The longest archive interval a console has.
constexpr double kMaxIntervalSeconds = 7200;
// Sums of tenths compared with a threshold (0.1 + 0.2 is not 0.3).
constexpr double kEpsilon = 1e-6;

// The archive columns a summary is made of.
struct Columns {
  ArchiveColumnId temp = ArchiveColumnId::kOutsideTemp;
  ArchiveColumnId temp_high = ArchiveColumnId::kOutsideTempHigh;
  ArchiveColumnId temp_low = ArchiveColumnId::kOutsideTempLow;
  ArchiveColumnId rain = ArchiveColumnId::kRain;
  ArchiveColumnId wind = ArchiveColumnId::kWindSpeedAvg;
  ArchiveColumnId gust = ArchiveColumnId::kWindSpeedHigh;
  ArchiveColumnId dir = ArchiveColumnId::kWindDirPrevailing;
};

const Columns& Cols() {
  static const Columns columns;
  return columns;
}

struct Thresholds {
  double max_hot, freeze, min_cold, rain_small, rain_mid, rain_big;
};

Thresholds ThresholdsFor(ReportUnits units) {
  if (units == ReportUnits::kUs) return {86, 32, -4, 0.01, 0.1, 1};
  return {30, 0, -20, 0.3, 3, 30};
}

std::optional<double> Temperature(const std::optional<double>& celsius, ReportUnits units) {
  if (!celsius || units == ReportUnits::kMetric) return celsius;
  return *celsius * 1.8 + 32;
}

std::optional<double> Rain(const std::optional<double>& mm, ReportUnits units) {
  if (!mm || units == ReportUnits::kMetric) return mm;
  return *mm / 25.4;
}

// The store's km/h were made from the console's whole mph at 1.61.
std::optional<double> Speed(const std::optional<double>& kmh, ReportUnits units) {
  if (!kmh || units == ReportUnits::kMetric) return kmh;
  return *kmh / 1.61;
}

std::optional<int> Direction(double x, double y) {
  if (std::hypot(x, y) < 1e-9) return std::nullopt;
  double degrees = std::atan2(x, y) * 180.0 / M_PI;
  if (degrees < 0) degrees += 360;
  const int whole = static_cast<int>(std::lround(degrees));
  return whole >= 360 ? whole - 360 : whole;
}

void KeepHigher(std::optional<Extreme>& best, const Extreme& candidate) {
  if (!best || candidate.value > best->value) best = candidate;
}

void KeepLower(std::optional<Extreme>& best, const Extreme& candidate) {
  if (!best || candidate.value < best->value) best = candidate;
}

// The weight of each row: its own interval, a gap weighing nothing.
std::vector<double> Intervals(const std::vector<HistoryRow>& rows) {
  std::vector<double> out(rows.size(), 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    double best = kMaxIntervalSeconds;
    bool found = false;
    if (i > 0 && rows[i].utc > rows[i - 1].utc) {
      best = std::min(best, static_cast<double>(rows[i].utc - rows[i - 1].utc));
      found = true;
    }
    if (i + 1 < rows.size() && rows[i + 1].utc > rows[i].utc) {
      best = std::min(best, static_cast<double>(rows[i + 1].utc - rows[i].utc));
      found = true;
    }
    // A record alone: the usual five minutes (only its share against others matters).
    out[i] = found ? best : 300;
  }
  return out;
}

// What a day is made of while its records are read.
struct DayAccumulator {
  DaySummary day;
  double temp_seconds = 0;
  double temp_sum = 0;
};

void FinishDay(DayAccumulator& acc, const ReportSettings& settings, std::vector<DaySummary>* out) {
  DaySummary& d = acc.day;
  if (acc.temp_seconds > 0) {
    d.mean_temp = acc.temp_sum / acc.temp_seconds;
    d.heat_deg_days = std::max(0.0, settings.degree_day_base - *d.mean_temp);
    d.cool_deg_days = std::max(0.0, *d.mean_temp - settings.degree_day_base);
  }
  if (d.wind_seconds > 0) d.avg_wind = d.wind_sum / d.wind_seconds;
  d.dom_dir = Direction(d.wind_x, d.wind_y);
  out->push_back(d);
}

std::optional<double> Mean(double sum, int count) {
  if (count == 0) return std::nullopt;
  return sum / count;
}

}  // namespace

std::int64_t LocalDayStart(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

std::vector<DaySummary> SummariseDays(const std::vector<HistoryRow>& rows,
                                      const ReportSettings& settings, int year, int month) {
  const Columns& c = Cols();
  const ReportUnits units = settings.units;
  const std::vector<double> weights = Intervals(rows);
  std::vector<DaySummary> out;
  std::optional<DayAccumulator> acc;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const HistoryRow& row = rows[i];
    // The day the interval ends in: the record stamped 00:00 closes the day before.
    const auto inside = static_cast<std::time_t>(row.utc - 1);
    std::tm day_tm{};
    localtime_r(&inside, &day_tm);
    if (day_tm.tm_year + 1900 != year || (month != 0 && day_tm.tm_mon + 1 != month)) continue;
    const auto end = static_cast<std::time_t>(row.utc);
    std::tm end_tm{};
    localtime_r(&end, &end_tm);
    int minute = end_tm.tm_hour * 60 + end_tm.tm_min;
    if (minute == 0) minute = 1440;

    const int row_month = day_tm.tm_mon + 1;
    const int row_day = day_tm.tm_mday;
    if (acc && (acc->day.month != row_month || acc->day.day != row_day)) {
      FinishDay(*acc, settings, &out);
      acc.reset();
    }
    if (!acc) {
      acc.emplace();
      acc->day.month = row_month;
      acc->day.day = row_day;
    }
    DaySummary& d = acc->day;
    const double w = weights[i];
    const auto& v = row.values;

    const auto temp = Temperature(v[c.temp], units);
    if (temp) {
      acc->temp_sum += *temp * w;
      acc->temp_seconds += w;
    }
    const auto high = v[c.temp_high] ? Temperature(v[c.temp_high], units) : temp;
    if (high) KeepHigher(d.high, {*high, row_month, row_day, minute});
    const auto low = v[c.temp_low] ? Temperature(v[c.temp_low], units) : temp;
    if (low) KeepLower(d.low, {*low, row_month, row_day, minute});

    if (const auto rain = Rain(v[c.rain], units)) d.rain = d.rain.value_or(0) + *rain;

    const auto speed = Speed(v[c.wind], units);
    if (speed) {
      d.wind_sum += *speed * w;
      d.wind_seconds += w;
      if (v[c.dir]) {
        const double radians = *v[c.dir] * M_PI / 180.0;
        d.wind_x += *speed * w * std::sin(radians);
        d.wind_y += *speed * w * std::cos(radians);
      }
    }
    const auto gust = v[c.gust] ? Speed(v[c.gust], units) : speed;
    if (gust) KeepHigher(d.high_wind, {*gust, row_month, row_day, minute});
  }
  if (acc) FinishDay(*acc, settings, &out);
  return out;
}

PeriodSummary SummarisePeriod(const std::vector<DaySummary>& days, const ReportSettings& settings) {
  const Thresholds t = ThresholdsFor(settings.units);
  PeriodSummary p;
  p.has_records = !days.empty();
  double max_sum = 0, min_sum = 0, mean_sum = 0;
  int max_n = 0, min_n = 0, mean_n = 0;
  double wind_seconds = 0, wind_sum = 0, wind_x = 0, wind_y = 0;
  DayCounts& n = p.counts;
  auto count = [](std::optional<int>& counter, bool hit) {
    counter = counter.value_or(0) + (hit ? 1 : 0);
  };
  for (const DaySummary& d : days) {
    if (d.high) {
      max_sum += d.high->value;
      ++max_n;
      KeepHigher(p.high, *d.high);
      count(n.max_ge_30, d.high->value >= t.max_hot - kEpsilon);
      count(n.max_le_0, d.high->value <= t.freeze + kEpsilon);
    }
    if (d.low) {
      min_sum += d.low->value;
      ++min_n;
      KeepLower(p.low, *d.low);
      count(n.min_le_0, d.low->value <= t.freeze + kEpsilon);
      count(n.min_le_m20, d.low->value <= t.min_cold + kEpsilon);
    }
    if (d.mean_temp) {
      mean_sum += *d.mean_temp;
      ++mean_n;
      p.heat_deg_days = p.heat_deg_days.value_or(0) + d.heat_deg_days.value_or(0);
      p.cool_deg_days = p.cool_deg_days.value_or(0) + d.cool_deg_days.value_or(0);
    }
    if (d.rain) {
      p.rain = p.rain.value_or(0) + *d.rain;
      KeepHigher(p.wettest_day, {*d.rain, d.month, d.day, 0});
      count(n.rain_ge_0_3, *d.rain >= t.rain_small - kEpsilon);
      count(n.rain_ge_3, *d.rain >= t.rain_mid - kEpsilon);
      count(n.rain_ge_30, *d.rain >= t.rain_big - kEpsilon);
    }
    if (d.high_wind) KeepHigher(p.high_wind, *d.high_wind);
    wind_seconds += d.wind_seconds;
    wind_sum += d.wind_sum;
    wind_x += d.wind_x;
    wind_y += d.wind_y;
  }
  p.mean_max = Mean(max_sum, max_n);
  p.mean_min = Mean(min_sum, min_n);
  p.mean_temp = Mean(mean_sum, mean_n);
  if (wind_seconds > 0) p.avg_wind = wind_sum / wind_seconds;
  p.dom_dir = Direction(wind_x, wind_y);
  return p;
}

namespace {

// The rows of [from, to) and two hours on each side, so that the first and
// last records of the period know their interval.
bool ReadPeriod(ArchiveStore& store, std::int64_t from, std::int64_t to,
                std::vector<HistoryRow>* rows) {
  const Columns& c = Cols();
  const ArchiveColumnId read[] = {c.temp, c.temp_high, c.temp_low, c.rain, c.wind, c.gust, c.dir};
  return store.Range(from - static_cast<std::int64_t>(kMaxIntervalSeconds),
                     to + static_cast<std::int64_t>(kMaxIntervalSeconds), read,
                     rows) == StoreStatus::kOk;
}

}  // namespace

bool BuildMonthSummary(ArchiveStore& store, int year, int month, const ReportSettings& settings,
                       MonthSummary* out) {
  std::vector<HistoryRow> rows;
  if (!ReadPeriod(store, LocalDayStart(year, month, 1), LocalDayStart(year, month + 1, 1), &rows)) {
    return false;
  }
  out->year = year;
  out->month = month;
  out->days = SummariseDays(rows, settings, year, month);
  out->total = SummarisePeriod(out->days, settings);
  return true;
}

bool BuildYearSummary(ArchiveStore& store, int year, const ReportSettings& settings,
                      YearSummary* out) {
  // Month by month, so that no more than a month of records is held at once.
  std::vector<DaySummary> days;
  out->year = year;
  for (int m = 1; m <= 12; ++m) {
    std::vector<HistoryRow> rows;
    if (!ReadPeriod(store, LocalDayStart(year, m, 1), LocalDayStart(year, m + 1, 1), &rows)) {
      return false;
    }
    const std::vector<DaySummary> of_month = SummariseDays(rows, settings, year, m);
    out->months[m - 1] = SummarisePeriod(of_month, settings);
    days.insert(days.end(), of_month.begin(), of_month.end());
  }
  out->total = SummarisePeriod(days, settings);
  return true;
}

}  // namespace tv
