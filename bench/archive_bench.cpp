// The archive store over a year of 5-minute records: the range query the
// 30-day charts make (the store opened, then 30 days read), and the store's
// size per year, and the agent's opening of it. Prints three lines; asserts
// nothing.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gadget/archive/archive_store.h"

namespace {

constexpr int kRecordsPerYear = 365 * 288;
constexpr std::int64_t kStart = 1'735'689'600;  // 2025-01-01 00:00 UTC
constexpr double kGoalMs = 200.0;

tv::HistoryRow MakeRow(int i) {
  tv::HistoryRow row;
  row.utc = kStart + static_cast<std::int64_t>(i) * 300;
  row.stamp = tv::UtcToConsoleStamp(row.utc);
  // Values that change as a station's do: a daily swing and some noise.
  const double day = static_cast<double>(i % 288) / 288.0;
  const double noise = static_cast<double>((i * 7919) % 101) / 100.0;
  row.values[0] = 8.0 + 6.0 * (day < 0.5 ? day : 1.0 - day) + noise;  // outside_temp
  row.values[1] = *row.values[0] + 0.3;
  row.values[2] = *row.values[0] - 0.3;
  row.values[3] = 20.5 + noise;                        // inside_temp
  row.values[4] = 60.0 + static_cast<double>(i % 30);  // outside_hum
  row.values[5] = 45.0;
  row.values[6] = 1013.0 + noise * 10.0;  // barometer
  row.values[7] = i % 50 == 0 ? 0.2 : 0.0;
  row.values[8] = 0.0;
  row.values[9] = 8.05 * noise;
  row.values[10] = 16.1 * noise;
  row.values[11] = 22.5 * (i % 16);
  row.values[12] = 22.5 * ((i + 3) % 16);
  row.values[13] = 120.0;
  row.values[14] = day > 0.25 && day < 0.75 ? 300.0 * noise : 0.0;
  row.values[15] = *row.values[14] + 20.0;
  row.values[16] = 1.2;
  row.values[17] = 1.5;
  row.values[18] = 0.05;
  row.values[19] = 6.0;
  return row;
}

}  // namespace

int main() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "tv-archive-bench-XXXXXX").string();
  const std::string folder = mkdtemp(pattern.data());
  const std::string path = folder + "/archive.sqlite";
  {
    // As the catch-up writes it: one transaction per page of five records.
    tv::ArchiveStore store(path);
    if (store.Open() != tv::StoreStatus::kOk) return 1;
    std::vector<tv::HistoryRow> page;
    for (int i = 0; i < kRecordsPerYear; ++i) {
      page.push_back(MakeRow(i));
      if (page.size() == 5 || i + 1 == kRecordsPerYear) {
        if (store.Add(page) != tv::StoreStatus::kOk) return 1;
        page.clear();
      }
    }
  }
  const auto bytes = std::filesystem::file_size(path);

  std::vector<double> ms;
  std::size_t rows_read = 0;
  for (int run = 0; run < 11; ++run) {
    // Thirty days ending somewhere in the year.
    const std::int64_t to = kStart + (60 + run * 27) * 86'400LL;
    const auto t0 = std::chrono::steady_clock::now();
    tv::ArchiveStore store(path, tv::StoreOptions{.read_only = true});
    std::vector<tv::HistoryRow> rows;
    if (store.Open() != tv::StoreStatus::kOk ||
        store.Range(to - 30 * 86'400LL, to, &rows) != tv::StoreStatus::kOk) {
      return 1;
    }
    const auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    rows_read = rows.size();
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "range: 30 days (%zu records) from a store of %d: median %.1f ms (min %.1f, max %.1f, 11 "
      "runs), goal %.0f ms, ratio %.3f\n",
      rows_read, kRecordsPerYear, ms[5], ms.front(), ms.back(), kGoalMs, ms[5] / kGoalMs);
  std::printf("size: %d records of 5 minutes (one year): %.1f MiB, %.0f bytes per record\n",
              kRecordsPerYear, static_cast<double>(bytes) / 1048576.0,
              static_cast<double>(bytes) / kRecordsPerYear);
  // The agent's own opening at start, which checks the whole file once.
  const auto o0 = std::chrono::steady_clock::now();
  {
    tv::ArchiveStore store(path);
    if (store.Open() != tv::StoreStatus::kOk) return 1;
  }
  const auto o1 = std::chrono::steady_clock::now();
  std::printf("open: the agent's opening of that store, its check included: %.1f ms\n",
              std::chrono::duration<double, std::milli>(o1 - o0).count());
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
