#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tv::stationlib {

// The console's USB data logger is a USB-serial bridge that the kernel shows
// as a tty. It is found through sysfs: the tty's device link leads up to the
// USB device, whose `idVendor` and `serial` files identify the logger.

// The USB vendor of the bridge chip used by the logger.
inline constexpr const char* kLoggerUsbVendor = "10c4";

struct UsbLogger {
  std::int32_t serial = 0;  // the USB serial number, read as a decimal number
  std::string tty;          // tty name in sysfs, e.g. "ttyUSB0"
  std::string device_path;  // the node to open, e.g. "/dev/ttyUSB0"
};

// The sysfs root: the value given to SetSysfsRoot, else the environment
// variable TV_SYSFS_ROOT, else "/sys". Tests point it at a fake tree.
std::string SysfsRoot();
// Overrides the sysfs root; an empty text restores the default lookup.
void SetSysfsRoot(const std::string& root);

// Every logger under `sysfs_root`, ordered by tty name. Devices of another
// vendor and serial numbers that are not a positive decimal number that fits
// 31 bits are left out.
std::vector<UsbLogger> FindUsbLoggers(const std::string& sysfs_root);

// The logger with this serial number, if one is plugged in.
std::optional<UsbLogger> FindUsbLogger(const std::string& sysfs_root, std::int32_t serial);

}  // namespace tv::stationlib
