#include "gadget/archive/history_charts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string_view>

namespace tv {
namespace {

constexpr std::int64_t kNow = 1'781'000'000;  // a Sunday evening in June 2026, UTC

using Id = ArchiveColumnId;

// Records every 5 minutes from `from` to `to` seconds before now, with the
// outdoor temperature, the humidity and the rain given.
void AddRows(std::vector<HistoryRow>& rows, std::int64_t from, std::int64_t to,
             std::optional<double> temp, std::optional<double> rain = 0.0) {
  for (std::int64_t t = kNow - from; t <= kNow - to; t += 300) {
    HistoryRow row;
    row.utc = t;
    row.values[Id::kOutsideTemp] = temp;
    row.values[Id::kOutsideHum] = 50.0;
    row.values[Id::kRain] = rain;
    rows.push_back(row);
  }
}

const Chart* Find(const HistoryCharts& charts, std::string_view title) {
  for (const Chart& chart : charts.charts) {
    if (chart.title == title) return &chart;
  }
  return nullptr;
}

TEST(HistoryCharts, GapsAndMissingReadingsBreakTheLines) {
  struct Row {
    const char* legend;
    std::vector<HistoryRow> rows;
    std::size_t runs;
  };
  std::vector<HistoryRow> steady, gap, dashed, old;
  AddRows(steady, 3600, 0, 12.0);
  AddRows(gap, 7200, 3600, 12.0);
  AddRows(gap, 1800, 0, 12.0);  // half an hour of records missing
  AddRows(dashed, 3600, 1900, 12.0);
  AddRows(dashed, 1800, 1800, std::nullopt);  // one record without a reading
  AddRows(dashed, 1700, 0, 12.0);
  AddRows(old, 90000, 86500, 12.0);  // older than the day shown
  const Row rows[] = {
      {"an hour of records", steady, 1},
      {"half an hour missing", gap, 2},
      {"one record dashed", dashed, 2},
      {"only records before the span", old, 0},
  };
  for (const Row& row : rows) {
    const HistoryCharts charts = BuildHistoryCharts(row.rows, kNow, HistorySpan::kDay);
    const Chart* temps = Find(charts, "Températures");
    if (row.runs == 0) {
      EXPECT_TRUE(charts.Empty()) << row.legend;
      continue;
    }
    ASSERT_NE(temps, nullptr) << row.legend;
    ASSERT_FALSE(temps->lines.empty()) << row.legend;
    EXPECT_EQ(temps->lines[0].label, "Extérieure");
    EXPECT_EQ(temps->lines[0].runs.size(), row.runs) << row.legend;
    EXPECT_EQ(Find(charts, "Rayonnement solaire"), nullptr) << "no solar sensor, no chart";
    EXPECT_EQ(temps->lines.size(), 2U) << "outdoor and dew point, no indoor reading";
  }
}

TEST(HistoryCharts, RainIsSummedPerHourOverADayAndPerDayOverAWeek) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::vector<HistoryRow> rows;
  AddRows(rows, 2 * 86400, 0, 10.0, 0.2);  // 0.2 mm every five minutes for two days
  const struct {
    const char* legend;
    HistorySpan span;
    double full_bucket;
    std::string_view label;
  } cases[] = {
      {"a day: per hour", HistorySpan::kDay, 12 * 0.2, "Pluie de l'heure"},
      {"a week: per day", HistorySpan::kWeek, 288 * 0.2, "Pluie du jour"},
  };
  for (const auto& c : cases) {
    const HistoryCharts charts = BuildHistoryCharts(rows, kNow, c.span);
    const Chart* rain = Find(charts, "Pluviométrie");
    ASSERT_NE(rain, nullptr) << c.legend;
    EXPECT_EQ(rain->bar_label, c.label);
    ASSERT_GE(rain->bars.size(), 3U) << c.legend;
    EXPECT_NEAR(rain->bars[1].value, c.full_bucket, 1e-9) << c.legend;
    EXPECT_EQ(rain->bars[1].end - rain->bars[1].start, c.span == HistorySpan::kDay ? 3600 : 86400)
        << c.legend;
  }
}

TEST(HistoryCharts, EveryColumnIdIsItsColumnAndEveryChartHasItsStyle) {
  // The ids follow the store's columns (their names are the file's and the
  // exports' columns).
  const struct {
    ArchiveColumnId id;
    std::string_view name;
    std::string_view unit;
  } columns[] = {{Id::kOutsideTemp, "outside_temp", "°C"},
                 {Id::kBarometer, "barometer", "hPa"},
                 {Id::kRain, "rain", "mm"},
                 {Id::kWindDirPrevailing, "wind_dir_prevailing", "°"},
                 {Id::kUv, "uv", "index"},
                 {Id::kExtraHum2, "extra_hum_2", "%"}};
  for (const auto& c : columns) {
    EXPECT_EQ(ColumnOf(c.id).name, c.name);
    EXPECT_EQ(ColumnOf(c.id).unit, c.unit) << c.name;
  }
  for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
    EXPECT_EQ(ColumnIndex(ArchiveColumns()[i].id), i) << ArchiveColumns()[i].name;
  }
  EXPECT_EQ(ColumnIndex(Id::kExtraHum2), kArchiveColumnCount - 1);

  // A station with every sensor: each chart, its axis and its colours.
  std::vector<HistoryRow> rows;
  for (std::int64_t t = kNow - 3600; t <= kNow; t += 300) {
    HistoryRow row;
    row.utc = t;
    for (Id id :
         {Id::kOutsideTemp, Id::kInsideTemp, Id::kOutsideHum, Id::kBarometer, Id::kRain,
          Id::kWindSpeedAvg, Id::kWindSpeedHigh, Id::kWindDirPrevailing, Id::kSolarRad, Id::kUv}) {
      row.values[id] = 50.0;
    }
    rows.push_back(row);
  }
  const struct {
    ChartKind kind;
    std::string_view title;
    double min_span;
    bool from_zero;
    std::vector<std::uint32_t> colours;
  } charts[] = {
      {ChartKind::kTemperatures, "Températures", 2, false, {0xd62728, 0x1f77b4, 0x2ca02c}},
      {ChartKind::kPressure, "Pression atmosphérique", 4, false, {0x9467bd}},
      {ChartKind::kRain, "Pluviométrie", 1, true, {}},
      {ChartKind::kWind, "Anémométrie", 10, true, {0xd62728, 0x1f77b4, 0x808080}},
      {ChartKind::kSolar, "Rayonnement solaire", 50, true, {0xff7f0e}},
      {ChartKind::kUv, "Indice UV", 1, true, {0x8c564b}},
  };
  const HistoryCharts built = BuildHistoryCharts(rows, kNow, HistorySpan::kDay);
  ASSERT_EQ(built.charts.size(), std::size(charts));
  for (std::size_t i = 0; i < built.charts.size(); ++i) {
    const Chart& chart = built.charts[i];
    EXPECT_EQ(chart.kind, charts[i].kind) << charts[i].title;
    EXPECT_EQ(chart.title, charts[i].title);
    EXPECT_EQ(chart.style.min_span, charts[i].min_span) << charts[i].title;
    EXPECT_EQ(chart.style.from_zero, charts[i].from_zero) << charts[i].title;
    std::vector<std::uint32_t> colours;
    for (const ChartLine& line : chart.lines) colours.push_back(line.colour);
    EXPECT_EQ(colours, charts[i].colours) << charts[i].title;
  }
}

TEST(HistoryCharts, DewPointAndNearestReading) {
  EXPECT_NEAR(*DewPointCelsius(20.0, 50.0), 9.3, 0.05);
  EXPECT_NEAR(*DewPointCelsius(-5.0, 100.0), -5.0, 1e-9);
  EXPECT_FALSE(DewPointCelsius(20.0, 0.0));

  ChartLine line;
  line.runs = {{{100, 1.0}, {400, 2.0}}, {{1000, 3.0}}};
  EXPECT_EQ(line.Nearest(390, 300)->value, 2.0);
  EXPECT_EQ(line.Nearest(900, 300)->value, 3.0) << "the next run";
  EXPECT_FALSE(line.Nearest(700, 100)) << "nothing within the window";
}

}  // namespace
}  // namespace tv
