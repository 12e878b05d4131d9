#pragma once

// Switches the process's numeric locale to French (decimal comma) for the
// length of a test, the way a Qt program on a French desktop runs. The locale
// is compiled once per test program with localedef into a temporary folder,
// so the test does not depend on which locales the machine has generated.
// Use only while no other thread of the test program is formatting numbers.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace tv::testing {

class CommaLocaleFolder {
 public:
  static const CommaLocaleFolder& Get() {
    static const CommaLocaleFolder folder;
    return folder;
  }
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

  CommaLocaleFolder(const CommaLocaleFolder&) = delete;
  CommaLocaleFolder& operator=(const CommaLocaleFolder&) = delete;

 private:
  CommaLocaleFolder() {
    if (dir_.path.empty()) {
      error_ = "cannot create a temporary folder";
      return;
    }
    const std::string dir = dir_.path.string();
    const std::string command =
        "localedef -c -i fr_FR -f ISO-8859-1 '" + dir + "/tv_comma' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      error_ = "localedef could not build fr_FR (package locales missing?)";
      return;
    }
    ::setenv("LOCPATH", dir.c_str(), 1);
    ok_ = true;
  }

  TempDir dir_{"tv-locale"};
  std::string error_;
  bool ok_ = false;
};

class ScopedCommaLocale {
 public:
  ScopedCommaLocale() : before_(std::setlocale(LC_NUMERIC, nullptr)) {
    if (!CommaLocaleFolder::Get().ok()) return;
    if (std::setlocale(LC_NUMERIC, "tv_comma") == nullptr) return;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    active_ = std::string(probe) == "1,5";
  }
  ~ScopedCommaLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  // True once printf really writes a decimal comma.
  bool active() const { return active_; }
  std::string why_not() const {
    const std::string& error = CommaLocaleFolder::Get().error();
    return error.empty() ? "the locale did not switch printf to a decimal comma" : error;
  }

 private:
  std::string before_;
  bool active_ = false;
};

}  // namespace tv::testing
