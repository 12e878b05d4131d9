#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "gadget/archive/archive_source.h"
#include "gadget/archive/archive_store.h"
#include "gadget/engine/collection_engine.h"
#include "lib/common/clock.h"
#include "lib/station/result_codes.h"

namespace tv {

// Records of the console's memory order remembered to number the records
// that share a stamp (the repeated autumn hour): more than the console's
// whole memory of 2560.
inline constexpr int kStampContextRecords = 3000;
// Longest part of a turn spent downloading, in steady milliseconds: the
// engine closes the link after a cycle of more than 3 s, and a catch-up
// that kept the thread longer would make the link come and go in the window.
inline constexpr long long kTurnBudgetMs = 2000;
// Wait (steady time) before a store that failed is opened or written again,
// when no reconnection comes first. A download that failed is tried again at
// the next turn (the engine gives none after a cycle whose services all
// failed: the link is opened afresh), unless kQuickDownloadRetries in a row
// failed before handing over a page: the next one waits this long too.
inline constexpr long long kArchiveRetryMs = 60'000;
inline constexpr int kQuickDownloadRetries = 3;
// A record stamped this much later than the computer's clock says that the
// console's clock is ahead.
inline constexpr long long kFutureStampSeconds = 600;

struct ArchiveCatchUpParts {
  ArchiveSource& source;
  ArchiveStore& store;
  Clock& clock;
  // One line of the activity log.
  std::function<void(std::string_view)> log;
  // The console's archive interval in minutes; 0 when not known yet.
  std::function<int()> archive_period_minutes = {};
};

namespace catch_up {

// The records of the console's memory order last stored, to number the
// ones that share a stamp, and the newest one, to download after it.
class StampContext {
 public:
  void Remember(ConsoleStamp stamp);
  // Memory order is lost (the console sends its whole memory again); the
  // newest record stays.
  void Forget();
  void RewindTo(ConsoleStamp stamp);
  // How many records carrying `stamp` are remembered.
  int Occurrences(ConsoleStamp stamp) const;
  const std::optional<ConsoleStamp>& newest() const { return newest_; }

 private:
  std::optional<ConsoleStamp> newest_;
  std::deque<ConsoleStamp> recent_;
  std::map<ConsoleStamp, int> counts_;
};

// What the download owed so far brought, over its turns.
struct Tally {
  long long added = 0;
  ConsoleStamp first_added = 0;
  ConsoleStamp last_added = 0;
  long long undecoded = 0;
  // A record stamped later than the computer's clock allows came.
  bool console_ahead = false;
};

// Why a download is owed. After a start or a reconnection the log says
// what it brought; the download of each archive interval is quiet.
enum class Cause { kConnection, kInterval };

// A download is owed: it goes on turn after turn until it has run to the
// end of the console's memory.
struct Owed {
  Cause cause = Cause::kConnection;
  // Steady milliseconds before which nothing is tried (after a store
  // failure, or downloads that kept failing); 0: at the next turn.
  long long not_before_ms = 0;
  // Downloads in a row that failed before handing over a page.
  int fruitless_failures = 0;
  Tally tally;
};

// Level with the console: nothing is owed until the next archive interval
// or reconnection.
struct Level {
  long long next_interval_ms = 0;
};

// What became of a page handed to the store, and the records it added.
struct PageStored {
  enum class Outcome {
    kStored,
    kStoreFailed,
    // The store was found damaged, set aside and a new one started: the
    // page is in the new one.
    kStoreReplaced,
  };
  Outcome outcome = Outcome::kStored;
  int added = 0;
};

// What the log last said of each trouble, so that each is said once per
// change.
struct Said {
  std::optional<StoreStatus> store_trouble;
  int download_failure = kResultOk;
  bool console_ahead = false;
};

}  // namespace catch_up

// Keeps the store level with the console's archive. Each turn on the
// collection thread, when a download is owed (at start, after each
// reconnection, once per archive interval, and until one completes), it asks
// for the records after the newest one held and stores each page in one
// transaction before the page is acknowledged, ending its turn after the
// first page that brought something new once the engine asks for the thread
// back (or after kTurnBudgetMs); the next turn goes on from the last record
// stored, a cut download too. Store and download troubles are logged once
// per change of state and never stop the collection.
class ArchiveCatchUp {
 public:
  explicit ArchiveCatchUp(ArchiveCatchUpParts parts);

  // The background work of one connected cycle. Never throws.
  void RunTurn(const BackgroundTurn& turn);

  // True when the last download ran to the end of the console's memory and
  // nothing is owed until the next interval or reconnection.
  bool UpToDate() const { return std::holds_alternative<Level>(state_); }

 private:
  using Cause = catch_up::Cause;
  using Owed = catch_up::Owed;
  using Level = catch_up::Level;
  using Tally = catch_up::Tally;
  using PageStored = catch_up::PageStored;

  // True once the store is open and its newest records read into the
  // context (a store that failed is opened afresh).
  bool EnsureStore();
  void Download(const BackgroundTurn& turn, Owed& owed);
  PageStored StorePage(const ArchivePage& page, Tally& tally);
  // The download ran to the end: what it brought is said, Level follows.
  void Finish(const Owed& owed);
  void StoreTrouble(StoreStatus status);
  // The store was set aside and a new one started.
  void StoreReplaced();
  void StoreFine();

  ArchiveCatchUpParts parts_;
  std::variant<Owed, Level> state_{Owed{}};
  bool store_open_ = false;
  catch_up::StampContext context_;
  catch_up::Said said_;
};

}  // namespace tv
