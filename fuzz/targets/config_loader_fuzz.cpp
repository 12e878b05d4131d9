// The settings loader on any bytes: whatever the file holds, the table keeps
// UTF-8 group names, keys and values on one line each, and numbers read
// from it stay within the 32-bit range.
#include <cstdlib>
#include <string_view>

#include "lib/config/config_file.h"
#include "lib/config/config_keys.h"
#include "lib/config/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string_view filter : {std::string_view{}, std::string_view{"SERVICES"}}) {
    tv::ConfigTable table;
    const std::int32_t count = tv::LoadIniText(text, table, filter);
    if (count < 0 || static_cast<std::size_t>(count) != table.Size()) std::abort();
    for (const std::string& key : table.Keys()) {
      const auto entry = table.Find(key);
      if (!entry) std::abort();
      for (const std::string* s : {&entry->Group, &entry->Key, &entry->Value}) {
        if (!tv::IsValidUtf8(*s) || s->find('\n') != std::string::npos) std::abort();
      }
      if (!filter.empty() && entry->Group != filter) std::abort();
      const std::int64_t n = table.Number(key);
      if (n < INT32_MIN || n > INT32_MAX) std::abort();
      table.Flag(key);
    }
    table.Number(tv::kKeyRefreshServices);
    table.Number(tv::kKeyConnectionTimeout);
  }
  return 0;
}
