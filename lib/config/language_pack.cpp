#include "lib/config/language_pack.h"

#include <utility>

#include "lib/config/config_file.h"
#include "lib/config/text_encoding.h"

namespace tv {

LanguagePack::LanguagePack(std::string path) : path_(std::move(path)) {}

std::string LanguagePack::Text(std::string_view key) {
  std::lock_guard lock(mutex_);
  if (!loaded_) {
    table_.Clear();
    loaded_ = LoadIniFile(path_, table_, "") != 0;
  }
  if (!loaded_) return std::string();
  std::string text = table_.Value(key);
  if (text.size() > kMaxTextChars) text = Utf8Prefix(text, kMaxTextChars);
  return text;
}

bool LanguagePack::Loaded() const {
  std::lock_guard lock(mutex_);
  return loaded_;
}

}  // namespace tv
