#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "gadget/archive/archive_columns.h"
#include "gadget/archive/console_stamp.h"

struct sqlite3;

namespace tv {

// One stored archive record. The key is (stamp, occurrence): the console's
// own stamp, and how many records with the same stamp came just before it in
// the console's memory order (1 for the second passage of the repeated
// autumn hour, 0 otherwise). `utc` is the stamp read in the computer's time
// zone, that occurrence deciding the repeated hour.
struct HistoryRow {
  ConsoleStamp stamp = 0;
  int occurrence = 0;
  std::int64_t utc = 0;
  ArchiveValues values;
};

// What a store operation came to, from SQLite's result codes.
enum class StoreStatus {
  kOk,
  kBusy,        // another process holds the file (SQLITE_BUSY, SQLITE_LOCKED)
  kReadOnly,    // the file or its folder cannot be written (SQLITE_READONLY)
  kCorrupt,     // not a database, or a damaged one (SQLITE_CORRUPT, SQLITE_NOTADB)
  kFull,        // the disk or the store's page limit is full (SQLITE_FULL)
  kCannotOpen,  // the file cannot be opened or made (SQLITE_CANTOPEN, a folder missing)
  kFailed,      // anything else
  // The file's layout comes from a newer release: it is read, never written.
  kNewerVersion,
};

// The layout of the store's file this program writes (its PRAGMA
// user_version). The first release wrote the same layout without a version
// (0); each later change of the layout takes the next number and a step of
// the migration made at open.
inline constexpr int kArchiveStoreVersion = 1;

struct StoreOptions {
  // Milliseconds a write waits for another process's lock before kBusy.
  int busy_timeout_ms = 200;
  // The most database pages the file may grow to (0: no limit).
  long long max_pages = 0;
  // Open without writing (the history export): nothing is created.
  bool read_only = false;
};

// The console's archive in one SQLite file (WAL journal). Every member may be
// called from any thread; one connection, behind a mutex.
class ArchiveStore {
 public:
  explicit ArchiveStore(std::string path, StoreOptions options = {});
  ~ArchiveStore();
  ArchiveStore(const ArchiveStore&) = delete;
  ArchiveStore& operator=(const ArchiveStore&) = delete;

  // Opens the file, making it (and its folder) when missing. A file that is
  // not a database or is damaged is set aside under a new name (with its
  // journal) and a new store started: kCorrupt is then returned once, with
  // the store open, and set_aside_path() names the old file. A file of an
  // older layout is brought to this one, in one transaction, its records
  // kept. A file of a newer release's layout is opened for reading only:
  // kNewerVersion, with the store open (Range, Latest and Count read it,
  // Add refuses with kNewerVersion); read-only options open it as kOk.
  StoreStatus Open();
  bool IsOpen() const;
  void Close();

  // Adds the rows in one transaction; a row whose key is already stored is
  // skipped. `added` receives how many were new. On any failure nothing of
  // the batch is kept. A damaged file found here is set aside as in Open
  // and the batch goes into the new store.
  StoreStatus Add(std::span<const HistoryRow> rows, int* added = nullptr);

  // The last `count` rows in the order they were added (the console's
  // memory order), oldest first.
  StoreStatus Latest(int count, std::vector<HistoryRow>* rows);
  // The rows whose UTC second lies in [from_utc, to_utc], by UTC time, then
  // in the order they were added.
  StoreStatus Range(std::int64_t from_utc, std::int64_t to_utc, std::vector<HistoryRow>* rows);
  // The same rows with only `columns` read (the others left empty; every
  // column when it is empty): a long period read for a few values reads a
  // fraction of each record.
  StoreStatus Range(std::int64_t from_utc, std::int64_t to_utc,
                    std::span<const ArchiveColumnId> columns, std::vector<HistoryRow>* rows);
  StoreStatus Count(std::int64_t* count);
  // The UTC seconds of the oldest and newest rows; `*empty` when there is none.
  StoreStatus Span(std::int64_t* oldest_utc, std::int64_t* newest_utc, bool* empty);

  const std::string& path() const { return path_; }
  std::string set_aside_path() const;
  // SQLite's message of the last failure.
  std::string last_error() const;

 private:
  StoreStatus OpenLocked();
  StoreStatus EnsureOpenLocked();
  // A kCorrupt status sets the damaged file aside and opens a new store.
  StoreStatus RecoverLocked(StoreStatus status);
  StoreStatus Prepare();
  StoreStatus Fail(int code);
  StoreStatus SetAsideLocked();
  void CloseLocked();
  StoreStatus AddLocked(std::span<const HistoryRow> rows, int* added);
  // The rows of "SELECT <columns> FROM <table> `where`", ?1 = a, ?2 = b;
  // every column, or only `columns` when it is given.
  StoreStatus Select(const std::string& where, std::int64_t a, std::int64_t b,
                     std::vector<HistoryRow>* rows, std::span<const ArchiveColumnId> columns = {});
  StoreStatus ReadVersion(int* version);
  // The file's integrity and its WAL journal.
  StoreStatus CheckLocked();
  StoreStatus MigrateLocked();
  StoreStatus ReadColumnsLocked();
  StoreStatus PresentColumns(std::set<std::string>* present);
  StoreStatus NewerVersionLocked();
  StoreStatus RefuseWriting();

  const std::string path_;
  const StoreOptions options_;
  mutable std::mutex mutex_;
  sqlite3* db_ = nullptr;
  std::string set_aside_;
  std::string last_error_;
  // The file's layout version, and whether it is a newer release's.
  int file_version_ = 0;
  bool newer_ = false;
  // What a query selects: the stored columns in ArchiveColumns() order, a
  // column the file does not have (an older file read without being
  // migrated) read as NULL.
  std::string select_list_;
  // Each column's part of that list, in ArchiveColumns() order.
  std::vector<std::string> column_selects_;
};

// The store's file name inside its folder.
inline constexpr const char* kArchiveFileName = "archive.sqlite";

}  // namespace tv
