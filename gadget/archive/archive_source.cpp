#include "gadget/archive/archive_source.h"

namespace tv {

int LibraryArchiveSource::Download(const StationDateTime* after, const ArchivePageSink& sink) {
  return DownloadArchive_V(after, sink);
}

}  // namespace tv
