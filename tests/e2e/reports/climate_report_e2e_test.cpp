// Forty days of the simulator's weather downloaded into a store by the
// agent's catch-up (three downloads, the console's clock moved on between
// them), then the month's and year's climate summaries written as text and
// CSV and read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/archive/archive_columns.h"
#include "gadget/archive/archive_store.h"
#include "gadget/reports/climate_report.h"
#include "gadget/window/memory_window.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

constexpr auto kDeadline = std::chrono::seconds{120};

// The agent on the simulator until its catch-up is level with the console.
bool CatchUp(testing::SimulatorProcess& sim, const std::string& store_path) {
  ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "10");
  config.Set("SERVICES", "CurrentData", "1");
  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  AgentOptions options;
  options.archive_path = store_path;
  Agent agent(config, gui, DefaultClock(), std::move(options));
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (std::chrono::steady_clock::now() < deadline && !agent.archive()->UpToDate()) {
    const long long wait_ms = agent.engine().RunCycle();
    std::this_thread::sleep_for(std::chrono::milliseconds{std::clamp(wait_ms, 0LL, 50LL)});
  }
  const bool up_to_date = agent.archive()->UpToDate();
  agent.Quit(std::chrono::seconds{5});
  agent.Stop();
  return up_to_date;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> out;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, separator)) out.push_back(cell);
  if (!line.empty() && line.back() == separator) out.emplace_back();
  return out;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::size_t CodePoints(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(ClimateReportE2e, FortyDaysOfTheSimulatorInTheMonthAndTheYear) {
  archive_test::ZoneScope zone("UTC");
  testing::TempDir dir;
  const std::string store_path = (dir.path / "archive.sqlite").string();
  testing::SimulatorProcess sim;
  std::string error;
  // The console's memory: the 2560 ten-minute records (17.8 days) before
  // 1 May; then 15 and 8 days more, each downloaded before the ring wraps.
  ASSERT_TRUE(sim.Start(
      {"--tcp", "127.0.0.1:0", "--scenario", "default", "--start", "2026-05-01 00:00:05"}, &error))
      << error;
  ASSERT_TRUE(CatchUp(sim, store_path));
  ASSERT_EQ(sim.Control("STEP 1296000"), "OK");
  ASSERT_TRUE(CatchUp(sim, store_path));
  ASSERT_EQ(sim.Control("STEP 691200"), "OK");
  ASSERT_TRUE(CatchUp(sim, store_path));

  // The month's rain as the sum of its records': those ending in
  // (1 May 00:00, 1 June 00:00].
  const std::int64_t may = 1'777'593'600;  // 2026-05-01T00:00Z
  const std::int64_t june = may + 31 * 86400;
  std::vector<HistoryRow> rows;
  {
    ArchiveStore store(store_path, StoreOptions{.read_only = true});
    ASSERT_EQ(store.Open(), StoreStatus::kOk);
    ASSERT_EQ(store.Range(INT64_MIN, INT64_MAX, &rows), StoreStatus::kOk);
  }
  ASSERT_GE(rows.back().utc - rows.front().utc, 40 * 86400) << rows.size() << " records";
  std::size_t rain_col = 0;
  while (ArchiveColumns()[rain_col].name != "rain") ++rain_col;
  double may_rain = 0;
  for (const auto& row : rows) {
    if (row.utc > may && row.utc <= june) may_rain += row.values[rain_col].value_or(0);
  }

  std::string message;
  const std::string month_csv = (dir.path / "mai.csv").string();
  const std::string month_txt = (dir.path / "mai.txt").string();
  const std::string year_csv = (dir.path / "annee.csv").string();
  const std::string year_txt = (dir.path / "annee.txt").string();
  for (const auto& [period, path] :
       std::vector<std::pair<const char*, std::string>>{{"2026-05", month_csv},
                                                        {"2026-05", month_txt},
                                                        {"2026", year_csv},
                                                        {"2026", year_txt}}) {
    ASSERT_EQ(WriteClimateReport(store_path, period, path, {}, {}, &message),
              ReportResult::kWritten)
        << message;
  }

  const auto month = ReadLines(month_csv);
  // The console stops at 24 May 00:00:05: its last record closes the 23rd.
  ASSERT_EQ(month.size(), 1u + 23u + 1u) << "header, 1 to 23 May, the month";
  EXPECT_EQ(month[0],
            "day,mean_temp,high_temp,high_temp_time,low_temp,low_temp_time,heat_deg_days,"
            "cool_deg_days,rain,avg_wind,high_wind,high_wind_time,dom_dir");
  double days_rain = 0;
  for (std::size_t i = 1; i < month.size(); ++i) {
    const auto cells = Split(month[i], ',');
    ASSERT_EQ(cells.size(), 13u) << month[i];
    EXPECT_EQ(cells[0], i + 1 < month.size() ? std::to_string(i) : "month");
    for (int c : {1, 2, 4, 8, 9, 10}) EXPECT_FALSE(cells[c].empty()) << month[i];
    if (i + 1 < month.size()) days_rain += std::stod(cells[8]);
  }
  const double month_rain = std::stod(Split(month.back(), ',')[8]);
  EXPECT_NEAR(month_rain, may_rain, 0.05 + 1e-9);
  EXPECT_NEAR(days_rain, may_rain, 0.05 * 23 + 1e-9);

  const auto year = ReadLines(year_csv);
  ASSERT_EQ(year.size(), 14u);
  EXPECT_EQ(Split(year[0], ',').size(), 24u);
  for (std::size_t i = 1; i < year.size(); ++i) {
    const auto cells = Split(year[i], ',');
    ASSERT_EQ(cells.size(), 24u) << year[i];
    const bool held = i == 4 || i == 5 || i == 13;  // April, May, the year
    EXPECT_EQ(!cells[3].empty(), held) << year[i];
  }
  EXPECT_NEAR(std::stod(Split(year[5], ',')[14]), may_rain, 0.05 + 1e-9);

  // The text: every row of the table as wide as its heading.
  for (const auto& path : {month_txt, year_txt}) {
    const auto text = ReadLines(path);
    auto heading = std::find_if(text.begin(), text.end(), [](const std::string& line) {
      return line.rfind("Jour ", 0) == 0 || line.rfind("Mois ", 0) == 0;
    });
    ASSERT_NE(heading, text.end()) << path;
    for (auto it = heading; it != text.end() && !it->empty(); ++it) {
      EXPECT_EQ(CodePoints(*it), CodePoints(*heading)) << *it;
    }
  }
}

}  // namespace
}  // namespace tv
