#include "lib/common/app_values.h"

#include <filesystem>
#include <system_error>

namespace tv {
namespace {

constexpr int kVersionMajor = 1;
constexpr int kVersionMinor = 0;

std::string ComputeAppDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return FolderOf(exe.string());
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

const std::string& AppDir() {
  static const std::string dir = ComputeAppDir();
  return dir;
}

const std::string& AppName() {
  static const std::string name = "Teskaro Ventaro";
  return name;
}

const std::string& AppVersion() {
  static const std::string version =
      std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
  return version;
}

const std::string& AppTitle() {
  static const std::string title = AppName() + " v" + AppVersion();
  return title;
}

const std::string& IniPath() {
  static const std::string path = AppDir() + "tsk_vnt.ini";
  return path;
}

const std::string& LanguagePackPath() {
  static const std::string path = AppDir() + "langue.pack";
  return path;
}

}  // namespace tv
