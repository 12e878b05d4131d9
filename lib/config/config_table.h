#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// One setting as written in the file.
struct ConfigEntry {
  std::string Group;
  std::string Key;
  std::string Value;

  bool operator==(const ConfigEntry&) const = default;
};

// Settings keyed by group name, "_" and key name ("CONSOLE_adresse"), compared
// case-sensitively. Filled once at start-up, then read by every thread; all
// members may be called from any thread.
class ConfigTable {
 public:
  ConfigTable() = default;
  ConfigTable(const ConfigTable&) = delete;
  ConfigTable& operator=(const ConfigTable&) = delete;

  // Adds the entry, or replaces the value of an existing one.
  void Set(std::string_view group, std::string_view key, std::string_view value);
  void Clear();

  // The composed key of a group and a key name.
  static std::string ComposeKey(std::string_view group, std::string_view key);

  // The value, "" when the key is absent.
  std::string Value(std::string_view key) const;
  bool Has(std::string_view key) const;
  // On only when the value is exactly "1".
  bool Flag(std::string_view key) const;
  // The leading decimal integer of the value (optional sign), 0 when there
  // is none; held to the 32-bit range so that callers can scale it safely.
  std::int64_t Number(std::string_view key) const;
  std::optional<ConfigEntry> Find(std::string_view key) const;
  std::size_t Size() const;
  // Every composed key, in ascending order.
  std::vector<std::string> Keys() const;

 private:
  mutable std::shared_mutex mutex_;
  std::map<std::string, ConfigEntry, std::less<>> entries_;
};

// The leading decimal integer of a text ("12s" → 12, "abc" → 0, "-3" → -3),
// held to the 32-bit range.
std::int64_t LeadingInteger(std::string_view text);

}  // namespace tv
