#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

// Baud rate of a serial link whose address names none.
inline constexpr int kDefaultBaudRate = 19200;

// A serial address: "COM4", "com4", "4", "COM4@9600", or a device path
// ("/dev/ttyUSB0", "/dev/pts/3@9600").
struct SerialAddress {
  std::string device;  // the device path; empty when the port is a number
  std::int32_t port = 0;
  std::int32_t baud = kDefaultBaudRate;
};
SerialAddress ParseSerialAddress(std::string_view address);

// "USB123456" or "123456" → 123456.
std::int32_t ParseUsbAddress(std::string_view address);

// "A@B" → first "A" (before the first "@"), second "B" (up to a possible
// second "@"). The library's open call receives `second` first.
struct TcpAddress {
  std::string first;
  std::string second;
};
TcpAddress ParseTcpAddress(std::string_view address);

// Opens the link of `link_kind` (0 serial, 1 TCP/IP, 2 USB) to `address` and
// initialises the console, waiting at most `timeout_ms` for it. 1 when
// connected; otherwise the open call's own code, -32700 when the
// initialisation failed or did not answer in time (the port is then closed
// again, waiting at most `timeout_ms` for that), 0 for an unknown kind.
// An initialisation still running when the wait ends is abandoned: its late
// result never counts.
std::int16_t ConnectStation(int link_kind, const std::string& address, int timeout_ms);

// The result of the last initialisation that was still awaited when it
// finished; 0 while one is running or after one was abandoned.
std::int16_t LastInitResult();

// Closes the port of `link_kind`: 0 serial, 1 TCP/IP, 2 USB, kArgAbsent
// nothing, anything else all three (USB, serial, TCP/IP). Results ignored.
void ClosePortThread(int link_kind);

// Runs ClosePortThread on a side thread and waits at most `timeout_ms`. True
// when the closing finished in time; otherwise it is left to finish alone.
bool ClosePortBounded(int link_kind, int timeout_ms);

}  // namespace tv
