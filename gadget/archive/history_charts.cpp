#include "gadget/archive/history_charts.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <iterator>
#include <map>

namespace tv {
namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;

// Line colours in a chart's order; the wind direction's marks are grey.
constexpr std::uint32_t kLineColours[] = {0xd62728, 0x1f77b4, 0x2ca02c, 0x9467bd};
constexpr std::uint32_t kDirectionColour = 0x808080;

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

Reading Column(ArchiveColumnId id) {
  return [id](const HistoryRow& row) { return row.values[id]; };
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
  for (const HistoryRow& row : rows) {
    const std::optional<double>& rain = row.values[ArchiveColumnId::kRain];
    if (!rain) continue;
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
    bar.value += *rain;
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

ChartStyle StyleOf(ChartKind kind) {
  switch (kind) {
    case ChartKind::kTemperatures:
      return {.min_span = 2};
    case ChartKind::kPressure:
      return {.min_span = 4, .single_line_colour = 0x9467bd};
    case ChartKind::kRain:
      return {.min_span = 1, .from_zero = true};
    case ChartKind::kWind:
      return {.min_span = 10, .from_zero = true};
    case ChartKind::kSolar:
      return {.min_span = 50, .from_zero = true, .single_line_colour = 0xff7f0e};
    case ChartKind::kUv:
      return {.min_span = 1, .from_zero = true, .single_line_colour = 0x8c564b};
  }
  return {};
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
    if (chart.Empty()) return;
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
      ChartLine& line = chart.lines[i];
      line.colour = kLineColours[i % std::size(kLineColours)];
      if (chart.lines.size() == 1 && chart.style.single_line_colour != 0) {
        line.colour = chart.style.single_line_colour;
      }
      if (line.on_direction_axis) line.colour = kDirectionColour;
    }
    result.charts.push_back(std::move(chart));
  };
  const Reading dew_point = [](const HistoryRow& row) -> std::optional<double> {
    const auto t = row.values[ArchiveColumnId::kOutsideTemp];
    const auto h = row.values[ArchiveColumnId::kOutsideHum];
    if (!t || !h) return std::nullopt;
    return DewPointCelsius(*t, *h);
  };
  const auto chart = [](ChartKind kind, std::string title, std::string unit,
                        std::vector<ChartLine> lines) {
    Chart c;
    c.kind = kind;
    c.style = StyleOf(kind);
    c.title = std::move(title);
    c.unit = std::move(unit);
    c.lines = std::move(lines);
    return c;
  };
  using Id = ArchiveColumnId;
  add(chart(ChartKind::kTemperatures, "Températures", "°C",
            {MakeLine("Extérieure", rows, step, Column(Id::kOutsideTemp)),
             MakeLine("Intérieure", rows, step, Column(Id::kInsideTemp)),
             MakeLine("Point de rosée", rows, step, dew_point)}));
  add(chart(ChartKind::kPressure, "Pression atmosphérique", "hPa",
            {MakeLine("Pression", rows, step, Column(Id::kBarometer))}));
  const bool per_day = span != HistorySpan::kDay;
  Chart rain = chart(ChartKind::kRain, "Pluviométrie", "mm", {});
  rain.bars = RainBars(rows, per_day);
  rain.bar_label = per_day ? "Pluie du jour" : "Pluie de l'heure";
  add(std::move(rain));
  ChartLine direction = MakeLine("Direction dominante", rows, step, Column(Id::kWindDirPrevailing));
  direction.on_direction_axis = true;
  add(chart(ChartKind::kWind, "Anémométrie", "km/h",
            {MakeLine("Vent moyen", rows, step, Column(Id::kWindSpeedAvg)),
             MakeLine("Rafale", rows, step, Column(Id::kWindSpeedHigh)), std::move(direction)}));
  add(chart(ChartKind::kSolar, "Rayonnement solaire", "W/m²",
            {MakeLine("Rayonnement", rows, step, Column(Id::kSolarRad))}));
  add(chart(ChartKind::kUv, "Indice UV", "", {MakeLine("UV", rows, step, Column(Id::kUv))}));
  return result;
}

}  // namespace tv
