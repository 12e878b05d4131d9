#include "gadget/archive/history_charts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string_view>

namespace tv {
namespace {

constexpr std::int64_t kNow = 1'781'000'000;  // a Sunday evening in June 2026, UTC

std::size_t Col(std::string_view name) {
  for (std::size_t i = 0; i < ArchiveColumns().size(); ++i) {
    if (ArchiveColumns()[i].name == name) return i;
  }
  return 0;
}

// Records every 5 minutes from `from` to `to` seconds before now, with the
// outdoor temperature, the humidity and the rain given.
void AddRows(std::vector<HistoryRow>& rows, std::int64_t from, std::int64_t to,
             std::optional<double> temp, std::optional<double> rain = 0.0) {
  for (std::int64_t t = kNow - from; t <= kNow - to; t += 300) {
    HistoryRow row;
    row.utc = t;
    row.values[Col("outside_temp")] = temp;
    row.values[Col("outside_hum")] = 50.0;
    row.values[Col("rain")] = rain;
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
