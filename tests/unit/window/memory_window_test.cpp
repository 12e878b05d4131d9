#include "gadget/window/memory_window.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tv {
namespace {

TEST(MemoryWindow, StartsAsTheCatalogueCreatesIt) {
  MemoryWindow window(
      [](std::string_view picture) -> ImageHandle { return picture == "thermometer-32" ? 7 : 1; });
  EXPECT_EQ(window.Text(Field::IndoorTempValue), "-88,8");
  EXPECT_EQ(window.Text(Field::BaroFrame),
            "Pression Atmosphérique / Température ressenti / Point de rosé");
  EXPECT_EQ(window.Text(Field::TimeCorrectionValue), "N/A");
  EXPECT_EQ(window.Picture(Field::IndoorTempIcon), 7);
  EXPECT_EQ(window.Picture(Field::BaroTrendIcon), kNoImage) << "created without a picture";
  EXPECT_EQ(window.Picture(Field::AlertMuteButton), 1);
  EXPECT_TRUE(window.Visible(Field::StatusLinkIcon));
  EXPECT_FALSE(window.WindowShown()) << "the window is created hidden";
  EXPECT_EQ(window.SelectedPage(), 0);
}

TEST(MemoryWindow, RowAndLinePositions) {
  struct Row {
    const char* legend;
    int position;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"at the top", 0, {"new", "a", "b"}},
      {"in the middle", 1, {"a", "new", "b"}},
      {"at the end", 2, {"a", "b", "new"}},
      {"past the end appends", 9, {"a", "b", "new"}},
      {"a negative position goes to the top", -3, {"new", "a", "b"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    MemoryWindow window;
    window.AppendRow(Field::ServiceList, "a");
    window.AppendRow(Field::ServiceList, "b");
    window.InsertRow(Field::ServiceList, row.position, "new");
    EXPECT_EQ(window.Rows(Field::ServiceList), row.expected);
    EXPECT_EQ(window.RowCount(Field::ServiceList), 3);
    window.InsertLine(Field::AppLogList, 0, "b");
    window.InsertLine(Field::AppLogList, 0, "a");
    window.InsertLine(Field::AppLogList, row.position, "new");
    EXPECT_EQ(window.Lines(Field::AppLogList), row.expected);
  }
}

TEST(MemoryWindow, CallsOnFieldsOfTheWrongKindAreIgnored) {
  MemoryWindow window;
  window.SetText(Field::ForecastIcon, "x");
  window.SetPicture(Field::IndoorTempValue, 5);
  window.AppendRow(Field::AppLogList, "x");
  window.InsertLine(Field::ServiceList, 0, "x");
  window.AppendTreeItem(Field::ServiceList, "x", 0, 0);
  window.SelectPage(10);
  window.SelectPage(-1);
  window.SetPressed(Field::WindRose, true);
  EXPECT_TRUE(window.Log().empty());
  EXPECT_EQ(window.Text(Field::ForecastIcon), "");
  EXPECT_EQ(window.Picture(Field::IndoorTempValue), kNoImage);
  EXPECT_EQ(window.RowCount(Field::AppLogList), 0);
  EXPECT_FALSE(window.IsPressed(Field::WindRose));
  EXPECT_EQ(window.SelectedPage(), 0);
}

TEST(MemoryWindow, TreesKeepLevelsWithinRange) {
  MemoryWindow window;
  window.AppendTreeItem(Field::TempPeakTree, "root", 3, 0);
  window.AppendTreeItem(Field::TempPeakTree, "child", 4, 1);
  window.AppendTreeItem(Field::TempPeakTree, "too deep", 5, 7);
  window.AppendTreeItem(Field::TempPeakTree, "negative", 6, -1);
  const std::vector<MemoryWindow::TreeItem> expected = {
      {"root", 3, 0}, {"child", 4, 1}, {"too deep", 5, 2}, {"negative", 6, 0}};
  EXPECT_EQ(window.TreeItems(Field::TempPeakTree), expected);
  window.ClearTree(Field::TempPeakTree);
  EXPECT_TRUE(window.TreeItems(Field::TempPeakTree).empty());
}

TEST(MemoryWindow, DumpShowsWhatTheWindowShows) {
  MemoryWindow window;
  window.SetText(Field::OutdoorTempValue, "21.5");
  window.SetVisible(Field::FrostIcon, false);
  window.AppendRow(Field::ActiveAlertList, "01/02/2024 10h00\nTempérature\n30.1");
  const std::string dump = window.Dump();
  EXPECT_NE(dump.find("OutdoorTempValue\t\"21.5\""), std::string::npos) << dump;
  EXPECT_NE(dump.find("FrostIcon\thidden"), std::string::npos) << dump;
  EXPECT_NE(dump.find("row\t01/02/2024 10h00|Température|30.1"), std::string::npos) << dump;
}

TEST(MemoryWindow, HistoriesKeepOnlyTheNewestEntries) {
  MemoryWindow window;
  const int calls = static_cast<int>(MemoryWindow::kHistoryLimit) + 5;
  for (int i = 0; i < calls; ++i) {
    window.SetText(Field::EngineStateText, std::to_string(i));
    window.ShowBalloon("t", std::to_string(i), 1, 1);
  }
  const auto log = window.Log();
  ASSERT_EQ(log.size(), MemoryWindow::kHistoryLimit);
  EXPECT_EQ(log.back(), "ShowBalloon t " + std::to_string(calls - 1));
  const auto balloons = window.Balloons();
  ASSERT_EQ(balloons.size(), MemoryWindow::kHistoryLimit);
  EXPECT_EQ(balloons.front().text, "5") << "the five oldest dropped";

  window.KeepCallLog(false);
  window.SetText(Field::EngineStateText, "x");
  EXPECT_EQ(window.Log(), std::vector<std::string>{});
  EXPECT_EQ(window.Text(Field::EngineStateText), "x") << "calls are still applied";
}

TEST(MemoryWindow, WritersOnSeveralThreads) {
  MemoryWindow window;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&window, t] {
      for (int i = 0; i < 200; ++i) {
        window.SetText(Field::IndoorTempValue, std::to_string(t));
        window.InsertLine(Field::AppLogList, 0, "line");
        window.SetVisible(Field::StatusLinkIcon, i % 2 == 0);
        (void)window.Text(Field::IndoorTempValue);
      }
    });
  }
  for (std::thread& w : writers) w.join();
  EXPECT_EQ(window.Lines(Field::AppLogList).size(), 800u);
  EXPECT_EQ(window.Log().size(), 2400u);
}

}  // namespace
}  // namespace tv
