#pragma once

#include <cstdint>

#include "lib/station/archive_operations.h"

namespace tv {

// Where the console's archive comes from: the station library, or a fake in
// the tests. Download hands over the records newer than `after` (nullptr:
// the whole memory) page by page, as tv::DownloadArchive_V does, and returns
// its result code (1: every page announced was handed over, or the sink
// ended the download).
class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  virtual int Download(const StationDateTime* after, const ArchivePageSink& sink) = 0;
};

// The station library's archive download.
class LibraryArchiveSource final : public ArchiveSource {
 public:
  int Download(const StationDateTime* after, const ArchivePageSink& sink) override;
};

}  // namespace tv
