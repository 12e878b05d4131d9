// The station library's archive download, for builds whose lib/station does
// not carry it yet: a weak definition that the real one replaces, answering
// that the operation is not there.
#include "lib/station/archive_operations.h"

namespace tv {

__attribute__((weak)) std::int16_t DownloadArchive_V(const StationDateTime*,
                                                     const ArchivePageSink&) {
  return static_cast<std::int16_t>(kResultNeedsLoad);
}

}  // namespace tv
