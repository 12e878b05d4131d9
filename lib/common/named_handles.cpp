#include "lib/common/named_handles.h"

#include <mutex>
#include <unordered_map>

namespace tv {
namespace {

struct Entry {
  int kind = 0;
  std::int64_t handle = 0;
  std::string note;
};

struct Registry {
  std::mutex mutex;
  std::unordered_map<std::string, Entry> entries;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::string MakeKey(std::string_view name, int kind) {
  std::string key = std::to_string(kind);
  key += '_';
  key += name;
  return key;
}

}  // namespace

std::string RegisterHandle(std::string_view name, int kind, std::int64_t handle,
                           std::string_view note) {
  std::string key = MakeKey(name, kind);
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.entries.insert_or_assign(key, Entry{kind, handle, std::string(note)});
  return key;
}

std::int64_t LookupHandle(std::string_view name, int kind) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.entries.find(MakeKey(name, kind));
  return it == r.entries.end() ? 0 : it->second.handle;
}

std::string LookupHandleNote(std::string_view name, int kind) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.entries.find(MakeKey(name, kind));
  return it == r.entries.end() ? std::string() : it->second.note;
}

void ClearNamedHandles() {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.entries.clear();
}

}  // namespace tv
