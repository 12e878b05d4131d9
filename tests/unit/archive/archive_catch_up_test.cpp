#include "gadget/archive/archive_catch_up.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/archive/archive_test_support.h"

namespace tv {
namespace {

using archive_test::FakeArchiveSource;
using archive_test::Series;
using archive_test::TempFolder;
using archive_test::ZoneScope;

// The catch-up with a fake console, a store in a folder of its own and a
// clock that moves when told.
struct Rig {
  TempFolder folder;
  FakeArchiveSource source;
  ManualClock clock{Clock::TimePoint{std::chrono::seconds{1'782'000'000}}};  // 2026-06-21
  ArchiveStore store{folder.File("archive.sqlite")};
  std::vector<std::string> log;
  ArchiveCatchUp catch_up{{.source = source,
                           .store = store,
                           .clock = clock,
                           .log = [this](std::string_view line) { log.emplace_back(line); },
                           .archive_period_minutes = [] { return 5; }}};

  void Turn(
      bool just_connected = false, std::function<bool()> yield = [] { return false; }) {
    catch_up.RunTurn(BackgroundTurn{.just_connected = just_connected, .should_yield = yield});
  }
  std::vector<HistoryRow> Rows() {
    std::vector<HistoryRow> rows;
    EXPECT_EQ(store.Range(INT64_MIN, INT64_MAX, &rows), StoreStatus::kOk);
    return rows;
  }
  int LinesWith(std::string_view text) const {
    int n = 0;
    for (const auto& line : log) n += line.find(text) != std::string::npos ? 1 : 0;
    return n;
  }
};

TEST(ArchiveCatchUp, StoresEveryRecordOnceWhateverTheDownloadMeets) {
  ZoneScope zone("Europe/Paris");
  struct Row {
    const char* legend;
    std::function<void(Rig&)> setup;
    int turns;  // each one the first after a connection
    int expected_rows;
    int gap_records;  // records missing inside the series (a page skipped)
    const char* log_text;
  };
  const Row rows[] = {
      {"three days off: every record of the console", [](Rig&) {}, 1, 864, 0,
       "864 enregistrements de la console conservés (du 2026-06-18 10:00 au 2026-06-21 09:55)"},
      {"link lost at page 40: resumed at the next connection",
       [](Rig& r) { r.source.cut_at_page = 40; }, 2, 864, 0, "interrompu"},
      {"a page that stays bad: skipped, the rest stored", [](Rig& r) { r.source.bad_pages = {10}; },
       1, 859, 5, "la page 11 sur 173"},
      {"two undecodable records: counted, the rest stored",
       [](Rig& r) { r.source.undecoded_first_page = 2; }, 1, 862, 2,
       "2 enregistrements illisibles ignorés"},
  };
  for (const auto& row : rows) {
    Rig rig;
    rig.source.memory = Series(202606181000, 864);
    row.setup(rig);
    for (int i = 0; i < row.turns; ++i) rig.Turn(true);
    EXPECT_TRUE(rig.catch_up.UpToDate()) << row.legend;
    const auto stored = rig.Rows();
    EXPECT_EQ(static_cast<int>(stored.size()), row.expected_rows) << row.legend;
    int gaps = 0;
    for (std::size_t i = 1; i < stored.size(); ++i) {
      gaps += static_cast<int>((stored[i].utc - stored[i - 1].utc) / 300 - 1);
    }
    EXPECT_EQ(gaps, row.gap_records) << row.legend;
    EXPECT_EQ(rig.LinesWith(row.log_text), 1) << row.legend;
    // A reconnection later finds nothing new and says nothing.
    const auto lines = rig.log.size();
    rig.Turn(true);
    EXPECT_EQ(rig.Rows().size(), stored.size()) << row.legend;
    EXPECT_EQ(rig.log.size(), lines) << row.legend;
  }
}

TEST(ArchiveCatchUp, ADownloadCutOnALinkThatStaysOpenGoesOnAtTheNextRound) {
  ZoneScope zone("Europe/Paris");
  struct Row {
    const char* legend;
    int cut_at_page;
    int failing_after_cut;  // downloads failing before their first page, after the cut
    // Downloads asked at each round of 5 s after the first, the console
    // answering the collection each time.
    std::vector<int> downloads;
  };
  const Row rows[] = {
      {"a page lost: the next round goes on", 40, 0, {2}},
      {"the console silent for a round, then answering", 40, 1, {2, 3}},
      {"a silent console asked three times, then after a minute", 40, 3, {2, 3, 4, 4, 4}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    Rig rig;
    rig.source.memory = Series(202606181000, 864);
    rig.source.cut_at_page = row.cut_at_page;
    rig.Turn(true);
    ASSERT_EQ(rig.Rows().size(), static_cast<std::size_t>(row.cut_at_page) * 5);
    rig.source.failing_downloads = row.failing_after_cut;
    for (std::size_t round = 0; round < row.downloads.size(); ++round) {
      rig.clock.Advance(std::chrono::seconds{5});
      rig.Turn();
      EXPECT_EQ(rig.source.downloads, row.downloads[round]) << "round " << round + 1;
    }
    if (!rig.catch_up.UpToDate()) {
      rig.clock.Advance(std::chrono::milliseconds{kArchiveRetryMs});
      rig.Turn();
    }
    EXPECT_TRUE(rig.catch_up.UpToDate());
    EXPECT_EQ(rig.Rows().size(), 864u);
    EXPECT_EQ(rig.LinesWith("interrompu"), 1);
  }
}

TEST(ArchiveCatchUp, RecordsSharingAStampAndAConsoleThatLostTheStamp) {
  ZoneScope zone("Europe/Paris");
  // 01:00 to 04:00 on 25 October 2026: the console's clock goes back from
  // 02:55 to 02:00, so 02:00 to 02:55 come twice.
  std::vector<ArchiveRecord> autumn = Series(202610250100, 24);
  const auto again = Series(202610250200, 12);
  autumn.insert(autumn.end(), again.begin(), again.end());
  const auto after = Series(202610250300, 12);
  autumn.insert(autumn.end(), after.begin(), after.end());

  Rig rig;
  rig.clock.Set(Clock::TimePoint{std::chrono::seconds{ConsoleStampToUtc(202610250500, 0)}});
  // Stored in two downloads, the first ending inside the first passage,
  // the second a page at a time (one ends inside the second passage: the
  // console sends again from the first passage of its stamp).
  rig.source.memory.assign(autumn.begin(), autumn.begin() + 18);  // up to 02:25
  rig.Turn(true);
  rig.source.memory = autumn;
  for (int turn = 0; turn < 50 && (turn == 0 || !rig.catch_up.UpToDate()); ++turn) {
    rig.Turn(turn == 0, [] { return true; });
  }
  auto stored = rig.Rows();
  ASSERT_EQ(stored.size(), autumn.size());
  for (std::size_t i = 1; i < stored.size(); ++i) {
    EXPECT_EQ(stored[i].utc - stored[i - 1].utc, 300) << FormatConsoleStamp(stored[i].stamp);
  }

  // A console that no longer has the newest stamp sends its whole memory:
  // what is held is not stored again.
  rig.source.memory = autumn;
  rig.source.memory.pop_back();
  const auto more = Series(202610250400, 6);
  rig.source.memory.insert(rig.source.memory.end(), more.begin(), more.end());
  rig.Turn(true);
  EXPECT_TRUE(rig.source.whole_memory.back());
  EXPECT_EQ(rig.LinesWith("toute sa mémoire est relue"), 1);
  stored = rig.Rows();
  EXPECT_EQ(stored.size(), autumn.size() + 6);
  std::set<std::pair<ConsoleStamp, int>> keys;
  for (const auto& row : stored) keys.insert({row.stamp, row.occurrence});
  EXPECT_EQ(keys.size(), stored.size());
}

TEST(ArchiveCatchUp, GivesTheThreadBackAfterEachPageAndFollowsTheConsole) {
  ZoneScope zone("Europe/Paris");
  Rig rig;
  rig.source.memory = Series(202606210000, 100);  // 20 pages
  int turns = 0;
  for (bool first = true; !rig.catch_up.UpToDate() && turns < 100; first = false, ++turns) {
    const int handed = rig.source.pages_handed;
    rig.Turn(first, [] { return true; });
    EXPECT_LE(rig.source.pages_handed - handed, 1);
  }
  EXPECT_EQ(turns, 20);
  EXPECT_EQ(rig.Rows().size(), 100u);
  EXPECT_EQ(rig.LinesWith("100 enregistrements"), 1);

  // Nothing is asked again before the next archive interval.
  const int downloads = rig.source.downloads;
  rig.Turn();
  EXPECT_EQ(rig.source.downloads, downloads);
  const auto next = Series(202606210820, 1);
  rig.source.memory.push_back(next[0]);
  rig.clock.Advance(std::chrono::minutes{5});
  rig.Turn();
  EXPECT_EQ(rig.Rows().size(), 101u);

  // A console clock a year ahead: stored, said once.
  const auto ahead = Series(202706210830, 2);
  rig.source.memory.insert(rig.source.memory.end(), ahead.begin(), ahead.end());
  rig.Turn(true);
  rig.source.memory.push_back(Series(202706210840, 1)[0]);
  rig.Turn(true);
  EXPECT_EQ(rig.Rows().size(), 104u);
  EXPECT_EQ(rig.LinesWith("en avance"), 1);
}

TEST(ArchiveCatchUp, AStoreDamagedUnderwayIsReplacedByOneWithAllTheConsoleHolds) {
  ZoneScope zone("Europe/Paris");
  Rig rig;
  rig.source.memory = Series(202606200000, 50);
  rig.Turn(true);
  ASSERT_EQ(rig.Rows().size(), 50u);
  rig.store.Close();
  {
    std::fstream file(rig.store.path(), std::ios::in | std::ios::out | std::ios::binary);
    for (int i = 0; i < 4096; ++i) file.put(static_cast<char>(0x5A ^ i));
  }
  rig.source.memory.push_back(Series(202606200410, 1)[0]);
  rig.clock.Advance(std::chrono::minutes{5});
  for (int turn = 0; turn < 3; ++turn) rig.Turn();
  EXPECT_TRUE(rig.catch_up.UpToDate());
  EXPECT_EQ(rig.LinesWith("mise de côté"), 1);
  EXPECT_EQ(rig.Rows().size(), 51u);
}

TEST(ArchiveCatchUp, AStoreInTroubleIsSaidOnceAndCollectionGoesOn) {
  ZoneScope zone("Europe/Paris");
  Rig rig;
  rig.source.memory = Series(202606200000, 50);
  rig.Turn(true);
  ASSERT_EQ(rig.Rows().size(), 50u);
  rig.store.Close();

  // Another process takes the file.
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(rig.store.path().c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder,
                         "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"
                         "DELETE FROM archive_records WHERE id < 0;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  ArchiveCatchUp fresh{{.source = rig.source,
                        .store = rig.store,
                        .clock = rig.clock,
                        .log = [&](std::string_view line) { rig.log.emplace_back(line); }}};
  rig.source.memory.push_back(Series(202606200410, 1)[0]);
  for (int i = 0; i < 3; ++i) {
    fresh.RunTurn({.just_connected = i == 0, .should_yield = [] { return false; }});
    rig.clock.Advance(std::chrono::milliseconds{kArchiveRetryMs});
  }
  EXPECT_FALSE(fresh.UpToDate());
  EXPECT_EQ(rig.LinesWith("verrouillée par un autre programme"), 1);

  // Let go: the catch-up goes on from the newest record held.
  sqlite3_close(holder);
  fresh.RunTurn({.just_connected = false, .should_yield = [] { return false; }});
  EXPECT_TRUE(fresh.UpToDate());
  EXPECT_EQ(rig.LinesWith("de nouveau accessible"), 1);
  EXPECT_EQ(rig.Rows().size(), 51u);

  // A newer release's store: said once, read, never written.
  rig.store.Close();
  ASSERT_EQ(sqlite3_open(rig.store.path().c_str(), &holder), SQLITE_OK);
  const std::string newer = "PRAGMA user_version=" + std::to_string(kArchiveStoreVersion + 1);
  ASSERT_EQ(sqlite3_exec(holder, newer.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(holder);
  rig.source.memory.push_back(Series(202606200415, 1)[0]);
  for (int i = 0; i < 3; ++i) {
    fresh.RunTurn({.just_connected = i == 0, .should_yield = [] { return false; }});
    rig.clock.Advance(std::chrono::milliseconds{kArchiveRetryMs});
  }
  EXPECT_EQ(rig.LinesWith("version plus récente"), 1);
  EXPECT_EQ(rig.LinesWith("de nouveau accessible"), 1);
  EXPECT_EQ(rig.Rows().size(), 51u);
}

}  // namespace
}  // namespace tv
