#include "lib/station/archive_operations.h"

#include <dlfcn.h>

#include <cstddef>

#include "lib/station/station_library.h"

namespace tv {
namespace {

// The library's records, byte for byte (vantagepro.h).
static_assert(sizeof(ArchiveRecord) == 180, "the library's archive record is 180 bytes");
static_assert(offsetof(ArchiveRecord, OutsideTemp) == 32);
static_assert(offsetof(ArchiveRecord, WindSamples) == 96);
static_assert(offsetof(ArchiveRecord, LeafTemp) == 112);
static_assert(offsetof(ArchiveRecord, ExtraHum) == 172);
static_assert(offsetof(ArchivePage, Records) == 24);
static_assert(sizeof(ArchivePage) == 24 + 5 * sizeof(ArchiveRecord));

// The library calls this for every page; nothing may be thrown back into it.
extern "C" std::int32_t ArchiveTrampoline(void* context, const void* page) noexcept {
  try {
    const auto& sink = *static_cast<const ArchivePageSink*>(context);
    return sink(*static_cast<const ArchivePage*>(page)) ? 0 : 1;
  } catch (...) {
    return 1;  // the sink failed: end the download
  }
}

// A library without the operation must not pass for one that found nothing.
bool Exported(const char* name) {
  void* handle = StationLibraryHandle();
  return handle == nullptr || dlsym(handle, name) != nullptr;
}

}  // namespace

std::int16_t DownloadArchive_V(const StationDateTime* after, const ArchivePageSink& sink) {
  if (!sink) return static_cast<std::int16_t>(kResultBadParameters);
  if (!Exported("DownloadArchive_V")) return static_cast<std::int16_t>(kResultCommError);
  using Trampoline = std::int32_t (*)(void*, const void*) noexcept;
  const Trampoline trampoline = &ArchiveTrampoline;
  return CallStationShort(
      "DownloadArchive_V", ShortResult::kStatus,
      {Address(after), reinterpret_cast<std::intptr_t>(trampoline), Address(&sink)});
}

std::int16_t SetStationTime_V(const StationDateTime& time, std::int32_t second) {
  if (!Exported("SetStationTime_V")) return static_cast<std::int16_t>(kResultCommError);
  return CallStationShort("SetStationTime_V", ShortResult::kStatus, {Address(&time), second});
}

}  // namespace tv
