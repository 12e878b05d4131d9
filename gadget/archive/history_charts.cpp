#include "gadget/archive/history_charts.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <map>
#include <string_view>

namespace tv {
namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

std::size_t ColumnIndex(std::string_view name) {
  const auto& columns = ArchiveColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return i;
  }
  return columns.size();
}

std::optional<double> Value(const HistoryRow& row, std::string_view name) {
  const std::size_t i = ColumnIndex(name);
  if (i >= row.values.size()) return std::nullopt;
  return row.values[i];
}

// The usual time between two records: the most frequent step, so that a few
// gaps do not stretch it. Five minutes when there are too few records.
std::int64_t UsualStep(const std::vector<HistoryRow>& rows) {
  std::map<std::int64_t, int> steps;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::int64_t step = rows[i].utc - rows[i - 1].utc;
    if (step > 0) ++steps[step];
  }
  std::int64_t best = 300;
  int count = 0;
  for (const auto& [step, n] : steps) {
    if (n > count) {
      best = step;
      count = n;
    }
  }
  return best;
}

using Reading = std::function<std::optional<double>(const HistoryRow&)>;

ChartLine MakeLine(std::string label, const std::vector<HistoryRow>& rows, std::int64_t step,
                   const Reading& reading) {
  ChartLine line;
  line.label = std::move(label);
  std::vector<ChartPoint> run;
  std::int64_t last = 0;
  const auto close_run = [&] {
    if (!run.empty()) line.runs.push_back(std::move(run));
    run.clear();
  };
  for (const HistoryRow& row : rows) {
    const std::optional<double> v = reading(row);
    if (!v || !std::isfinite(*v)) {
      close_run();
      continue;
    }
    if (!run.empty() && row.utc - last > 2 * step) close_run();
    run.push_back({row.utc, *v});
    last = row.utc;
  }
  close_run();
  return line;
}

Reading Column(std::string_view name) {
  return [name](const HistoryRow& row) { return Value(row, name); };
}

// The local midnight at or before `utc`.
std::int64_t LocalDayStart(std::int64_t utc) {
  const auto t = static_cast<std::time_t>(utc);
  std::tm tm{};
  localtime_r(&t, &tm);
  tm.tm_hour = 0;
  tm.tm_min = 0;
  tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

// Rain totals per hour or per local day. A record's rain fell in the
// interval that ends at its stamp, so it counts for the bucket of the
// second before it.
std::vector<ChartBar> RainBars(const std::vector<HistoryRow>& rows, bool per_day) {
  std::map<std::int64_t, ChartBar> buckets;
  const std::size_t rain = ColumnIndex("rain");
  for (const HistoryRow& row : rows) {
    if (rain >= row.values.size() || !row.values[rain]) continue;
    const std::int64_t at = row.utc - 1;
    std::int64_t start = at - ((at % kHour) + kHour) % kHour;
    std::int64_t end = start + kHour;
    if (per_day) {
      start = LocalDayStart(at);
      end = LocalDayStart(start + kDay + 2 * kHour);  // days of 23 or 25 hours
    }
    ChartBar& bar = buckets[start];
    bar.start = start;
    bar.end = end;
    bar.value += *row.values[rain];
  }
  std::vector<ChartBar> bars;
  bars.reserve(buckets.size());
  for (auto& [start, bar] : buckets) bars.push_back(bar);
  return bars;
}

}  // namespace

std::int64_t HistorySpanSeconds(HistorySpan span) {
  switch (span) {
    case HistorySpan::kDay:
      return kDay;
    case HistorySpan::kWeek:
      return 7 * kDay;
    case HistorySpan::kMonth:
      return 30 * kDay;
  }
  return kDay;
}

std::optional<double> DewPointCelsius(double celsius, double humidity) {
  if (!(humidity > 0) || !std::isfinite(celsius)) return std::nullopt;
  constexpr double a = 17.625;
  constexpr double b = 243.04;
  const double gamma = std::log(std::min(humidity, 100.0) / 100.0) + a * celsius / (b + celsius);
  return b * gamma / (a - gamma);
}

std::optional<ChartPoint> ChartLine::Nearest(std::int64_t utc, std::int64_t window) const {
  std::optional<ChartPoint> best;
  for (const auto& run : runs) {
    auto it = std::lower_bound(run.begin(), run.end(), utc,
                               [](const ChartPoint& p, std::int64_t t) { return p.utc < t; });
    for (auto candidate : {it, it == run.begin() ? run.end() : std::prev(it)}) {
      if (candidate == run.end()) continue;
      const std::int64_t distance = std::llabs(candidate->utc - utc);
      if (distance > window) continue;
      if (!best || distance < std::llabs(best->utc - utc)) best = *candidate;
    }
  }
  return best;
}

bool Chart::Empty() const {
  // A rain chart of dry days still has its bars (of 0 mm).
  return bars.empty() &&
         std::all_of(lines.begin(), lines.end(), [](const ChartLine& l) { return l.Empty(); });
}

HistoryCharts BuildHistoryCharts(const std::vector<HistoryRow>& all_rows, std::int64_t now_utc,
                                 HistorySpan span) {
  HistoryCharts result;
  result.to_utc = now_utc;
  result.from_utc = now_utc - HistorySpanSeconds(span);
  std::vector<HistoryRow> rows;
  rows.reserve(all_rows.size());
  for (const HistoryRow& row : all_rows) {
    if (row.utc >= result.from_utc && row.utc <= result.to_utc) rows.push_back(row);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const HistoryRow& a, const HistoryRow& b) { return a.utc < b.utc; });
  const std::int64_t step = UsualStep(rows);

  const auto add = [&result](Chart chart) {
    std::erase_if(chart.lines, [](const ChartLine& line) { return line.Empty(); });
    if (!chart.Empty()) result.charts.push_back(std::move(chart));
  };
  const Reading dew_point = [](const HistoryRow& row) -> std::optional<double> {
    const auto t = Value(row, "outside_temp");
    const auto h = Value(row, "outside_hum");
    if (!t || !h) return std::nullopt;
    return DewPointCelsius(*t, *h);
  };
  const auto chart = [](std::string title, std::string unit, std::vector<ChartLine> lines) {
    Chart c;
    c.title = std::move(title);
    c.unit = std::move(unit);
    c.lines = std::move(lines);
    return c;
  };
  add(chart("Températures", "°C",
            {MakeLine("Extérieure", rows, step, Column("outside_temp")),
             MakeLine("Intérieure", rows, step, Column("inside_temp")),
             MakeLine("Point de rosée", rows, step, dew_point)}));
  add(chart("Pression atmosphérique", "hPa",
            {MakeLine("Pression", rows, step, Column("barometer"))}));
  const bool per_day = span != HistorySpan::kDay;
  Chart rain = chart("Pluviométrie", "mm", {});
  rain.bars = RainBars(rows, per_day);
  rain.bar_label = per_day ? "Pluie du jour" : "Pluie de l'heure";
  add(std::move(rain));
  ChartLine direction = MakeLine("Direction dominante", rows, step, Column("wind_dir_prevailing"));
  direction.on_direction_axis = true;
  add(chart("Anémométrie", "km/h",
            {MakeLine("Vent moyen", rows, step, Column("wind_speed_avg")),
             MakeLine("Rafale", rows, step, Column("wind_speed_high")), std::move(direction)}));
  add(chart("Rayonnement solaire", "W/m²",
            {MakeLine("Rayonnement", rows, step, Column("solar_rad"))}));
  add(chart("Indice UV", "", {MakeLine("UV", rows, step, Column("uv"))}));
  return result;
}

}  // namespace tv
