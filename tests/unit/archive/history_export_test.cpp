#include "gadget/archive/history_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

using archive_test::RecordAt;
using archive_test::TempFolder;
using archive_test::ZoneScope;

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HistoryExport, ARangeOfTheStoreAsCsvOrJsonOrAClearRefusal) {
  ZoneScope zone("Europe/Paris");
  TempFolder folder;
  const std::string store_path = folder.File("archive.sqlite");
  {
    ArchiveStore store(store_path);
    ASSERT_EQ(store.Open(), StoreStatus::kOk);
    std::vector<HistoryRow> rows;
    for (ConsoleStamp stamp : {202612062355, 202612070000, 202612071405, 202612080000}) {
      auto record = RecordAt(stamp, 68.0f);
      record.OutsideHum = kResultNegativeValue;  // no reading
      rows.push_back({stamp, 0, ConsoleStampToUtc(stamp, 0), ConvertArchiveRecord(record)});
    }
    ASSERT_EQ(store.Add(rows), StoreStatus::kOk);
  }
  const auto day = [](const char* text, bool end) { return *ParseLocalTime(text, end); };

  // The 7th, as CSV: its two records, times local and UTC, no reading empty.
  const std::string csv = folder.File("day.csv");
  std::string message;
  ASSERT_TRUE(
      ExportHistory(store_path, day("2026-12-07", false), day("2026-12-07", true), csv, &message))
      << message;
  EXPECT_EQ(message, "2 enregistrements exportés dans " + csv);
  std::istringstream lines(Read(csv));
  std::string header, first, second, rest;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_FALSE(std::getline(lines, rest));
  EXPECT_EQ(header.rfind("console_time,utc,outside_temp,outside_temp_high,", 0), 0u);
  EXPECT_EQ(first.rfind("2026-12-07 00:00,2026-12-06T23:00:00Z,20,", 0), 0u) << first;
  std::vector<std::string> fields;
  std::istringstream cells(first);
  for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
  ASSERT_EQ(fields.size(), 2 + kArchiveColumnCount);
  EXPECT_EQ(fields[2 + 4], "") << "outside_hum has no reading: " << first;
  EXPECT_EQ(second.rfind("2026-12-07 14:05,2026-12-07T13:05:00Z,", 0), 0u) << second;

  // The same as JSON.
  const std::string json = folder.File("day.JSON");
  ASSERT_TRUE(
      ExportHistory(store_path, day("2026-12-07", false), day("2026-12-07", true), json, nullptr));
  const auto doc = nlohmann::json::parse(Read(json));
  ASSERT_EQ(doc["records"].size(), 2u);
  EXPECT_EQ(doc["records"][1]["console_time"], "2026-12-07 14:05");
  EXPECT_EQ(doc["records"][1]["outside_temp"], 20.0);
  EXPECT_TRUE(doc["records"][1]["outside_hum"].is_null());
  EXPECT_EQ(doc["units"]["barometer"], "hPa");

  struct Row {
    const char* legend;
    std::string store;
    std::string out;
    const char* message_start;
  };
  const Row refusals[] = {
      {"neither .csv nor .json", store_path, folder.File("x.txt"), "Le nom du fichier"},
      {"no store", folder.File("none.sqlite"), folder.File("x.csv"), "Aucune archive"},
      {"a folder that does not exist", store_path, folder.File("no/x.csv"), "Impossible d'écrire"},
  };
  for (const auto& row : refusals) {
    EXPECT_FALSE(ExportHistory(row.store, 0, INT64_MAX, row.out, &message)) << row.legend;
    EXPECT_EQ(message.rfind(row.message_start, 0), 0u) << row.legend << ": " << message;
  }
}

}  // namespace
}  // namespace tv
