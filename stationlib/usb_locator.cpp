#include "stationlib/usb_locator.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace tv::stationlib {

namespace fs = std::filesystem;

namespace {

std::mutex& RootMutex() {
  static std::mutex m;
  return m;
}

std::string& RootOverride() {
  static std::string root;
  return root;
}

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.pop_back();
  }
  return line;
}

std::optional<std::int32_t> ParseSerial(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value <= 0 || value > 0x7FFFFFFF) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The device node named by the tty's uevent (DEVNAME is relative to /dev).
std::string DeviceNode(const fs::path& tty_dir, const std::string& name) {
  std::ifstream in(tty_dir / "uevent");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("DEVNAME=", 0) == 0 && line.size() > 8) return "/dev/" + line.substr(8);
  }
  return "/dev/" + name;
}

}  // namespace

std::string SysfsRoot() {
  {
    std::lock_guard lock(RootMutex());
    if (!RootOverride().empty()) return RootOverride();
  }
  const char* env = std::getenv("TV_SYSFS_ROOT");
  if (env != nullptr && env[0] != '\0') return env;
  return "/sys";
}

void SetSysfsRoot(const std::string& root) {
  std::lock_guard lock(RootMutex());
  RootOverride() = root;
}

std::vector<UsbLogger> FindUsbLoggers(const std::string& sysfs_root) {
  std::vector<UsbLogger> found;
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(sysfs_root, ec);
  if (ec) return found;
  const fs::path class_dir = root / "class" / "tty";
  fs::directory_iterator it(class_dir, ec);
  if (ec) return found;
  for (const auto& entry : it) {
    const fs::path tty_dir = entry.path();
    const std::string name = tty_dir.filename().string();
    fs::path device = fs::canonical(tty_dir / "device", ec);
    if (ec) {
      ec.clear();
      continue;  // a virtual terminal has no device
    }
    // Walk up from the interface to the USB device that carries the serial.
    for (fs::path dir = device; dir.has_parent_path() && dir != dir.parent_path();
         dir = dir.parent_path()) {
      if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "serial", ec)) {
        if (ReadFirstLine(dir / "idVendor") == kLoggerUsbVendor) {
          if (const auto serial = ParseSerial(ReadFirstLine(dir / "serial"))) {
            found.push_back({*serial, name, DeviceNode(tty_dir, name)});
          }
        }
        break;
      }
      if (dir == root) break;
    }
    ec.clear();
  }
  std::sort(found.begin(), found.end(),
            [](const UsbLogger& a, const UsbLogger& b) { return a.tty < b.tty; });
  return found;
}

std::optional<UsbLogger> FindUsbLogger(const std::string& sysfs_root, std::int32_t serial) {
  for (const auto& logger : FindUsbLoggers(sysfs_root)) {
    if (logger.serial == serial) return logger;
  }
  return std::nullopt;
}

}  // namespace tv::stationlib
