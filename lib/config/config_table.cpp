#include "lib/config/config_table.h"

#include <limits>
#include <mutex>

namespace tv {

std::int64_t LeadingInteger(std::string_view text) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMax + 1) value = kMax + 1;  // saturates; clamped below
  }
  if (negative) value = -value;
  if (value > kMax) return kMax;
  if (value < kMin) return kMin;
  return value;
}

std::string ConfigTable::ComposeKey(std::string_view group, std::string_view key) {
  std::string composed;
  composed.reserve(group.size() + 1 + key.size());
  composed += group;
  composed += '_';
  composed += key;
  return composed;
}

void ConfigTable::Set(std::string_view group, std::string_view key, std::string_view value) {
  std::unique_lock lock(mutex_);
  entries_.insert_or_assign(ComposeKey(group, key),
                            ConfigEntry{std::string(group), std::string(key), std::string(value)});
}

void ConfigTable::Clear() {
  std::unique_lock lock(mutex_);
  entries_.clear();
}

std::string ConfigTable::Value(std::string_view key) const {
  std::shared_lock lock(mutex_);
  auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second.Value;
}

bool ConfigTable::Has(std::string_view key) const {
  std::shared_lock lock(mutex_);
  return entries_.find(key) != entries_.end();
}

bool ConfigTable::Flag(std::string_view key) const {
  return Value(key) == "1";
}

std::int64_t ConfigTable::Number(std::string_view key) const {
  return LeadingInteger(Value(key));
}

std::optional<ConfigEntry> ConfigTable::Find(std::string_view key) const {
  std::shared_lock lock(mutex_);
  auto it = entries_.find(key);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

std::size_t ConfigTable::Size() const {
  std::shared_lock lock(mutex_);
  return entries_.size();
}

std::vector<std::string> ConfigTable::Keys() const {
  std::shared_lock lock(mutex_);
  std::vector<std::string> keys;
  keys.reserve(entries_.size());
  for (const auto& [key, entry] : entries_) keys.push_back(key);
  return keys;
}

}  // namespace tv
