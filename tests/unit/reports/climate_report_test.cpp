#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gadget/archive/archive_columns.h"
#include "gadget/archive/console_stamp.h"
#include "gadget/reports/climate_report.h"
#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

using archive_test::TempFolder;
using archive_test::ZoneScope;

std::size_t Col(std::string_view name) {
  for (std::size_t i = 0; i < ArchiveColumns().size(); ++i) {
    if (ArchiveColumns()[i].name == name) return i;
  }
  return 0;
}

// What one record holds; k is its index in its series.
using Filler = std::function<void(int k, ArchiveValues& v)>;

// Records every `step` seconds in (from_utc, to_utc], stamped in the
// computer's zone (the repeated autumn hour's second passage as occurrence 1).
void AddSeries(std::vector<HistoryRow>& rows, std::int64_t from_utc, std::int64_t to_utc, int step,
               const Filler& fill) {
  int k = 0;
  for (std::int64_t utc = from_utc + step; utc <= to_utc; utc += step, ++k) {
    HistoryRow row;
    row.utc = utc;
    row.stamp = UtcToConsoleStamp(utc);
    for (const auto& other : rows) {
      if (other.stamp == row.stamp) row.occurrence = other.occurrence + 1;
    }
    fill(k, row.values);
    rows.push_back(row);
  }
}

constexpr std::int64_t kHour = 3600;
// UTC seconds of a few instants: 2026-01-01T00:00Z, 2026-03-28T22:00Z, 2026-10-24T22:00Z.
constexpr std::int64_t kJan1 = 1767225600;
constexpr std::int64_t kMar28_22z = 1774735200;
constexpr std::int64_t kOct24_22z = 1761343200 + 365 * 24 * kHour;

// The synthetic year 2026 in Europe/Paris (a UTC+1 winter, UTC+2 summer).
std::vector<HistoryRow> SyntheticYear() {
  const std::size_t temp = Col("outside_temp"), high = Col("outside_temp_high"),
                    low = Col("outside_temp_low"), baro = Col("barometer"), rain = Col("rain"),
                    wind = Col("wind_speed_avg"), gust = Col("wind_speed_high"),
                    dir = Col("wind_dir_prevailing");
  std::vector<HistoryRow> rows;
  // 1 January, 30 minutes: 10 °C until noon then 20 °C, the record fields
  // 1.5 above and below; rain 0.1 at 23:30 and 0.2 in the interval that ends
  // at midnight; 10 km/h from the east, a 35 km/h gust at midnight.
  const std::int64_t jan1_local = kJan1 - kHour;
  AddSeries(rows, jan1_local, jan1_local + 24 * kHour, 1800, [&](int k, ArchiveValues& v) {
    v[temp] = k < 24 ? 10.0 : 20.0;
    v[high] = *v[temp] + 1.5;
    v[low] = *v[temp] - 1.5;
    v[baro] = 1013.0;
    v[rain] = k == 46 ? 0.1 : k == 47 ? 0.2 : 0.0;
    v[wind] = 10.0;
    v[dir] = 90.0;
    v[gust] = k == 47 ? 35.0 : 15.0;
  });
  // 2 and 3 January missing; 4 January without pressure nor high/low fields:
  // −17.5 °C in its first interval, 6.5 °C after, calm.
  const std::int64_t jan4_local = jan1_local + 3 * 24 * kHour;
  AddSeries(rows, jan4_local, jan4_local + 24 * kHour, 1800, [&](int k, ArchiveValues& v) {
    v[temp] = k == 0 ? -17.5 : 6.5;
    v[rain] = 0.0;
    v[wind] = 0.0;
  });
  // Spring change (29 March, 23 hours), 1 minute: 4 °C on the last hour of
  // the 28th, 8 °C on the 29th with 0.2 of rain on each full UTC hour, a high
  // of 9 at 03:00 (the first minute after the jump reads 03:00) and a low of
  // 7 at midnight, 12 °C on the first hour of the 30th.
  AddSeries(rows, kMar28_22z, kMar28_22z + kHour, 60, [&](int, ArchiveValues& v) {
    v[temp] = 4.0;
    v[rain] = 0.0;
  });
  AddSeries(rows, kMar28_22z + kHour, kMar28_22z + 24 * kHour, 60, [&](int k, ArchiveValues& v) {
    v[temp] = 8.0;
    v[rain] = (k + 1) % 60 == 0 ? 0.2 : 0.0;
    if (k == 2 * 60 - 1) v[high] = 9.0;
    if (k == 23 * 60 - 1) v[low] = 7.0;
  });
  AddSeries(rows, kMar28_22z + 24 * kHour, kMar28_22z + 25 * kHour, 60, [&](int, ArchiveValues& v) {
    v[temp] = 12.0;
    v[rain] = 0.0;
  });
  // Autumn change (25 October, 25 hours), 30 minutes: 0 °C for the first
  // five hours then 10 °C; 0.5 of rain at both passages of 02:30; calm for
  // fifteen hours then 10 km/h from the east; 20 km/h gusts at the second
  // 02:30 and later (the first is kept).
  AddSeries(rows, kOct24_22z, kOct24_22z + 25 * kHour, 1800, [&](int k, ArchiveValues& v) {
    v[temp] = k < 10 ? 0.0 : 10.0;
    v[rain] = k == 4 || k == 6 ? 0.5 : 0.0;
    v[wind] = k < 30 ? 0.0 : 10.0;
    v[dir] = k < 30 ? 0.0 : 90.0;
    v[gust] = k == 6 || k == 40 ? 20.0 : 5.0;
  });
  return rows;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

class ClimateReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<ArchiveStore>(folder_.File("archive.sqlite"));
    ASSERT_EQ(store_->Open(), StoreStatus::kOk);
    const auto rows = SyntheticYear();
    int added = 0;
    ASSERT_EQ(store_->Add(rows, &added), StoreStatus::kOk);
    ASSERT_EQ(added, static_cast<int>(rows.size()));
  }
  ZoneScope zone_{"Europe/Paris"};
  TempFolder folder_;
  std::unique_ptr<ArchiveStore> store_;
};

std::string Report(ArchiveStore& store, ReportPeriod period, ReportFormat format,
                   const ReportSettings& settings) {
  std::string contents, message;
  EXPECT_EQ(MakeClimateReport(store, period, format, settings, {}, &contents, &message),
            ReportResult::kWritten)
      << message;
  return contents;
}

// Each expected line worked out by hand from SyntheticYear().
TEST_F(ClimateReportTest, CsvRowsMatchTheValuesWorkedOutByHand) {
  ConfigTable us, base;
  us.Set("REPORTS", "Units", "us");
  base.Set("REPORTS", "DegreeDayBase", "15,5");
  struct Case {
    const char* what;
    ReportPeriod period;
    const ConfigTable* config;
    std::vector<std::string> lines;
  };
  const ConfigTable metric;
  const std::vector<Case> cases = {
      {"January: midnight rain, a two-day gap, a day without pressure",
       {2026, 1},
       &metric,
       {"day,mean_temp,high_temp,high_temp_time,low_temp,low_temp_time,heat_deg_days,"
        "cool_deg_days,rain,avg_wind,high_wind,high_wind_time,dom_dir",
        "1,15.0,21.5,12:30,8.5,00:30,3.3,0.0,0.3,10.0,35.0,24:00,90",
        "4,6.0,6.5,01:00,-17.5,00:30,12.3,0.0,0.0,0.0,0.0,00:30,",
        "month,10.5,21.5,01 12:30,-17.5,04 00:30,15.6,0.0,0.3,5.0,35.0,01 24:00,90"}},
      {"March: the 23-hour day, 1-minute records",
       {2026, 3},
       &metric,
       {"28,4.0,4.0,23:01,4.0,23:01,14.3,0.0,0.0,,,,",
        "29,8.0,9.0,03:00,7.0,24:00,10.3,0.0,4.6,,,,",
        "30,12.0,12.0,00:01,12.0,00:01,6.3,0.0,0.0,,,,",
        "month,8.0,12.0,30 00:01,4.0,28 23:01,30.9,0.0,4.6,,,,"}},
      {"October: the 25-hour day, the repeated hour, speed-weighted direction",
       {2026, 10},
       &metric,
       {"25,8.0,10.0,04:30,0.0,00:30,10.3,0.0,1.0,4.0,20.0,02:30,90",
        "month,8.0,10.0,25 04:30,0.0,25 00:30,10.3,0.0,1.0,4.0,20.0,25 02:30,90"}},
      {"US units: °F, in, mph, degree days against 65 °F",
       {2026, 1},
       &us,
       {"1,59.0,70.7,12:30,47.3,00:30,6.0,0.0,0.0,6.2,21.7,24:00,90"}},
      {"a degree-day base of 15.5 °C",
       {2026, 1},
       &base,
       {"1,15.0,21.5,12:30,8.5,00:30,0.5,0.0,0.3,10.0,35.0,24:00,90"}},
      {"the year, February empty",
       {2026, 0},
       &metric,
       {"month,mean_max,mean_min,mean_temp,heat_deg_days,cool_deg_days,high_temp,high_temp_day,"
        "low_temp,low_temp_day,days_max_ge_30,days_max_le_0,days_min_le_0,days_min_le_m20,rain,"
        "max_day_rain,max_day_rain_day,days_rain_ge_0_3,days_rain_ge_3,days_rain_ge_30,avg_wind,"
        "high_wind,high_wind_day,dom_dir",
        "1,14.0,-4.5,10.5,15.6,0.0,21.5,01,-17.5,04,0,0,1,0,0.3,0.3,01,1,0,0,5.0,35.0,01,90",
        "2,,,,,,,,,,,,,,,,,,,,,,,",
        "3,8.3,7.7,8.0,30.9,0.0,12.0,30,4.0,28,0,0,0,0,4.6,4.6,29,1,1,0,,,,",
        "10,10.0,0.0,8.0,10.3,0.0,10.0,25,0.0,25,0,0,1,0,1.0,1.0,25,1,0,0,4.0,20.0,25,90",
        "12,,,,,,,,,,,,,,,,,,,,,,,",
        "year,10.5,2.3,8.8,56.8,0.0,21.5,01-01,-17.5,01-04,0,0,2,0,5.9,4.6,03-29,3,1,0,4.7,35.0,01-"
        "01,"
        "90"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto lines =
        Lines(Report(*store_, c.period, ReportFormat::kCsv, ReportSettingsFromConfig(*c.config)));
    for (const auto& want : c.lines) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end())
          << "missing: " << want << "\nin:\n"
          << ::testing::PrintToString(lines);
    }
  }
  // Only the days that have records are rows (2 and 3 January are not).
  const auto january = Lines(Report(*store_, {2026, 1}, ReportFormat::kCsv, {}));
  EXPECT_EQ(january.size(), 4u);
}

std::size_t CodePoints(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

TEST_F(ClimateReportTest, TextHasEqualWidthRowsCompassNamesAndDayCounts) {
  const std::string text = Report(*store_, {2026, 1}, ReportFormat::kText, {});
  const auto lines = Lines(text);
  EXPECT_EQ(lines.front(), "Relevé climatologique mensuel : janvier 2026");
  auto heading = std::find_if(lines.begin(), lines.end(),
                              [](const std::string& l) { return l.rfind("Jour ", 0) == 0; });
  ASSERT_NE(heading, lines.end());
  ASSERT_GE(lines.end() - heading, 4);
  EXPECT_EQ(heading[1].rfind("01 ", 0), 0u) << heading[1];
  EXPECT_NE(heading[1].find("24:00  Est "), std::string::npos) << heading[1];
  EXPECT_EQ(heading[3].rfind("Mois", 0), 0u) << heading[3];
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(CodePoints(heading[i]), CodePoints(heading[0])) << i;
  EXPECT_NE(text.find("Jours de pluie ≥ 0.3 mm   : 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Jours de minimum ≤ 0 °C   : 1\n"), std::string::npos) << text;

  // The header names what is known of the station.
  std::string with_header, message;
  ASSERT_EQ(MakeClimateReport(*store_, {2026, 1}, ReportFormat::kText, {},
                              {"Mon jardin", "45° 46' Nord", "4° 50' Est", 558.0}, &with_header,
                              &message),
            ReportResult::kWritten);
  EXPECT_NE(with_header.find("\nStation : Mon jardin\nPosition : 45° 46' Nord, 4° 50' Est, "
                             "altitude 170 m\n"),
            std::string::npos)
      << with_header;

  const auto year = Lines(Report(*store_, {2026, 0}, ReportFormat::kText, {}));
  auto year_heading = std::find_if(year.begin(), year.end(),
                                   [](const std::string& l) { return l.rfind("Mois ", 0) == 0; });
  ASSERT_GE(year.end() - year_heading, 14);
  for (int i = 1; i <= 13; ++i) {
    EXPECT_EQ(CodePoints(year_heading[i]), CodePoints(year_heading[0])) << year_heading[i];
  }
}

TEST_F(ClimateReportTest, WriteReportsItsOutcomeAsTheCommandsExitCode) {
  const std::string store_path = folder_.File("archive.sqlite");
  struct Case {
    const char* store;
    const char* period;
    const char* file;
    ReportResult result;
  };
  const std::vector<Case> cases = {
      {"archive.sqlite", "2026-01", "jan.txt", ReportResult::kWritten},
      {"archive.sqlite", "2026", "year.CSV", ReportResult::kWritten},
      {"archive.sqlite", "2026-13", "a.txt", ReportResult::kNotUnderstood},
      {"archive.sqlite", "26-01", "a.txt", ReportResult::kNotUnderstood},
      {"archive.sqlite", "2026-01", "a.json", ReportResult::kNotUnderstood},
      {"archive.sqlite", "2026-02", "feb.txt", ReportResult::kNothing},
      {"archive.sqlite", "2025", "y2025.csv", ReportResult::kNothing},
      {"missing.sqlite", "2026-01", "none.txt", ReportResult::kNothing},
      {"archive.sqlite", "2026-01", "no-folder/jan.txt", ReportResult::kNothing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.period) + " " + c.file);
    std::string message;
    const std::string out = folder_.File(c.file);
    EXPECT_EQ(WriteClimateReport(folder_.File(c.store), c.period, out, {}, {}, &message), c.result)
        << message;
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(std::filesystem::exists(out), c.result == ReportResult::kWritten);
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.File("missing.sqlite")));
}

}  // namespace
}  // namespace tv
