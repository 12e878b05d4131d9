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
      // Whatever happened while the link was down: go and look. A download
      // under way goes on, with what it brought so far.
      Owed* owed = std::get_if<Owed>(&state_);
      if (owed == nullptr) owed = &state_.emplace<Owed>();
      owed->cause = Cause::kConnection;
      owed->not_before_ms = 0;
      owed->fruitless_failures = 0;
    }
    if (const auto* level = std::get_if<Level>(&state_)) {
      if (now < level->next_interval_ms) return;
      state_.emplace<Owed>().cause = Cause::kInterval;
    }
    Owed& owed = std::get<Owed>(state_);
    if (now < owed.not_before_ms) return;
    if (!EnsureStore()) {
      owed.not_before_ms = now + kArchiveRetryMs;
      return;
    }
    Download(turn, owed);
  } catch (const std::exception&) {
    // Out of memory at worst: the next turn tries again.
    if (auto* owed = std::get_if<Owed>(&state_)) {
      owed->not_before_ms = parts_.clock.SteadyMillis() + kArchiveRetryMs;
    }
  }
}

bool ArchiveCatchUp::EnsureStore() {
  if (store_open_) return true;
  const StoreStatus opened = parts_.store.Open();
  if (opened == StoreStatus::kCorrupt && parts_.store.IsOpen()) {
    StoreReplaced();
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
  context_.Forget();
  for (const auto& row : latest) context_.Remember(row.stamp);
  store_open_ = true;
  return true;
}

void ArchiveCatchUp::Download(const BackgroundTurn& turn, Owed& owed) {
  StationDateTime after_time;
  const StationDateTime* after = nullptr;
  const std::optional<ConsoleStamp> newest = context_.newest();
  if (newest) {
    after_time = UnpackConsoleStamp(*newest);
    after = &after_time;
    context_.RewindTo(*newest);
  }
  const long long turn_start = parts_.clock.SteadyMillis();
  int pages_handed = 0;
  bool yielded = false;
  std::optional<PageStored::Outcome> stopped;  // by the store
  const int code = parts_.source.Download(after, [&](const ArchivePage& page) {
    if (pages_handed++ == 0 && page.WholeMemory != 0) {
      // The console starts again from its oldest record: the records
      // before it in memory order are not the ones last stored.
      if (after != nullptr) {
        parts_.log("[Archive] : la console n'a pas retrouvé son enregistrement du " +
                   FormatConsoleStamp(*newest) +
                   " ; toute sa mémoire est relue, les enregistrements déjà conservés sont "
                   "ignorés");
      }
      context_.Forget();
    }
    const PageStored stored = StorePage(page, owed.tally);
    if (stored.outcome != PageStored::Outcome::kStored) {
      stopped = stored.outcome;
      return false;
    }
    // After the last page announced the download is done anyway. A page
    // that brought only records already held (the console sending again
    // from the first passage of a repeated stamp, or its whole memory) does
    // not end the turn: asked again, it would come again.
    const bool more = page.Index + 1 < page.Pages;
    const bool moved_on = stored.added > 0 || page.Status != kResultOk;
    if (more && ((moved_on && turn.should_yield && turn.should_yield()) ||
                 parts_.clock.SteadyMillis() - turn_start >= kTurnBudgetMs)) {
      yielded = true;
      return false;
    }
    return true;
  });
  const long long now = parts_.clock.SteadyMillis();
  if (stopped == PageStored::Outcome::kStoreFailed) {
    owed.not_before_ms = now + kArchiveRetryMs;
    return;
  }
  if (stopped == PageStored::Outcome::kStoreReplaced) {
    // The new store gets the console's whole memory, from the next turn on.
    owed.not_before_ms = 0;
    return;
  }
  if (code != kResultOk) {
    if (code != said_.download_failure) {
      parts_.log("[Archive] : téléchargement de l'archive de la console interrompu (" +
                 ResultCodeText(code) +
                 ") ; il reprendra après le dernier enregistrement conservé");
    }
    said_.download_failure = code;
    // A download cut on a line that stays open (a page lost, the console
    // silent for a moment) goes on at the next turn, from the last record
    // stored; one that keeps failing before its first page waits.
    owed.fruitless_failures = pages_handed > 0 ? 0 : owed.fruitless_failures + 1;
    owed.not_before_ms =
        owed.fruitless_failures >= kQuickDownloadRetries ? now + kArchiveRetryMs : 0;
    return;
  }
  said_.download_failure = kResultOk;
  owed.fruitless_failures = 0;
  if (!yielded) Finish(owed);
}

catch_up::PageStored ArchiveCatchUp::StorePage(const ArchivePage& page, Tally& tally) {
  tally.undecoded += std::max(page.Undecoded, 0);
  if (page.Status != kResultOk) {
    parts_.log("[Archive] : la page " + std::to_string(page.Index + 1) + " sur " +
               std::to_string(page.Pages) +
               " de l'archive reste illisible après plusieurs essais ; ses enregistrements sont "
               "ignorés");
    return {};
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
      ++tally.undecoded;
      continue;
    }
    HistoryRow row;
    row.stamp = *stamp;
    row.occurrence = context_.Occurrences(*stamp) + in_page[*stamp]++;
    row.utc = ConsoleStampToUtc(row.stamp, row.occurrence);
    row.values = ConvertArchiveRecord(record);
    if (row.utc > now_s + kFutureStampSeconds && !tally.console_ahead) {
      tally.console_ahead = true;
      if (!said_.console_ahead) {
        parts_.log(
            "[Archive] : l'horloge de la console est en avance : un enregistrement est "
            "daté du " +
            FormatConsoleStamp(row.stamp) +
            " ; il est conservé tel quel, réglez l'horloge "
            "de la console");
        said_.console_ahead = true;
      }
    }
    rows.push_back(row);
  }
  int added = 0;
  const StoreStatus status = parts_.store.Add(rows, &added);
  const bool replaced = status == StoreStatus::kCorrupt && parts_.store.IsOpen();
  if (replaced) {
    // The page went into the new store.
    StoreReplaced();
  } else if (status != StoreStatus::kOk) {
    StoreTrouble(status);
    return {.outcome = PageStored::Outcome::kStoreFailed};
  } else {
    StoreFine();
    for (const auto& row : rows) context_.Remember(row.stamp);
  }
  if (added > 0) {
    if (tally.added == 0) tally.first_added = rows.front().stamp;
    tally.last_added = rows.back().stamp;
    tally.added += added;
  }
  return {.outcome = replaced ? PageStored::Outcome::kStoreReplaced : PageStored::Outcome::kStored,
          .added = added};
}

void ArchiveCatchUp::StoreReplaced() {
  parts_.log("[Archive] : la base d'archive " + parts_.store.path() +
             " était endommagée ; elle est mise de côté sous " + parts_.store.set_aside_path() +
             " et une nouvelle est commencée");
  // Nothing of what was stored is in the new store: the next download asks
  // for the console's whole memory.
  context_ = {};
}

void ArchiveCatchUp::Finish(const Owed& owed) {
  const Tally& tally = owed.tally;
  if (owed.cause == Cause::kConnection && tally.added > 0) {
    parts_.log("[Archive] : " + std::to_string(tally.added) +
               (tally.added == 1 ? " enregistrement de la console conservé (du "
                                 : " enregistrements de la console conservés (du ") +
               FormatConsoleStamp(tally.first_added) + " au " +
               FormatConsoleStamp(tally.last_added) + ")");
  }
  if (tally.undecoded > 0) {
    parts_.log("[Archive] : " + std::to_string(tally.undecoded) +
               (tally.undecoded == 1 ? " enregistrement illisible ignoré"
                                     : " enregistrements illisibles ignorés"));
  }
  // A download that met no record from the future lets the next one say it again.
  if (!tally.console_ahead) said_.console_ahead = false;
  int period = parts_.archive_period_minutes ? parts_.archive_period_minutes() : 0;
  if (period <= 0) period = kDefaultPeriodMinutes;
  // Ends the Owed state, and the tally with it.
  state_ = Level{parts_.clock.SteadyMillis() + static_cast<long long>(period) * 60'000};
}

void ArchiveCatchUp::StoreTrouble(StoreStatus status) {
  // A store that failed is opened afresh next time.
  if (status != StoreStatus::kBusy) store_open_ = false;
  if (said_.store_trouble == status) return;
  said_.store_trouble = status;
  parts_.log(StoreTroubleText(status, parts_.store));
}

void ArchiveCatchUp::StoreFine() {
  if (!said_.store_trouble) return;
  said_.store_trouble.reset();
  parts_.log("[Archive] : la base d'archive " + parts_.store.path() + " est de nouveau accessible");
}

void catch_up::StampContext::Remember(ConsoleStamp stamp) {
  newest_ = stamp;
  recent_.push_back(stamp);
  ++counts_[stamp];
  if (static_cast<int>(recent_.size()) <= kStampContextRecords) return;
  const ConsoleStamp oldest = recent_.front();
  recent_.pop_front();
  if (--counts_[oldest] == 0) counts_.erase(oldest);
}

// The console sends the records after the first one in its memory that
// carries the stamp asked for. When that stamp came more than once (the
// repeated hour), the records after its first passage come again: the
// numbering goes on from there, so that they get the keys they have.
void catch_up::StampContext::RewindTo(ConsoleStamp stamp) {
  const auto first = std::find(recent_.begin(), recent_.end(), stamp);
  if (first == recent_.end()) return;
  for (auto it = first + 1; it != recent_.end(); ++it) {
    if (--counts_[*it] == 0) counts_.erase(*it);
  }
  recent_.erase(first + 1, recent_.end());
}

void catch_up::StampContext::Forget() {
  recent_.clear();
  counts_.clear();
}

int catch_up::StampContext::Occurrences(ConsoleStamp stamp) const {
  const auto seen = counts_.find(stamp);
  return seen == counts_.end() ? 0 : seen->second;
}

}  // namespace tv
