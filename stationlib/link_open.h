#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "stationlib/byte_stream.h"

namespace tv::stationlib {

// termios speed constant for a line rate, or 0 when the rate is not one the
// console family or the serial driver supports.
unsigned SpeedForBaud(int baud);

// Opens a serial device (a tty, a USB-serial adapter, a pseudo-terminal) raw,
// 8N1, no flow control, at `baud`. nullptr when it cannot be opened or set up.
std::unique_ptr<ByteStream> OpenSerialDevice(const std::string& path, int baud);

// The device of serial port number `port` (1 → /dev/ttyS0); empty when the
// number is out of range.
std::string SerialDeviceForPort(int port);

// Connects to host:port within `timeout`. nullptr on failure (no listener,
// unknown host, time-out).
std::unique_ptr<ByteStream> ConnectTcp(const std::string& host, const std::string& port,
                                       std::chrono::milliseconds timeout);

}  // namespace tv::stationlib
