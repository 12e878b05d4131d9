// The archive wrappers over the call paths, against the stand-in library:
// pages reach the caller's function, its answer and its failures end the
// download, and an operation the library lacks is no success.
#include "lib/station/archive_operations.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/unit/station/fake_station.h"

namespace tv {
namespace {

using ArchiveOperationTest = FakeStationTest;

TEST_F(ArchiveOperationTest, PagesReachTheSinkUntilItStops) {
  struct Row {
    const char* legend;
    bool with_stamp;
    int stop_after;  // pages, then the sink stops (0: never)
    bool throws;
    std::vector<float> temps;
    int year;
  } rows[] = {
      {"every page, the stamp passed on", true, 0, false, {70, 71, 72}, 2024},
      {"no stamp", false, 0, false, {70, 71, 72}, -1},
      {"the sink stops after two pages", true, 2, false, {70, 71}, 2024},
      {"a sink that throws ends the download", true, 1, true, {70}, 2024},
  };
  for (const Row& row : rows) {
    std::vector<float> temps;
    int year = 0;
    const StationDateTime after{0, 12, 1, 6, 2024};
    const auto status =
        DownloadArchive_V(row.with_stamp ? &after : nullptr, [&](const ArchivePage& page) {
          temps.push_back(page.Records[0].OutsideTemp);
          year = page.Records[0].Stamp.Year;
          const bool more = row.stop_after == 0 || static_cast<int>(temps.size()) < row.stop_after;
          if (!more && row.throws) throw std::runtime_error("store failed");
          return more;
        });
    EXPECT_EQ(status, kResultOk) << row.legend;
    EXPECT_EQ(temps, row.temps) << row.legend;
    EXPECT_EQ(year, row.year) << row.legend;
  }
  EXPECT_EQ(DownloadArchive_V(nullptr, ArchivePageSink{}), kResultBadParameters) << "no sink";
  const StationDateTime now{0, 12, 1, 6, 2024};
  EXPECT_EQ(SetStationTime_V(now, 0), kResultCommError) << "the library lacks the operation";
}

}  // namespace
}  // namespace tv
