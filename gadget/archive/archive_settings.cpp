#include "gadget/archive/archive_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "gadget/archive/archive_store.h"
#include "lib/config/config_keys.h"

namespace tv {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return "/tmp";
}

}  // namespace

bool ArchiveEnabled(const ConfigTable& config) {
  return !config.Has(kKeyArchiveActive) || config.Flag(kKeyArchiveActive);
}

std::string ArchiveFolder(const ConfigTable& config) {
  const std::string folder = config.Value(kKeyArchiveFolder);
  if (folder == "~") return HomeFolder();
  if (folder.starts_with("~/")) return HomeFolder() + folder.substr(1);
  if (!folder.empty()) return folder;
  const char* data_home = std::getenv("XDG_DATA_HOME");
  const std::string base = data_home != nullptr && data_home[0] == '/'
                               ? std::string(data_home)
                               : HomeFolder() + "/.local/share";
  return base + "/teskaro-ventaro";
}

std::string ArchiveStorePath(const ConfigTable& config) {
  return (std::filesystem::path(ArchiveFolder(config)) / kArchiveFileName).string();
}

}  // namespace tv
