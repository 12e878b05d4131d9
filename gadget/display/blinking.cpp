#include "gadget/display/blinking.h"

#include <cstdint>
#include <mutex>

#include "lib/common/named_handles.h"

namespace tv {
namespace {

// Serialises the registry updates of a start and a stop of the same name;
// never held across a window call.
std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

bool StartNamedBlink(Window& window, std::string_view name, Field field) {
  {
    std::lock_guard lock(RegistryMutex());
    if (LookupHandle(name, kHandleKindBlink) != 0) return false;
    RegisterHandle(name, kHandleKindBlink, static_cast<std::int64_t>(field) + 1);
  }
  window.StartBlinking(field);
  return true;
}

bool StopNamedBlink(Window& window, std::string_view name) {
  std::int64_t handle = 0;
  {
    std::lock_guard lock(RegistryMutex());
    handle = LookupHandle(name, kHandleKindBlink);
    if (handle == 0) return false;
    RegisterHandle(name, kHandleKindBlink, 0);
  }
  window.StopBlinking(static_cast<Field>(handle - 1));
  return true;
}

bool NamedBlinkRunning(std::string_view name) {
  std::lock_guard lock(RegistryMutex());
  return LookupHandle(name, kHandleKindBlink) != 0;
}

}  // namespace tv
