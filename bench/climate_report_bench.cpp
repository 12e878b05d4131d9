// A year's climate summary from a store of one year of 5-minute records
// (105,120): the store read for the year, the days and months made, the text
// written. Prints the median of several runs; asserts nothing.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gadget/archive/archive_store.h"
#include "gadget/reports/climate_report.h"

namespace {

constexpr int kRecords = 365 * 288;
constexpr std::int64_t kStart = 1'735'689'600;  // 2025-01-01 00:00 UTC
constexpr double kGoalMs = 300.0;
constexpr int kRuns = 7;

tv::HistoryRow MakeRow(int i) {
  tv::HistoryRow row;
  row.utc = kStart + static_cast<std::int64_t>(i + 1) * 300;
  row.stamp = tv::UtcToConsoleStamp(row.utc);
  const double day = static_cast<double>(i % 288) / 288.0;
  const double noise = static_cast<double>((i * 7919) % 101) / 100.0;
  for (std::size_t c = 0; c < row.values.size(); ++c) row.values[c] = noise;
  row.values[0] = 8.0 + 6.0 * (day < 0.5 ? day : 1.0 - day) + noise;  // outside_temp
  row.values[1] = *row.values[0] + 0.3;
  row.values[2] = *row.values[0] - 0.3;
  row.values[7] = i % 50 == 0 ? 0.2 : 0.0;  // rain
  row.values[9] = 8.05 * noise;             // wind_speed_avg
  row.values[10] = 16.1 * noise;            // wind_speed_high
  row.values[12] = static_cast<double>((i / 12) % 16) * 22.5;
  return row;
}

}  // namespace

int main() {
  setenv("TZ", "UTC", 1);
  std::string folder_pattern =
      (std::filesystem::temp_directory_path() / "tv-climate-bench-XXXXXX").string();
  const std::string folder = mkdtemp(folder_pattern.data());
  const std::string path = folder + "/archive.sqlite";
  {
    tv::ArchiveStore store(path);
    if (store.Open() != tv::StoreStatus::kOk) return 1;
    std::vector<tv::HistoryRow> rows;
    rows.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) rows.push_back(MakeRow(i));
    if (store.Add(rows) != tv::StoreStatus::kOk) return 1;
  }
  std::vector<double> ms;
  std::size_t size = 0;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    tv::ArchiveStore store(path, tv::StoreOptions{.read_only = true});
    std::string text, message;
    if (store.Open() != tv::StoreStatus::kOk ||
        tv::MakeClimateReport(store, {2025, 0}, tv::ReportFormat::kText, {}, {}, &text, &message) !=
            tv::ReportResult::kWritten) {
      std::fprintf(stderr, "%s\n", message.c_str());
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
    size = text.size();
  }
  // The store's read of the same span alone, to tell its share.
  std::vector<double> read_ms;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    tv::ArchiveStore store(path, tv::StoreOptions{.read_only = true});
    std::vector<tv::HistoryRow> rows;
    if (store.Open() != tv::StoreStatus::kOk ||
        store.Range(kStart - 7200, kStart + 366 * 86400, &rows) != tv::StoreStatus::kOk) {
      return 1;
    }
    read_ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(read_ms.begin(), read_ms.end());
  std::sort(ms.begin(), ms.end());
  std::printf(
      "climate report of a year (%d records, %zu bytes of text): median %.1f ms over %d "
      "runs (goal < %.0f ms)\n",
      kRecords, size, ms[ms.size() / 2], kRuns, kGoalMs);
  std::printf("  for comparison, the store's Range of the year with every column: median %.1f ms\n",
              read_ms[read_ms.size() / 2]);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
