#include "gadget/archive/archive_catch_up.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "gadget/archive/archive_columns.h"
#include "lib/station/result_codes.h"

namespace tv {
namespace {

constexpr int kDefaultPeriodMinutes = 5;

const char* kLater = "la collecte continue, l'archive sera complétée plus tard";

std::string StoreTroubleText(StoreStatus status, const ArchiveStore& store) {
  const std::string where = "la base d'archive " + store.path();
  switch (status) {
    case StoreStatus::kBusy:
      return "[Archive] : " + where + " est verrouillée par un autre programme ; " + kLater;
    case StoreStatus::kReadOnly:
      return "[Archive] : " + where + " est en lecture seule ; " + kLater;
    case StoreStatus::kFull:
      return "[Archive] : le disque de " + where + " est plein ; " + kLater;
    case StoreStatus::kNewerVersion:
      return "[Archive] : " + where +
             " vient d'une version plus récente du programme ; elle est lue sans être "
             "modifiée et les nouveaux enregistrements de la console n'y sont pas ajoutés";
    case StoreStatus::kCorrupt:
      return "[Archive] : " + where + " est endommagée et ne peut être mise de côté (" +
             store.last_error() + ") ; " + kLater;
    default:
      return "[Archive] : impossible d'ouvrir " + where + " (" + store.last_error() + ") ; " +
             kLater;
  }
}

}  // namespace

ArchiveCatchUp::ArchiveCatchUp(ArchiveCatchUpParts parts) : parts_(std::move(parts)) {}

void ArchiveCatchUp::RunTurn(const BackgroundTurn& turn) {
  try {
    const long long now = parts_.clock.SteadyMillis();
    if (turn.just_connected) {
      // Whatever happened while the link was down: go and look.
      pending_ = true;
      announce_ = true;
      next_try_ms_ = 0;
    }
    if (!pending_ && now >= next_interval_ms_) pending_ = true;
    if (!pending_ || now < next_try_ms_) return;
    if (!EnsureStore()) {
      next_try_ms_ = now + kArchiveRetryMs;
      return;
    }
    Download(turn);
  } catch (const std::exception&) {
    // Out of memory at worst: the next turn tries again.
    next_try_ms_ = parts_.clock.SteadyMillis() + kArchiveRetryMs;
  }
}

bool ArchiveCatchUp::EnsureStore() {
  if (store_ready_) return true;
  const StoreStatus opened = parts_.store.Open();
  if (opened == StoreStatus::kCorrupt && parts_.store.IsOpen()) {
    parts_.log("[Archive] : la base d'archive " + parts_.store.path() +
               " était endommagée ; elle est mise de côté sous " + parts_.store.set_aside_path() +
               " et une nouvelle est commencée");
  } else if (opened != StoreStatus::kOk) {
    StoreTrouble(opened);
    return false;
  }
  std::vector<HistoryRow> latest;
  const StoreStatus read = parts_.store.Latest(kStampContextRecords, &latest);
  if (read != StoreStatus::kOk) {
    StoreTrouble(read);
    return false;
  }
  StoreFine();
  ForgetContext();
  for (const auto& row : latest) Remember(row.stamp);
  if (!latest.empty()) newest_ = latest.back().stamp;
  store_ready_ = true;
  return true;
}

void ArchiveCatchUp::Download(const BackgroundTurn& turn) {
  StationDateTime after_time;
  const StationDateTime* after = nullptr;
  if (newest_) {
    after_time = UnpackConsoleStamp(*newest_);
    after = &after_time;
    RewindContextTo(*newest_);
  }
  const long long turn_start = parts_.clock.SteadyMillis();
  bool first_page = true;
  bool yielded = false;
  bool store_failed = false;
  const int code = parts_.source.Download(after, [&](const ArchivePage& page) {
    if (first_page && page.WholeMemory != 0) {
      // The console starts again from its oldest record: the records
      // before it in memory order are not the ones last stored.
      if (after != nullptr) {
        parts_.log("[Archive] : la console n'a pas retrouvé son enregistrement du " +
                   FormatConsoleStamp(*newest_) +
                   " ; toute sa mémoire est relue, les enregistrements déjà conservés sont "
                   "ignorés");
      }
      ForgetContext();
    }
    first_page = false;
    if (!StorePage(page)) {
      store_failed = true;
      return false;
    }
    // After the last page announced the download is done anyway. A page
    // that brought only records already held (the console sending again
    // from the first passage of a repeated stamp, or its whole memory) does
    // not end the turn: asked again, it would come again.
    const bool more = page.Index + 1 < page.Pages;
    const bool moved_on = page_added_ > 0 || page.Status != kResultOk;
    if (more && ((moved_on && turn.should_yield && turn.should_yield()) ||
                 parts_.clock.SteadyMillis() - turn_start >= kTurnBudgetMs)) {
      yielded = true;
      return false;
    }
    return true;
  });
  const long long now = parts_.clock.SteadyMillis();
  if (store_failed) {
    next_try_ms_ = now + kArchiveRetryMs;
    return;
  }
  if (code != kResultOk) {
    if (code != last_download_code_) {
      parts_.log("[Archive] : téléchargement de l'archive de la console interrompu (" +
                 ResultCodeText(code) +
                 ") ; il reprendra après le dernier enregistrement conservé");
    }
    last_download_code_ = code;
    next_try_ms_ = now + kArchiveRetryMs;
    return;
  }
  last_download_code_ = kResultOk;
  if (!yielded) Finish();
}

bool ArchiveCatchUp::StorePage(const ArchivePage& page) {
  page_added_ = 0;
  undecoded_ += std::max(page.Undecoded, 0);
  if (page.Status != kResultOk) {
    parts_.log("[Archive] : la page " + std::to_string(page.Index + 1) + " sur " +
               std::to_string(page.Pages) +
               " de l'archive reste illisible après plusieurs essais ; ses enregistrements sont "
               "ignorés");
    return true;
  }
  const int count = std::clamp(page.Count, 0, 5);
  std::vector<HistoryRow> rows;
  rows.reserve(static_cast<std::size_t>(count));
  // Occurrences are counted on a copy: the context moves on only once the
  // page is stored.
  std::map<ConsoleStamp, int> in_page;
  const long long now_s = parts_.clock.NowSeconds();
  for (int i = 0; i < count; ++i) {
    const ArchiveRecord& record = page.Records[i];
    const auto stamp = PackConsoleStamp(record.Stamp);
    if (!stamp) {
      ++undecoded_;
      continue;
    }
    HistoryRow row;
    row.stamp = *stamp;
    const auto seen = recent_counts_.find(*stamp);
    row.occurrence = (seen == recent_counts_.end() ? 0 : seen->second) + in_page[*stamp]++;
    row.utc = ConsoleStampToUtc(row.stamp, row.occurrence);
    row.values = ConvertArchiveRecord(record);
    if (row.utc > now_s + kFutureStampSeconds && !future_seen_) {
      future_seen_ = true;
      if (!future_logged_) {
        parts_.log(
            "[Archive] : l'horloge de la console est en avance : un enregistrement est "
            "daté du " +
            FormatConsoleStamp(row.stamp) +
            " ; il est conservé tel quel, réglez l'horloge "
            "de la console");
        future_logged_ = true;
      }
    }
    rows.push_back(row);
  }
  int added = 0;
  const StoreStatus status = parts_.store.Add(rows, &added);
  if (status == StoreStatus::kCorrupt && parts_.store.IsOpen()) {
    parts_.log("[Archive] : la base d'archive " + parts_.store.path() +
               " était endommagée ; elle est mise de côté sous " + parts_.store.set_aside_path() +
               " et une nouvelle est commencée");
  } else if (status != StoreStatus::kOk) {
    StoreTrouble(status);
    return false;
  } else {
    StoreFine();
  }
  for (const auto& row : rows) {
    Remember(row.stamp);
    newest_ = row.stamp;
  }
  page_added_ = added;
  if (added > 0) {
    if (added_ == 0) first_added_ = rows.front().stamp;
    last_added_ = rows.back().stamp;
    added_ += added;
  }
  return true;
}

void ArchiveCatchUp::Finish() {
  if (announce_ && added_ > 0) {
    parts_.log("[Archive] : " + std::to_string(added_) +
               (added_ == 1 ? " enregistrement de la console conservé (du "
                            : " enregistrements de la console conservés (du ") +
               FormatConsoleStamp(first_added_) + " au " + FormatConsoleStamp(last_added_) + ")");
  }
  if (undecoded_ > 0) {
    parts_.log("[Archive] : " + std::to_string(undecoded_) +
               (undecoded_ == 1 ? " enregistrement illisible ignoré"
                                : " enregistrements illisibles ignorés"));
  }
  if (!future_seen_) future_logged_ = false;
  future_seen_ = false;
  added_ = 0;
  undecoded_ = 0;
  pending_ = false;
  announce_ = false;
  int period = parts_.archive_period_minutes ? parts_.archive_period_minutes() : 0;
  if (period <= 0) period = kDefaultPeriodMinutes;
  next_interval_ms_ = parts_.clock.SteadyMillis() + static_cast<long long>(period) * 60'000;
}

void ArchiveCatchUp::StoreTrouble(StoreStatus status) {
  // A store that failed is opened afresh next time.
  if (status != StoreStatus::kBusy) store_ready_ = false;
  if (store_fault_ == status) return;
  store_fault_ = status;
  parts_.log(StoreTroubleText(status, parts_.store));
}

void ArchiveCatchUp::StoreFine() {
  if (!store_fault_) return;
  store_fault_.reset();
  parts_.log("[Archive] : la base d'archive " + parts_.store.path() + " est de nouveau accessible");
}

void ArchiveCatchUp::Remember(ConsoleStamp stamp) {
  recent_.push_back(stamp);
  ++recent_counts_[stamp];
  if (static_cast<int>(recent_.size()) <= kStampContextRecords) return;
  const ConsoleStamp oldest = recent_.front();
  recent_.pop_front();
  if (--recent_counts_[oldest] == 0) recent_counts_.erase(oldest);
}

// The console sends the records after the first one in its memory that
// carries the stamp asked for. When that stamp came more than once (the
// repeated hour), the records after its first passage come again: the
// numbering goes on from there, so that they get the keys they have.
void ArchiveCatchUp::RewindContextTo(ConsoleStamp stamp) {
  const auto first = std::find(recent_.begin(), recent_.end(), stamp);
  if (first == recent_.end()) return;
  for (auto it = first + 1; it != recent_.end(); ++it) {
    if (--recent_counts_[*it] == 0) recent_counts_.erase(*it);
  }
  recent_.erase(first + 1, recent_.end());
}

void ArchiveCatchUp::ForgetContext() {
  recent_.clear();
  recent_counts_.clear();
}

}  // namespace tv
