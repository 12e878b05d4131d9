#pragma once

// The process switched to German and French locales (decimal comma) in
// turn: the machine's de_DE.UTF-8 and fr_FR.UTF-8 when it has them;
// otherwise each is compiled once per test program with localedef into a
// temporary folder, with the ISO-8859-1 character map (the same numbers, in
// a quarter of the time of UTF-8's). Use only while no other thread formats
// numbers.

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tv::testing {

class DecimalCommaLocales {
 public:
  // The names setlocale takes ("de_DE.UTF-8", "fr_FR.ISO-8859-1") of the
  // locales there are.
  static const std::vector<std::string>& Names() {
    static const DecimalCommaLocales locales;
    return locales.names_;
  }

 private:
  DecimalCommaLocales() {
    std::vector<std::string> missing;
    for (const char* base : {"de_DE", "fr_FR"}) {
      const std::string name = std::string(base) + ".UTF-8";
      const std::string before = std::setlocale(LC_ALL, nullptr);
      if (std::setlocale(LC_ALL, name.c_str()) != nullptr) {
        names_.push_back(name);
      } else {
        missing.push_back(base);
      }
      std::setlocale(LC_ALL, before.c_str());
    }
    if (missing.empty()) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-locales-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    dir_ = pattern;
    for (const std::string& base : missing) {
      const std::string name = base + ".ISO-8859-1";
      const std::string command =
          "localedef -c -i " + base + " -f ISO-8859-1 '" + dir_ + "/" + name + "' >/dev/null 2>&1";
      if (std::system(command.c_str()) == 0) names_.push_back(name);
    }
    ::setenv("LOCPATH", dir_.c_str(), 1);
  }
  ~DecimalCommaLocales() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  std::string dir_;
  std::vector<std::string> names_;
};

// The whole locale set to `name` for the scope.
class ScopedLocale {
 public:
  explicit ScopedLocale(const std::string& name) : before_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, before_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  bool active() const { return active_; }

 private:
  std::string before_;
  bool active_ = false;
};

}  // namespace tv::testing
