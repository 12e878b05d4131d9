#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "tests/unit/archive/archive_test_support.h"
#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using archive_test::FakeArchiveSource;
using archive_test::Series;
using archive_test::TempFolder;

TEST(AgentArchive, TheCollectionThreadFillsTheStoreUnlessTurnedOff) {
  struct Row {
    const char* legend;
    const char* active;  // nullptr: no key
    bool kept;
  };
  const Row rows[] = {
      {"no key: kept", nullptr, true},
      {"1: kept", "1", true},
      {"0: none", "0", false},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    ConfigTable config;
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@22222");
    if (row.active != nullptr) config.Set("ARCHIVE", "Active", row.active);
    ManualClock clock;
    MemoryWindow window({}, clock);
    auto station = std::make_unique<testing::FakeStation>();
    station->station_time = testing::ConsoleTime(clock.NowSeconds());
    auto source = std::make_unique<FakeArchiveSource>();
    source->memory = Series(UtcToConsoleStamp(clock.NowSeconds() - 3 * 86400), 864);
    AgentOptions options;
    options.station = std::move(station);
    options.archive_source = std::move(source);
    options.archive_path = folder.File("archive.sqlite");
    {
      Agent agent(config, window, clock, std::move(options));
      agent.Open();
      agent.Start();
      ASSERT_TRUE(clock.WaitForSleepers(2)) << row.legend << ": the first cycle ran";
      agent.Stop();
      ASSERT_EQ(agent.archive_store() != nullptr, row.kept) << row.legend;
      if (!row.kept) continue;
      std::int64_t count = 0;
      EXPECT_EQ(agent.archive_store()->Count(&count), StoreStatus::kOk);
      EXPECT_EQ(count, 864) << row.legend;
    }
    const auto lines = window.Lines(Field::AppLogList);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("[Archive] : 864 enregistrements de la console conservés", 0), 0u)
        << row.legend << ": " << lines.front();
  }
}

}  // namespace
}  // namespace tv
