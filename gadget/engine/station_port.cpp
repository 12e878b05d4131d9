#include "gadget/engine/station_port.h"

#include "gadget/engine/station_record.h"
#include "lib/station/archive_operations.h"
#include "lib/station/connection.h"
#include "lib/station/station_library.h"
#include "lib/station/station_operations.h"

namespace tv {

int LibraryStationPort::LoadLibrary() {
  return LoadStationLibrary();
}

int LibraryStationPort::Connect(int kind, const std::string& address, int timeout_ms) {
  return ConnectStation(kind, address, timeout_ms);
}

std::int32_t LibraryStationPort::UsbSerialNumber() {
  return GetUSBDevSerialNumber_V();
}

int LibraryStationPort::IsNewLoopPackageSupported() {
  return IsNewLoopPackageSupported_V();
}

int LibraryStationPort::GetStationTime(StationDateTime* time) {
  return GetStationTime_V(time);
}

int StationPort::SetStationTime(const StationDateTime& time, int second) {
  return SetStationTime_V(time, second);
}

void LibraryStationPort::Close(int kind) {
  switch (kind) {
    case kLinkTcpIp:
      CloseTCPIPPort_V();
      break;
    case kLinkSerial:
      CloseCommPort_V();
      break;
    case kLinkUsb:
      CloseUSBPort_V();
      break;
    default:
      break;
  }
}

bool LibraryStationPort::CloseBounded(int kind, int timeout_ms) {
  return ClosePortBounded(kind, timeout_ms);
}

}  // namespace tv
