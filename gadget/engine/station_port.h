#pragma once

#include <cstdint>
#include <string>

#include "lib/station/archive_operations.h"
#include "lib/station/result_codes.h"

namespace tv {

// The station operations the collection engine itself needs, so that the
// engine can be driven by a fake console in tests. Codes as the station
// library returns them (1 success).
class StationPort {
 public:
  virtual ~StationPort() = default;

  // Writes and loads the station library afresh; 1 when it can be used.
  virtual int LoadLibrary() = 0;
  // Opens the link of `kind` (kLinkSerial, kLinkTcpIp, kLinkUsb) at `address`.
  virtual int Connect(int kind, const std::string& address, int timeout_ms) = 0;
  // Serial number of the attached USB data logger.
  virtual std::int32_t UsbSerialNumber() = 0;
  // 0 when the console lacks the newer current-data packet.
  virtual int IsNewLoopPackageSupported() = 0;
  virtual int GetStationTime(StationDateTime* time) = 0;
  // Sets the console's clock to the local `time` and `second`: 1, or
  // kResultRefused when the console refuses, or the library's failure code.
  // Through the station library unless overridden.
  virtual int SetStationTime(const StationDateTime& time, int second);
  // Closes the link of `kind`.
  virtual void Close(int kind) = 0;
  // Closes the link of `kind` on a side thread and waits at most
  // `timeout_ms`; true when it was closed in time (the quit).
  virtual bool CloseBounded(int kind, int timeout_ms) {
    Close(kind);
    return timeout_ms >= 0;
  }
};

// Forwards every operation to the station library binding.
class LibraryStationPort final : public StationPort {
 public:
  int LoadLibrary() override;
  int Connect(int kind, const std::string& address, int timeout_ms) override;
  std::int32_t UsbSerialNumber() override;
  int IsNewLoopPackageSupported() override;
  int GetStationTime(StationDateTime* time) override;
  void Close(int kind) override;
  bool CloseBounded(int kind, int timeout_ms) override;
};

}  // namespace tv
