#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "gadget/archive/archive_source.h"
#include "gadget/archive/console_stamp.h"
#include "tests/support/temp_dir.h"

namespace tv::archive_test {

// A folder of its own, removed afterwards.
class TempFolder {
 public:
  std::string File(const std::string& name) const { return (dir_.path / name).string(); }

 private:
  testing::TempDir dir_{"tv-archive"};
};

// The computer's time zone for the life of the object.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (old_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", old_.c_str(), 1);
    }
    tzset();
  }

 private:
  std::string old_;
};

inline ArchiveRecord RecordAt(ConsoleStamp stamp, float outside_f = 50.0f) {
  ArchiveRecord r;
  r.Stamp = UnpackConsoleStamp(stamp);
  r.DateStamp = r.Stamp.Day + r.Stamp.Month * 32 + (r.Stamp.Year - 2000) * 512;
  r.TimeStamp = r.Stamp.Hour * 100 + r.Stamp.Minute;
  r.Revision = 'B';
  r.OutsideTemp = outside_f;
  r.Barometer = 29.92f;
  r.OutsideHum = 60;
  return r;
}

// `count` records every `minutes` from `first` (local console time).
inline std::vector<ArchiveRecord> Series(ConsoleStamp first, int count, int minutes = 5) {
  std::vector<ArchiveRecord> out;
  std::int64_t utc = ConsoleStampToUtc(first, 0);
  for (int i = 0; i < count; ++i, utc += minutes * 60) {
    out.push_back(RecordAt(UtcToConsoleStamp(utc), 40.0f + static_cast<float>(i % 50)));
  }
  return out;
}

// The console's memory as a list of records in memory order, downloaded as
// the library hands it over: the records after the first one carrying the
// stamp asked for, or the whole memory when there is none.
class FakeArchiveSource final : public ArchiveSource {
 public:
  std::vector<ArchiveRecord> memory;
  // Page indices (of a download) that stay bad; a download cut (the link
  // lost) before handing over page `cut_at_page`, once.
  std::vector<int> bad_pages;
  int cut_at_page = -1;
  // Downloads to come that fail before their first page (the console silent).
  int failing_downloads = 0;
  // Records to mark undecoded in the first page: counted, not handed over.
  int undecoded_first_page = 0;
  int downloads = 0;
  int pages_handed = 0;
  std::vector<bool> whole_memory;

  int Download(const StationDateTime* after, const ArchivePageSink& sink) override {
    ++downloads;
    std::size_t start = 0;
    bool whole = true;
    if (after != nullptr) {
      const auto wanted = PackConsoleStamp(*after);
      for (std::size_t i = 0; i < memory.size(); ++i) {
        if (PackConsoleStamp(memory[i].Stamp) == wanted) {
          start = i + 1;
          whole = false;
          break;
        }
      }
    }
    whole_memory.push_back(whole);
    if (failing_downloads > 0) {
      --failing_downloads;
      return kResultCommError;
    }
    const std::size_t left = memory.size() - start;
    const int pages = static_cast<int>((left + 4) / 5);
    for (int p = 0; p < pages; ++p) {
      if (p == cut_at_page) {
        cut_at_page = -1;
        return kResultCommError;
      }
      ArchivePage page;
      page.Index = p;
      page.Pages = pages;
      page.WholeMemory = whole ? 1 : 0;
      for (std::size_t i = start + static_cast<std::size_t>(p) * 5;
           i < memory.size() && page.Count < 5; ++i) {
        page.Records[page.Count++] = memory[i];
      }
      if (p == 0 && undecoded_first_page > 0) {
        page.Undecoded = undecoded_first_page;
        page.Count -= undecoded_first_page;
      }
      for (int bad : bad_pages) {
        if (bad == p) {
          page.Status = kResultBadCrc;
          page.Count = 0;
        }
      }
      ++pages_handed;
      if (!sink(page)) return kResultOk;
    }
    return kResultOk;
  }
};

}  // namespace tv::archive_test
