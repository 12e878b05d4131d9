#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "lib/config/config_table.h"

namespace tv {

// User texts kept in a separate file of the same format as the settings
// (today the forecast sentences, keys "PREV_METEO_1" ...). The file is read at
// the first lookup; as long as no read has found any entry, every lookup
// tries again, so a pack put in place later is picked up. Once loaded it is
// never read again. Safe to call from any thread.
class LanguagePack {
 public:
  explicit LanguagePack(std::string path);
  LanguagePack(const LanguagePack&) = delete;
  LanguagePack& operator=(const LanguagePack&) = delete;

  // The text for `key`, "" when the key is absent or the pack cannot be read,
  // cut to kMaxTextChars characters (a damaged pack may hold megabytes in
  // one line; the window has room for a few sentences).
  std::string Text(std::string_view key);
  static constexpr std::size_t kMaxTextChars = 500;
  bool Loaded() const;
  const std::string& Path() const { return path_; }

 private:
  const std::string path_;
  mutable std::mutex mutex_;
  bool loaded_ = false;
  ConfigTable table_;
};

}  // namespace tv
