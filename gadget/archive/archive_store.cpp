#include "gadget/archive/archive_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <set>
#include <system_error>

namespace tv {
namespace {

constexpr const char* kTable = "archive_records";

std::string ColumnList() {
  std::string out = "stamp, occurrence, utc";
  for (const auto& column : ArchiveColumns()) {
    out += ", ";
    out += column.name;
  }
  return out;
}

// The records table with the columns of layout version 1; later columns are
// added by the steps that bring them.
std::string RecordsTableSql() {
  std::string sql = std::string("CREATE TABLE IF NOT EXISTS ") + kTable +
                    " (id INTEGER PRIMARY KEY, stamp INTEGER NOT NULL,"
                    " occurrence INTEGER NOT NULL, utc INTEGER NOT NULL";
  for (const auto& column : ArchiveColumns()) {
    if (column.since > 1) continue;
    sql += ", ";
    sql += column.name;
    sql += " REAL";
  }
  sql += ", UNIQUE (stamp, occurrence));";
  sql += std::string("CREATE INDEX IF NOT EXISTS archive_records_utc ON ") + kTable + " (utc);";
  return sql;
}

// One step of the store's layout: what brings a file of the version before
// to `version`. Besides its statements, a step adds the columns of the
// column table that came with its version (ArchiveColumn::since). A release
// that changes the layout appends a step and raises kArchiveStoreVersion.
struct LayoutStep {
  int version;
  std::string (*sql)();
};

constexpr LayoutStep kLayoutSteps[] = {
    // The first release's layout, which it wrote without a version: its
    // files already hold the table (the statements then do nothing).
    {1, &RecordsTableSql},
};

static_assert(std::size(kLayoutSteps) == kArchiveStoreVersion &&
                  kLayoutSteps[std::size(kLayoutSteps) - 1].version == kArchiveStoreVersion,
              "one layout step per store version, the last one this program's");

std::string InsertSql() {
  std::string sql =
      std::string("INSERT OR IGNORE INTO ") + kTable + " (" + ColumnList() + ") VALUES (?, ?, ?";
  for (std::size_t i = 0; i < kArchiveColumnCount; ++i) sql += ", ?";
  sql += ")";
  return sql;
}

StoreStatus StatusOf(int code) {
  switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return StoreStatus::kOk;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return StoreStatus::kBusy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return StoreStatus::kReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return StoreStatus::kCorrupt;
    case SQLITE_FULL:
      return StoreStatus::kFull;
    case SQLITE_CANTOPEN:
      return StoreStatus::kCannotOpen;
    default:
      return StoreStatus::kFailed;
  }
}

// Two decimals are more than the console measures; they keep the exported
// numbers short ("21.28", not "21.277778625488281").
double Rounded(double value) {
  return std::round(value * 100.0) / 100.0;
}

std::string SetAsideName(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  std::string name = path + ".endommagee-" + stamp;
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(name, ec); ++n) {
    name = path + ".endommagee-" + stamp + "-" + std::to_string(n);
  }
  return name;
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    code_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int code() const { return code_; }
  sqlite3_stmt* get() { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int code_ = SQLITE_OK;
};

// A row of a query whose result columns after the first three are the
// archive columns `columns` (all of them, in order, when it is empty).
HistoryRow ReadRow(sqlite3_stmt* stmt, std::span<const ArchiveColumnId> columns) {
  HistoryRow row;
  row.stamp = sqlite3_column_int64(stmt, 0);
  row.occurrence = sqlite3_column_int(stmt, 1);
  row.utc = sqlite3_column_int64(stmt, 2);
  const std::size_t count = columns.empty() ? kArchiveColumnCount : columns.size();
  for (std::size_t i = 0; i < count; ++i) {
    const int col = static_cast<int>(i) + 3;
    if (sqlite3_column_type(stmt, col) != SQLITE_NULL) {
      const std::size_t index = columns.empty() ? i : ColumnIndex(columns[i]);
      row.values[index] = sqlite3_column_double(stmt, col);
    }
  }
  return row;
}

}  // namespace

ArchiveStore::ArchiveStore(std::string path, StoreOptions options)
    : path_(std::move(path)), options_(options) {}

ArchiveStore::~ArchiveStore() {
  Close();
}

bool ArchiveStore::IsOpen() const {
  std::lock_guard lock(mutex_);
  return db_ != nullptr;
}

void ArchiveStore::Close() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

void ArchiveStore::CloseLocked() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
  file_version_ = 0;
  newer_ = false;
}

std::string ArchiveStore::set_aside_path() const {
  std::lock_guard lock(mutex_);
  return set_aside_;
}

std::string ArchiveStore::last_error() const {
  std::lock_guard lock(mutex_);
  return last_error_;
}

StoreStatus ArchiveStore::Fail(int code) {
  last_error_ = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
  const StoreStatus status = StatusOf(code);
  return status == StoreStatus::kOk ? StoreStatus::kFailed : status;
}

StoreStatus ArchiveStore::Open() {
  std::lock_guard lock(mutex_);
  set_aside_.clear();
  const StoreStatus status = RecoverLocked(OpenLocked());
  if (status == StoreStatus::kOk && newer_ && !options_.read_only) return RefuseWriting();
  return status;
}

StoreStatus ArchiveStore::RefuseWriting() {
  last_error_ = "version " + std::to_string(file_version_) +
                " de la base, écrite par une version plus récente du programme (celle-ci écrit "
                "la version " +
                std::to_string(kArchiveStoreVersion) + ")";
  return StoreStatus::kNewerVersion;
}

StoreStatus ArchiveStore::SetAsideLocked() {
  CloseLocked();
  const std::string aside = SetAsideName(path_);
  std::error_code ec;
  std::filesystem::rename(path_, aside, ec);
  if (ec) {
    last_error_ = ec.message();
    return StoreStatus::kCorrupt;
  }
  // The journal belongs to the damaged file: left in place, the new store
  // would replay it.
  std::filesystem::rename(path_ + "-wal", aside + "-wal", ec);
  std::filesystem::remove(path_ + "-shm", ec);
  set_aside_ = aside;
  const StoreStatus reopened = OpenLocked();
  return reopened == StoreStatus::kOk ? StoreStatus::kCorrupt : reopened;
}

StoreStatus ArchiveStore::OpenLocked() {
  CloseLocked();
  last_error_.clear();
  if (!options_.read_only) {
    std::error_code ec;
    const auto folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
      last_error_ = ec.message();
      return ec == std::errc::read_only_file_system || ec == std::errc::permission_denied
                 ? StoreStatus::kReadOnly
                 : StoreStatus::kCannotOpen;
    }
  }
  const int flags =
      options_.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  int code = sqlite3_open_v2(path_.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) {
    const StoreStatus status = Fail(code);
    CloseLocked();
    return status;
  }
  sqlite3_busy_timeout(db_, options_.busy_timeout_ms);
  const StoreStatus prepared = Prepare();
  if (prepared != StoreStatus::kOk) CloseLocked();
  return prepared;
}

StoreStatus ArchiveStore::Prepare() {
  if (!options_.read_only && sqlite3_db_readonly(db_, "main") == 1) {
    // A file opened for writing that the system refuses to write is
    // silently opened read-only by SQLite: say so at once.
    last_error_ = "attempt to write a readonly database";
    return StoreStatus::kReadOnly;
  }
  // Reading the schema reads the file's header: a file that is not a
  // database shows here.
  char* message = nullptr;
  const int code =
      sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, &message);
  if (code != SQLITE_OK) {
    last_error_ = message != nullptr ? message : sqlite3_errstr(code);
    sqlite3_free(message);
    const StoreStatus status = StatusOf(code);
    return status == StoreStatus::kOk ? StoreStatus::kFailed : status;
  }
  StoreStatus status = ReadVersion(&file_version_);
  if (status != StoreStatus::kOk) return status;
  if (file_version_ > kArchiveStoreVersion) return NewerVersionLocked();
  if (!options_.read_only) {
    std::string sql = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
    if (options_.max_pages > 0) {
      sql += "PRAGMA max_page_count=" + std::to_string(options_.max_pages) + ";";
    }
    const int set = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (set != SQLITE_OK) return Fail(set);
    status = CheckLocked();
    if (status != StoreStatus::kOk) return status;
    if (file_version_ < kArchiveStoreVersion) {
      status = MigrateLocked();
      if (status != StoreStatus::kOk) return status;
    }
  }
  return ReadColumnsLocked();
}

StoreStatus ArchiveStore::CheckLocked() {
  // Damage inside the file shows only when a query reaches it: look for
  // it once, before anything is added to a damaged store.
  Statement check(db_, "PRAGMA quick_check(1);");
  if (check.code() != SQLITE_OK) return Fail(check.code());
  const int step = sqlite3_step(check.get());
  if (step != SQLITE_ROW) return Fail(step);
  const auto* verdict = sqlite3_column_text(check.get(), 0);
  if (verdict == nullptr || std::string(reinterpret_cast<const char*>(verdict)) != "ok") {
    last_error_ = verdict != nullptr ? reinterpret_cast<const char*>(verdict) : "quick_check";
    return StoreStatus::kCorrupt;
  }
  // The journal mode must be WAL.
  Statement mode(db_, "PRAGMA journal_mode;");
  if (mode.code() != SQLITE_OK) return Fail(mode.code());
  if (sqlite3_step(mode.get()) != SQLITE_ROW) return Fail(sqlite3_errcode(db_));
  const auto* text = sqlite3_column_text(mode.get(), 0);
  if (text == nullptr || std::string(reinterpret_cast<const char*>(text)) != "wal") {
    last_error_ = "the WAL journal could not be set";
    return StoreStatus::kReadOnly;
  }
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::ReadVersion(int* version) {
  Statement read(db_, "PRAGMA user_version;");
  if (read.code() != SQLITE_OK) return Fail(read.code());
  const int step = sqlite3_step(read.get());
  if (step != SQLITE_ROW) return Fail(step);
  *version = sqlite3_column_int(read.get(), 0);
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::MigrateLocked() {
  int code = sqlite3_exec(db_, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) return Fail(code);
  const auto rollback = [this](StoreStatus status) {
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
    return status;
  };
  // Read again under the write lock: another process may have migrated the
  // file in between.
  StoreStatus status = ReadVersion(&file_version_);
  if (status != StoreStatus::kOk) return rollback(status);
  if (file_version_ > kArchiveStoreVersion) {
    rollback(StoreStatus::kOk);
    return NewerVersionLocked();
  }
  for (const LayoutStep& step : kLayoutSteps) {
    if (step.version <= file_version_) continue;
    code = sqlite3_exec(db_, step.sql().c_str(), nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return rollback(Fail(code));
    // The columns of this version and before that the file lacks.
    std::set<std::string> present;
    status = PresentColumns(&present);
    if (status != StoreStatus::kOk) return rollback(status);
    for (const auto& column : ArchiveColumns()) {
      if (column.since > step.version || present.count(std::string(column.name)) != 0) continue;
      const std::string add = std::string("ALTER TABLE ") + kTable + " ADD COLUMN " +
                              std::string(column.name) + " REAL;";
      code = sqlite3_exec(db_, add.c_str(), nullptr, nullptr, nullptr);
      if (code != SQLITE_OK) return rollback(Fail(code));
    }
  }
  const std::string version = "PRAGMA user_version=" + std::to_string(kArchiveStoreVersion) + ";";
  code = sqlite3_exec(db_, version.c_str(), nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) code = sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) return rollback(Fail(code));
  file_version_ = kArchiveStoreVersion;
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::PresentColumns(std::set<std::string>* present) {
  Statement info(db_, std::string("PRAGMA table_info(") + kTable + ");");
  if (info.code() != SQLITE_OK) return Fail(info.code());
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(info.get())) == SQLITE_ROW) {
    present->insert(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
  }
  return code == SQLITE_DONE ? StoreStatus::kOk : Fail(code);
}

StoreStatus ArchiveStore::ReadColumnsLocked() {
  std::set<std::string> present;
  const StoreStatus status = PresentColumns(&present);
  if (status != StoreStatus::kOk) return status;
  // No table yet (a new file read without writing): the query says so.
  column_selects_.clear();
  for (const auto& column : ArchiveColumns()) {
    const std::string name(column.name);
    column_selects_.push_back(present.empty() || present.count(name) != 0 ? name
                                                                          : "NULL AS " + name);
  }
  if (present.empty()) {
    select_list_ = ColumnList();
    return StoreStatus::kOk;
  }
  select_list_ = "stamp, occurrence, utc";
  for (const auto& part : column_selects_) select_list_ += ", " + part;
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::NewerVersionLocked() {
  newer_ = true;
  const int version = file_version_;
  if (!options_.read_only) {
    // Open again for reading only, so that nothing of it can change: not
    // even its journal's checkpoint when the connection closes.
    CloseLocked();
    const int code =
        sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) return Fail(code);
    sqlite3_busy_timeout(db_, options_.busy_timeout_ms);
    newer_ = true;
    file_version_ = version;
  }
  return ReadColumnsLocked();
}

StoreStatus ArchiveStore::Add(std::span<const HistoryRow> rows, int* added) {
  std::lock_guard lock(mutex_);
  if (added != nullptr) *added = 0;
  StoreStatus status = EnsureOpenLocked();
  if (status == StoreStatus::kOk) status = AddLocked(rows, added);
  if (status != StoreStatus::kCorrupt) return status;
  // The damaged file is set aside and the batch goes into the new store.
  status = RecoverLocked(status);
  if (db_ == nullptr) return status;
  const StoreStatus stored = AddLocked(rows, added);
  return stored == StoreStatus::kOk ? StoreStatus::kCorrupt : stored;
}

StoreStatus ArchiveStore::EnsureOpenLocked() {
  return db_ != nullptr ? StoreStatus::kOk : OpenLocked();
}

StoreStatus ArchiveStore::RecoverLocked(StoreStatus status) {
  if (status != StoreStatus::kCorrupt || options_.read_only) return status;
  return SetAsideLocked();
}

StoreStatus ArchiveStore::AddLocked(std::span<const HistoryRow> rows, int* added) {
  if (newer_) return RefuseWriting();
  int code = sqlite3_exec(db_, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) return Fail(code);
  int count = 0;
  {
    Statement insert(db_, InsertSql());
    code = insert.code();
    for (const auto& row : rows) {
      if (code != SQLITE_OK) break;
      sqlite3_stmt* stmt = insert.get();
      sqlite3_bind_int64(stmt, 1, row.stamp);
      sqlite3_bind_int(stmt, 2, row.occurrence);
      sqlite3_bind_int64(stmt, 3, row.utc);
      for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
        const int param = static_cast<int>(i) + 4;
        if (row.values[i] && std::isfinite(*row.values[i])) {
          sqlite3_bind_double(stmt, param, Rounded(*row.values[i]));
        } else {
          sqlite3_bind_null(stmt, param);
        }
      }
      const int step = sqlite3_step(stmt);
      if (step != SQLITE_DONE) {
        code = step;
        break;
      }
      count += sqlite3_changes(db_);
      sqlite3_reset(stmt);
    }
  }
  if (code == SQLITE_OK) code = sqlite3_exec(db_, "COMMIT;", nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) {
    const StoreStatus status = Fail(code);
    if (sqlite3_get_autocommit(db_) == 0) {
      sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
    }
    return status;
  }
  if (added != nullptr) *added = count;
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::Select(const std::string& where, std::int64_t a, std::int64_t b,
                                 std::vector<HistoryRow>* rows,
                                 std::span<const ArchiveColumnId> columns) {
  std::lock_guard lock(mutex_);
  rows->clear();
  const StoreStatus opened = EnsureOpenLocked();
  if (opened != StoreStatus::kOk) return RecoverLocked(opened);
  std::string list = select_list_;
  if (!columns.empty()) {
    list = "stamp, occurrence, utc";
    for (const ArchiveColumnId id : columns) {
      const std::size_t index = ColumnIndex(id);
      list += ", ";
      list += index < column_selects_.size() ? column_selects_[index]
                                             : std::string(ArchiveColumns()[index].name);
    }
  }
  Statement select(db_, "SELECT " + list + " FROM " + kTable + " " + where);
  if (select.code() != SQLITE_OK) return RecoverLocked(Fail(select.code()));
  sqlite3_bind_int64(select.get(), 1, a);
  sqlite3_bind_int64(select.get(), 2, b);
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(select.get())) == SQLITE_ROW)
    rows->push_back(ReadRow(select.get(), columns));
  if (code != SQLITE_DONE) {
    rows->clear();
    return RecoverLocked(Fail(code));
  }
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::Latest(int count, std::vector<HistoryRow>* rows) {
  const StoreStatus status =
      Select("WHERE ?1 = ?1 ORDER BY id DESC LIMIT ?2", 0, std::max(count, 0), rows);
  std::reverse(rows->begin(), rows->end());
  return status;
}

StoreStatus ArchiveStore::Range(std::int64_t from_utc, std::int64_t to_utc,
                                std::vector<HistoryRow>* rows) {
  return Select("WHERE utc BETWEEN ?1 AND ?2 ORDER BY utc, id", from_utc, to_utc, rows);
}

StoreStatus ArchiveStore::Range(std::int64_t from_utc, std::int64_t to_utc,
                                std::span<const ArchiveColumnId> columns,
                                std::vector<HistoryRow>* rows) {
  return Select("WHERE utc BETWEEN ?1 AND ?2 ORDER BY utc, id", from_utc, to_utc, rows, columns);
}

StoreStatus ArchiveStore::Span(std::int64_t* oldest_utc, std::int64_t* newest_utc, bool* empty) {
  std::lock_guard lock(mutex_);
  *oldest_utc = *newest_utc = 0;
  *empty = true;
  const StoreStatus opened = EnsureOpenLocked();
  if (opened != StoreStatus::kOk) return RecoverLocked(opened);
  Statement select(db_, std::string("SELECT min(utc), max(utc) FROM ") + kTable);
  if (select.code() != SQLITE_OK) return RecoverLocked(Fail(select.code()));
  const int code = sqlite3_step(select.get());
  if (code != SQLITE_ROW) return RecoverLocked(Fail(code));
  if (sqlite3_column_type(select.get(), 0) == SQLITE_NULL) return StoreStatus::kOk;
  *empty = false;
  *oldest_utc = sqlite3_column_int64(select.get(), 0);
  *newest_utc = sqlite3_column_int64(select.get(), 1);
  return StoreStatus::kOk;
}

StoreStatus ArchiveStore::Count(std::int64_t* count) {
  std::lock_guard lock(mutex_);
  *count = 0;
  const StoreStatus opened = EnsureOpenLocked();
  if (opened != StoreStatus::kOk) return RecoverLocked(opened);
  Statement select(db_, std::string("SELECT count(*) FROM ") + kTable);
  if (select.code() != SQLITE_OK) return RecoverLocked(Fail(select.code()));
  const int code = sqlite3_step(select.get());
  if (code != SQLITE_ROW) return RecoverLocked(Fail(code));
  *count = sqlite3_column_int64(select.get(), 0);
  return StoreStatus::kOk;
}

}  // namespace tv
