#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gadget/archive/archive_source.h"
#include "gadget/archive/archive_store.h"
#include "gadget/engine/collection_engine.h"
#include "lib/common/clock.h"

namespace tv {

// Records of the console's memory order remembered to number the records
// that share a stamp (the repeated autumn hour): more than the console's
// whole memory of 2560.
inline constexpr int kStampContextRecords = 3000;
// Longest part of a turn spent downloading, in steady milliseconds: the
// engine closes the link after a cycle of more than 3 s, and a catch-up
// that kept the thread longer would make the link come and go in the window.
inline constexpr long long kTurnBudgetMs = 2000;
// Wait (steady time) before a store or download that failed is tried again, when no
// reconnection comes first.
inline constexpr long long kArchiveRetryMs = 60'000;
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

// Keeps the store level with the console's archive. Each turn on the
// collection thread, when a download is owed (at start, after each
// reconnection, once per archive interval, and until one completes), it asks
// for the records after the newest one held and stores each page in one
// transaction before the page is acknowledged, ending its turn after the
// first page that brought something new once the engine asks for the thread
// back (or after kTurnBudgetMs); the next turn goes on from the last record
// stored. Store and download troubles are
// logged once per change of state and never stop the collection.
class ArchiveCatchUp {
 public:
  explicit ArchiveCatchUp(ArchiveCatchUpParts parts);

  // The background work of one connected cycle. Never throws.
  void RunTurn(const BackgroundTurn& turn);

  // True when the last download ran to the end of the console's memory and
  // nothing is owed until the next interval or reconnection.
  bool UpToDate() const { return !pending_; }

 private:
  bool EnsureStore();
  void Download(const BackgroundTurn& turn);
  bool StorePage(const ArchivePage& page);
  void Finish();
  void StoreTrouble(StoreStatus status);
  void StoreFine();
  void Remember(ConsoleStamp stamp);
  void ForgetContext();
  void RewindContextTo(ConsoleStamp stamp);

  ArchiveCatchUpParts parts_;
  bool store_ready_ = false;
  bool pending_ = true;
  bool announce_ = true;
  long long next_try_ms_ = 0;
  long long next_interval_ms_ = 0;
  std::optional<ConsoleStamp> newest_;
  std::deque<ConsoleStamp> recent_;
  std::map<ConsoleStamp, int> recent_counts_;
  std::optional<StoreStatus> store_fault_;
  int last_download_code_ = kResultOk;
  // What the download owed so far brought, over its turns.
  long long added_ = 0;
  ConsoleStamp first_added_ = 0;
  ConsoleStamp last_added_ = 0;
  long long undecoded_ = 0;
  bool future_seen_ = false;
  bool future_logged_ = false;
  int page_added_ = 0;  // records the last page added
};

}  // namespace tv
