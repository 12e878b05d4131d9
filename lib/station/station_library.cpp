#include "lib/station/station_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

namespace tv {
namespace {

using ArgArray = std::array<std::intptr_t, kMaxStationArguments>;

std::mutex g_path_mutex;
std::string g_path;  // empty: the default path
std::atomic<void*> g_handle{nullptr};

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const std::string path = exe.string();
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

// The given arguments in their places, the rest kArgAbsent.
ArgArray Spread(StationArgs args, std::size_t room) {
  ArgArray out;
  out.fill(kArgAbsent);
  std::size_t i = 0;
  for (const auto value : args) {
    if (i >= room) break;
    out[i++] = value;
  }
  return out;
}

int Count(const ArgArray& args, int room) {
  int count = 0;
  for (int i = 0; i < room; ++i) {
    if (args[static_cast<std::size_t>(i)] != kArgAbsent) count = i + 1;
  }
  return count;
}

// The export of `operation` for `argument_count` arguments, nullptr when the
// library is not loaded or does not export it. `loaded` tells the two apart.
void* FindExport(std::string_view operation, int argument_count, bool* loaded) {
  void* handle = g_handle.load(std::memory_order_acquire);
  *loaded = handle != nullptr;
  if (handle == nullptr) return nullptr;
  const std::string symbol = PlainExportName(DecoratedExportName(operation, argument_count));
  return dlsym(handle, symbol.c_str());
}

template <std::size_t>
using Arg = std::intptr_t;

// A call through a function type taking exactly sizeof...(I) arguments.
template <typename R, std::size_t... I>
R CallExact(void* function, const ArgArray& args, std::index_sequence<I...>) {
  using Function = R (*)(Arg<I>...);
  return reinterpret_cast<Function>(function)(args[I]...);
}

template <typename R>
R CallWithCount(void* function, const ArgArray& args, int count) {
  switch (count) {
    case 0:
      return CallExact<R>(function, args, std::make_index_sequence<0>{});
    case 1:
      return CallExact<R>(function, args, std::make_index_sequence<1>{});
    case 2:
      return CallExact<R>(function, args, std::make_index_sequence<2>{});
    case 3:
      return CallExact<R>(function, args, std::make_index_sequence<3>{});
    case 4:
      return CallExact<R>(function, args, std::make_index_sequence<4>{});
    case 5:
      return CallExact<R>(function, args, std::make_index_sequence<5>{});
    case 6:
      return CallExact<R>(function, args, std::make_index_sequence<6>{});
    default:
      return CallExact<R>(function, args, std::make_index_sequence<7>{});
  }
}

// Integer paths: the raw integer result, or nullopt-like flags for the two
// cases where nothing was called.
struct IntegerCall {
  bool loaded = false;
  bool found = false;
  std::intptr_t raw = 0;
};

IntegerCall CallInteger(std::string_view operation, StationArgs args) {
  const ArgArray spread = Spread(args, kMaxStationArguments);
  const int count = Count(spread, kMaxStationArguments);
  IntegerCall call;
  void* function = FindExport(operation, count, &call.loaded);
  if (function == nullptr) return call;
  call.found = true;
  call.raw = CallWithCount<std::intptr_t>(function, spread, count);
  return call;
}

}  // namespace

std::string DefaultStationLibraryPath() {
  static const std::string path = ProgramFolder() + kStationLibraryFileName;
  return path;
}

void SetStationLibraryPath(std::string path) {
  std::lock_guard lock(g_path_mutex);
  g_path = std::move(path);
}

std::string StationLibraryPath() {
  {
    std::lock_guard lock(g_path_mutex);
    if (!g_path.empty()) return g_path;
  }
  return DefaultStationLibraryPath();
}

int LoadStationLibrary() {
  const std::string path = StationLibraryPath();
  void* handle = nullptr;
  // Only an absolute path: a bare or relative name would let the loader look
  // in the current directory or along its search path.
  if (!path.empty() && path.front() == '/') handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  g_handle.store(handle, std::memory_order_release);
  return handle != nullptr ? 1 : 0;
}

void* StationLibraryHandle() {
  return g_handle.load(std::memory_order_acquire);
}

int CountStationArguments(StationArgs args) {
  return Count(Spread(args, kMaxStationArguments), kMaxStationArguments);
}

std::string DecoratedExportName(std::string_view operation, int argument_count) {
  std::string name = "_";
  name += operation;
  name += '@';
  name += std::to_string(4 * argument_count);
  return name;
}

std::string PlainExportName(std::string_view decorated) {
  std::string_view name = decorated;
  const auto at = name.rfind('@');
  if (at == std::string_view::npos || at + 1 == name.size() || name.front() != '_') {
    return std::string(decorated);
  }
  for (std::size_t i = at + 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::string(decorated);
  }
  return std::string(name.substr(1, at - 1));
}

std::uint8_t CallStationByte(std::string_view operation, StationArgs args) {
  const IntegerCall call = CallInteger(operation, args);
  if (!call.found) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uintptr_t>(call.raw) & 0xFFu);
}

std::int16_t CallStationShort(std::string_view operation, ShortResult kind, StationArgs args) {
  const IntegerCall call = CallInteger(operation, args);
  if (!call.loaded) return static_cast<std::int16_t>(kResultCommError);
  if (!call.found) {
    // Nothing was called. A status reads as the library's 0 would; a value
    // must not pass for a reading.
    return static_cast<std::int16_t>(kind == ShortResult::kStatus ? kResultOk : kResultCommError);
  }
  const auto value =
      static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uintptr_t>(call.raw)));
  if (kind == ShortResult::kStatus && value == 0) return static_cast<std::int16_t>(kResultOk);
  return value;
}

std::int32_t CallStationLong(std::string_view operation, StationArgs args) {
  const IntegerCall call = CallInteger(operation, args);
  if (!call.loaded) return kResultCommError;
  if (!call.found) return 0;
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::uintptr_t>(call.raw)));
}

float CallStationFloat(std::string_view operation, StationArgs args) {
  const ArgArray spread = Spread(args, kMaxStationArguments);
  const int count = Count(spread, kMaxStationArguments);
  bool loaded = false;
  void* function = FindExport(operation, count, &loaded);
  if (function == nullptr) return static_cast<float>(kResultCommError);
  return CallWithCount<float>(function, spread, count);
}

std::string CallStationText(std::string_view operation, StationArgs args) {
  constexpr int kRoom = kMaxStationArguments - 1;
  std::array<char, kStationTextBufferSize> buffer{};
  const std::string initial = std::to_string(kResultCommError);
  std::memcpy(buffer.data(), initial.c_str(), initial.size() + 1);

  ArgArray spread = Spread(args, kRoom);
  const int count = Count(spread, kRoom);
  spread[static_cast<std::size_t>(count)] = reinterpret_cast<std::intptr_t>(buffer.data());
  bool loaded = false;
  void* function = FindExport(operation, count + 1, &loaded);
  if (function != nullptr) CallWithCount<std::intptr_t>(function, spread, count + 1);
  buffer.back() = '\0';  // whatever the library wrote, the text ends in the buffer
  return std::string(buffer.data());
}

}  // namespace tv
