#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tv::testing {

// A throwaway folder under the system's temporary folder, removed with all
// it holds, even where a test took away its permissions.
struct TempDir {
  std::filesystem::path path;
  explicit TempDir(const std::string& prefix = "tv-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~TempDir() {
    namespace fs = std::filesystem;
    if (path.empty()) return;
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& entry : fs::directory_iterator(path, ec)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
};

}  // namespace tv::testing
