#include "gadget/archive/archive_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "gadget/archive/archive_columns.h"
#include "gadget/archive/console_stamp.h"
#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

using archive_test::RecordAt;
using archive_test::TempFolder;
using archive_test::ZoneScope;

using Id = ArchiveColumnId;

TEST(ArchiveColumns, ConsoleUnitsBecomeTheWindowsAndDashesBecomeEmpty) {
  struct Row {
    const char* legend;
    std::function<void(ArchiveRecord&)> set;
    ArchiveColumnId column;
    std::optional<double> expected;
  };
  const Row rows[] = {
      {"68 °F is 20 °C", [](ArchiveRecord& r) { r.OutsideTemp = 68.0f; }, Id::kOutsideTemp, 20.0},
      {"29.92 inHg in hPa", [](ArchiveRecord& r) { r.Barometer = 29.92f; }, Id::kBarometer,
       1013.24},
      {"library rain unit × 20 is mm", [](ArchiveRecord& r) { r.Rain = 0.05f; }, Id::kRain, 1.0},
      {"10 mph is 16.1 km/h", [](ArchiveRecord& r) { r.HiWindSpeed = 10.0f; }, Id::kWindSpeedHigh,
       16.1},
      {"a dashed temperature has no reading",
       [](ArchiveRecord& r) { r.OutsideTemp = static_cast<float>(kResultNegativeValue); },
       Id::kOutsideTemp, std::nullopt},
      {"a dashed humidity has no reading",
       [](ArchiveRecord& r) { r.OutsideHum = kResultNegativeValue; }, Id::kOutsideHum,
       std::nullopt},
  };
  for (const auto& row : rows) {
    ArchiveRecord record = RecordAt(202606211400);
    row.set(record);
    const auto value = ConvertArchiveRecord(record)[row.column];
    ASSERT_EQ(value.has_value(), row.expected.has_value()) << row.legend;
    if (value) {
      EXPECT_NEAR(*value, *row.expected, 0.01) << row.legend;
    }
  }
}

TEST(ConsoleStamp, LocalTimesAndTheRepeatedAutumnHour) {
  ZoneScope zone("Europe/Paris");
  struct Row {
    const char* legend;
    const char* text;
    bool end;
    std::optional<const char*> utc;  // as the console's UTC stamp text
  };
  const Row rows[] = {
      {"a date starts at midnight", "2026-06-21", false, "2026-06-20 22:00"},
      {"a date as an end is its last minute", "2026-06-21", true, "2026-06-21 21:59"},
      {"date and time", "2026-01-15T08:30", false, "2026-01-15 07:30"},
      {"a space for the T", "2026-01-15 08:30", false, "2026-01-15 07:30"},
      {"no such day", "2026-02-30", false, std::nullopt},
      {"no such hour", "2026-01-15T24:00", false, std::nullopt},
      {"not a date", "15/01/2026", false, std::nullopt},
      {"trailing text", "2026-01-15T08:30x", false, std::nullopt},
  };
  for (const auto& row : rows) {
    const auto utc = ParseLocalTime(row.text, row.end);
    ASSERT_EQ(utc.has_value(), row.utc.has_value()) << row.legend;
    if (!utc) continue;
    ZoneScope gmt("UTC");
    EXPECT_EQ(FormatConsoleStamp(UtcToConsoleStamp(*utc)), *row.utc) << row.legend;
  }
  // 02:30 comes twice on 25 October 2026: summer time first, an hour apart.
  const ConsoleStamp repeated = 202610250230;
  EXPECT_EQ(ConsoleStampToUtc(repeated, 1) - ConsoleStampToUtc(repeated, 0), 3600);
  EXPECT_EQ(ConsoleStampToUtc(202610250330, 1), ConsoleStampToUtc(202610250330, 0));
}

HistoryRow Stored(ConsoleStamp stamp, int occurrence = 0) {
  HistoryRow row;
  row.stamp = stamp;
  row.occurrence = occurrence;
  row.utc = ConsoleStampToUtc(stamp, occurrence);
  row.values = ConvertArchiveRecord(RecordAt(stamp));
  return row;
}

std::int64_t CountOf(ArchiveStore& store) {
  std::int64_t n = -1;
  EXPECT_EQ(store.Count(&n), StoreStatus::kOk);
  return n;
}

TEST(ArchiveStore, KeyKeepsEachRecordOnceAndBothPassagesOfAStamp) {
  ZoneScope zone("Europe/Paris");
  TempFolder folder;
  ArchiveStore store(folder.File("sub/archive.sqlite"));
  ASSERT_EQ(store.Open(), StoreStatus::kOk);
  int added = 0;
  const std::vector<HistoryRow> first = {Stored(202610250155), Stored(202610250230),
                                         Stored(202610250230, 1), Stored(202610250300)};
  ASSERT_EQ(store.Add(first, &added), StoreStatus::kOk);
  EXPECT_EQ(added, 4);
  // Sent again (a re-download): nothing new.
  ASSERT_EQ(store.Add(first, &added), StoreStatus::kOk);
  EXPECT_EQ(added, 0);
  EXPECT_EQ(CountOf(store), 4);

  std::vector<HistoryRow> rows;
  ASSERT_EQ(store.Range(0, INT64_MAX, &rows), StoreStatus::kOk);
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].utc, rows[i].utc);
  EXPECT_EQ(rows[2].stamp, 202610250230);
  EXPECT_EQ(rows[2].occurrence, 1);
  ASSERT_TRUE(rows[0].values[0].has_value());
  EXPECT_DOUBLE_EQ(*rows[0].values[0], 10.0);  // 50 °F, stored to two decimals

  ASSERT_EQ(store.Latest(2, &rows), StoreStatus::kOk);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].stamp, 202610250300);

  // The journal is WAL, as another reader sees it.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(store.path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// The records table as the first release made it (written without a
// version), with `left_out` missing from its columns: what a release adding
// a column meets in a file of the one before.
std::string FirstReleaseTable(std::string_view left_out = {}) {
  static const char* const kColumns[] = {"outside_temp",
                                         "outside_temp_high",
                                         "outside_temp_low",
                                         "inside_temp",
                                         "outside_hum",
                                         "inside_hum",
                                         "barometer",
                                         "rain",
                                         "rain_rate_high",
                                         "wind_speed_avg",
                                         "wind_speed_high",
                                         "wind_dir_high",
                                         "wind_dir_prevailing",
                                         "wind_samples",
                                         "solar_rad",
                                         "solar_rad_high",
                                         "uv",
                                         "uv_high",
                                         "et",
                                         "forecast_rule",
                                         "leaf_temp_1",
                                         "leaf_temp_2",
                                         "leaf_wetness_1",
                                         "leaf_wetness_2",
                                         "soil_temp_1",
                                         "soil_temp_2",
                                         "soil_temp_3",
                                         "soil_temp_4",
                                         "soil_moisture_1",
                                         "soil_moisture_2",
                                         "soil_moisture_3",
                                         "soil_moisture_4",
                                         "extra_temp_1",
                                         "extra_temp_2",
                                         "extra_temp_3",
                                         "extra_hum_1",
                                         "extra_hum_2"};
  std::string sql =
      "PRAGMA journal_mode=WAL; CREATE TABLE IF NOT EXISTS archive_records (id INTEGER PRIMARY "
      "KEY, stamp INTEGER NOT NULL, occurrence INTEGER NOT NULL, utc INTEGER NOT NULL";
  for (const char* column : kColumns) {
    if (column != left_out) sql += std::string(", ") + column + " REAL";
  }
  return sql +
         ", UNIQUE (stamp, occurrence)); CREATE INDEX IF NOT EXISTS archive_records_utc ON "
         "archive_records (utc);";
}

int UserVersion(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &stmt, nullptr);
  const int version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return version;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(ArchiveStore, OlderLayoutsAreMigratedAndANewerOneOnlyRead) {
  ZoneScope zone("UTC");
  const std::int64_t t0 = 1'750'000'000;
  struct Row {
    const char* legend;
    // Statements that make the file and its three records (outside_temp
    // 10.5, 11.5, 12.5 every 5 minutes from t0).
    std::string sql;
    int version_after;
    StoreStatus open;
  };
  const std::string records =
      "INSERT INTO archive_records (stamp, occurrence, utc, outside_temp) VALUES (" +
      std::to_string(UtcToConsoleStamp(t0)) + ", 0, " + std::to_string(t0) + ", 10.5), (" +
      std::to_string(UtcToConsoleStamp(t0 + 300)) + ", 0, " + std::to_string(t0 + 300) +
      ", 11.5), (" + std::to_string(UtcToConsoleStamp(t0 + 600)) + ", 0, " +
      std::to_string(t0 + 600) + ", 12.5);";
  const std::string newer = std::to_string(kArchiveStoreVersion + 1);
  const Row rows[] = {
      {"the first release's file, without a version", FirstReleaseTable() + records,
       kArchiveStoreVersion, StoreStatus::kOk},
      {"a file lacking one of today's columns", FirstReleaseTable("uv_high") + records,
       kArchiveStoreVersion, StoreStatus::kOk},
      {"a newer release's file: a column and a table more",
       FirstReleaseTable() + records +
           "ALTER TABLE archive_records ADD COLUMN future REAL;"
           "CREATE TABLE uploads (network TEXT);"
           "PRAGMA user_version=" +
           newer + ";",
       kArchiveStoreVersion + 1, StoreStatus::kNewerVersion},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    const std::string path = folder.File("archive.sqlite");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, row.sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << row.legend << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
    const std::string before = Bytes(path);
    const bool newer_file = row.open == StoreStatus::kNewerVersion;
    {
      ArchiveStore store(path);
      ASSERT_EQ(store.Open(), row.open) << row.legend << ": " << store.last_error();
      ASSERT_TRUE(store.IsOpen()) << row.legend;
      std::vector<HistoryRow> read;
      ASSERT_EQ(store.Range(0, INT64_MAX, &read), StoreStatus::kOk)
          << row.legend << ": " << store.last_error();
      ASSERT_EQ(read.size(), 3u) << row.legend;
      EXPECT_EQ(read[2].utc, t0 + 600) << row.legend;
      EXPECT_EQ(read[2].values[0], 12.5) << row.legend;
      const std::vector<HistoryRow> more = {Stored(UtcToConsoleStamp(t0 + 900))};
      int added = -1;
      EXPECT_EQ(store.Add(more, &added), newer_file ? StoreStatus::kNewerVersion : StoreStatus::kOk)
          << row.legend << ": " << store.last_error();
      EXPECT_EQ(added, newer_file ? 0 : 1) << row.legend;
      EXPECT_EQ(CountOf(store), newer_file ? 3 : 4) << row.legend;
      ASSERT_EQ(store.Latest(1, &read), StoreStatus::kOk) << row.legend;
    }
    EXPECT_EQ(UserVersion(path), row.version_after) << row.legend;
    if (newer_file) {
      EXPECT_TRUE(Bytes(path) == before) << row.legend << ": the newer file was written";
      continue;
    }
    // Opened again, migrated once: the records and the one added are there.
    ArchiveStore again(path);
    ASSERT_EQ(again.Open(), StoreStatus::kOk) << row.legend;
    std::vector<HistoryRow> read;
    ASSERT_EQ(again.Range(0, INT64_MAX, &read), StoreStatus::kOk) << row.legend;
    EXPECT_EQ(read.size(), 4u) << row.legend;
  }
}

// Makes the file unwritable even for root (the immutable flag); false
// where the file system does not have it.
bool SetImmutable(const std::string& path, bool on) {
  if (geteuid() != 0) return chmod(path.c_str(), on ? 0444 : 0644) == 0;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(fd);
  return ok;
}

void Scribble(const std::string& path, long offset, std::size_t bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(offset);
  for (std::size_t i = 0; i < bytes; ++i) file.put(static_cast<char>(0xA5 ^ (i * 7)));
}

TEST(ArchiveStore, FileTroublesKeepWhatIsStored) {
  struct Row {
    const char* legend;
    // Applied to the closed store file; returns false to skip the row here.
    std::function<bool(const std::string& path, sqlite3** holder)> fault;
    StoreOptions options;
    StoreStatus expected;
    bool set_aside;
  };
  const Row rows[] = {
      {"read-only file",
       [](const std::string& path, sqlite3**) { return SetImmutable(path, true); },
       {},
       StoreStatus::kReadOnly,
       false},
      {"another process holds an exclusive lock",
       [](const std::string& path, sqlite3** holder) {
         sqlite3_open(path.c_str(), holder);
         return sqlite3_exec(*holder,
                             "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"
                             "INSERT INTO archive_records (stamp, occurrence, utc)"
                             " VALUES (1, 0, 0);",
                             nullptr, nullptr, nullptr) == SQLITE_OK;
       },
       {.busy_timeout_ms = 50},
       StoreStatus::kBusy,
       false},
      {"garbage over the header",
       [](const std::string& path, sqlite3**) {
         Scribble(path, 0, 4096);
         return true;
       },
       {},
       StoreStatus::kCorrupt,
       true},
      {"garbage inside the file",
       [](const std::string& path, sqlite3**) {
         Scribble(path, 4096 * 3, 8192);
         return true;
       },
       {},
       StoreStatus::kCorrupt,
       true},
      {"the store's page limit reached (a full disk)",
       [](const std::string&, sqlite3**) { return true; },
       {.max_pages = 1},
       StoreStatus::kFull,
       false},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    const std::string path = folder.File("archive.sqlite");
    std::vector<HistoryRow> before;
    for (int i = 0; i < 300; ++i)
      before.push_back(Stored(UtcToConsoleStamp(1'750'000'000 + i * 300)));
    {
      ArchiveStore store(path);
      ASSERT_EQ(store.Open(), StoreStatus::kOk);
      ASSERT_EQ(store.Add(before), StoreStatus::kOk);
    }
    sqlite3* holder = nullptr;
    if (!row.fault(path, &holder)) {
      sqlite3_close(holder);
      GTEST_SKIP() << row.legend << ": not possible here";
    }
    StoreOptions options = row.options;
    if (options.max_pages == 1) {
      // As full as it is now.
      sqlite3* db = nullptr;
      sqlite3_open(path.c_str(), &db);
      sqlite3_stmt* stmt = nullptr;
      sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &stmt, nullptr);
      sqlite3_step(stmt);
      options.max_pages = sqlite3_column_int64(stmt, 0);
      sqlite3_finalize(stmt);
      sqlite3_close(db);
    }
    const std::vector<HistoryRow> more = {Stored(UtcToConsoleStamp(1'760'000'000)),
                                          Stored(UtcToConsoleStamp(1'760'000'300))};
    std::vector<HistoryRow> big;
    for (int i = 0; i < 2000; ++i)
      big.push_back(Stored(UtcToConsoleStamp(1'770'000'000 + i * 300)));
    {
      ArchiveStore store(path, options);
      StoreStatus status = store.Open();
      if (status == StoreStatus::kOk) status = store.Add(row.options.max_pages == 1 ? big : more);
      EXPECT_EQ(status, row.expected) << row.legend << ": " << store.last_error();
      if (row.set_aside) {
        // Set aside beside it; the new store takes the records.
        EXPECT_TRUE(std::filesystem::exists(store.set_aside_path())) << row.legend;
        EXPECT_EQ(store.Add(more), StoreStatus::kOk) << row.legend;
        EXPECT_EQ(CountOf(store), 2) << row.legend;
      }
    }
    // The fault lifted: everything stored before is still there.
    sqlite3_close(holder);
    SetImmutable(path, false);
    if (row.set_aside) continue;
    ArchiveStore store(path);
    ASSERT_EQ(store.Open(), StoreStatus::kOk) << row.legend;
    std::vector<HistoryRow> after;
    ASSERT_EQ(store.Range(0, INT64_MAX, &after), StoreStatus::kOk);
    ASSERT_EQ(after.size(), before.size()) << row.legend;
    EXPECT_EQ(after.back().stamp, before.back().stamp) << row.legend;
    EXPECT_EQ(store.Add(more), StoreStatus::kOk) << row.legend;
  }
}

}  // namespace
}  // namespace tv
