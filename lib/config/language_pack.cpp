#include "lib/config/language_pack.h"

#include <utility>

#include "lib/config/config_file.h"

namespace tv {

LanguagePack::LanguagePack(std::string path) : path_(std::move(path)) {}

std::string LanguagePack::Text(std::string_view key) {
  std::lock_guard lock(mutex_);
  if (!loaded_) {
    table_.Clear();
    loaded_ = LoadIniFile(path_, table_, "") != 0;
  }
  return loaded_ ? table_.Value(key) : std::string();
}

bool LanguagePack::Loaded() const {
  std::lock_guard lock(mutex_);
  return loaded_;
}

}  // namespace tv
