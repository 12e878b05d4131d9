#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gadget/archive/archive_store.h"

namespace tv {

// The time the history window shows, back from now.
enum class HistorySpan { kDay, kWeek, kMonth };
std::int64_t HistorySpanSeconds(HistorySpan span);

struct ChartPoint {
  std::int64_t utc = 0;
  double value = 0;
};

// One measured quantity drawn as a line. A run is a stretch without a gap:
// the line is broken where the console has no record (an interval missing
// from its memory) or no reading.
struct ChartLine {
  std::string label;
  std::vector<std::vector<ChartPoint>> runs;
  // Drawn as separate marks on the chart's second axis (0 to 360°).
  bool on_direction_axis = false;
  // Its colour, 0xRRGGBB.
  std::uint32_t colour = 0;

  bool Empty() const { return runs.empty(); }
  // The point nearest to `utc` within `window` seconds; none when there is none.
  std::optional<ChartPoint> Nearest(std::int64_t utc, std::int64_t window) const;
};

// A total over a stretch of time (the rain of an hour or a day).
struct ChartBar {
  std::int64_t start = 0;
  std::int64_t end = 0;
  double value = 0;
};

// The charts of the history window.
enum class ChartKind { kTemperatures, kPressure, kRain, kWind, kSolar, kUv };

// How a chart is drawn, decided with its series.
struct ChartStyle {
  // The smallest span of its value axis: a nearly flat series is drawn
  // flat, not as noise magnified to the plot's height.
  double min_span = 1;
  // Amounts (rain, wind, radiation, UV) have their value axis start from 0.
  bool from_zero = false;
  // The colour (0xRRGGBB) of its line when it has only one, so that such
  // charts do not all look alike; 0: the first of the lines' colours.
  std::uint32_t single_line_colour = 0;
};
ChartStyle StyleOf(ChartKind kind);

struct Chart {
  ChartKind kind = ChartKind::kTemperatures;
  ChartStyle style;
  std::string title;
  std::string unit;
  std::vector<ChartLine> lines;
  std::vector<ChartBar> bars;
  std::string bar_label;

  bool Empty() const;
};

struct HistoryCharts {
  std::int64_t from_utc = 0;
  std::int64_t to_utc = 0;
  // Charts of the quantities the station has, in the window's order:
  // temperatures with the dew point, pressure, rain, wind, solar radiation,
  // UV. A chart without a single reading is left out.
  std::vector<Chart> charts;

  bool Empty() const { return charts.empty(); }
};

// Builds the charts of `rows` (the store's range, by time) for the `span`
// that ends at `now_utc`. A gap is more than twice the usual interval
// between two records; rain is summed per hour over a day and per day
// (local days) over a week or a month.
HistoryCharts BuildHistoryCharts(const std::vector<HistoryRow>& rows, std::int64_t now_utc,
                                 HistorySpan span);

// Dew point in °C of air at `celsius` and `humidity` %, by the Magnus
// formula; none for a humidity that is not above 0.
std::optional<double> DewPointCelsius(double celsius, double humidity);

}  // namespace tv
