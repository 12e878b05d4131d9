// NVER and VER text replies: firmware version text and firmware date.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  auto station = OpenFuzzStation({data, size}, ScriptWithSetup());
  std::string version;
  station->FirmwareVersion(version);
  VantageDateTime date{};
  station->FirmwareDate(&date);
  if (date.Month != -1 && (date.Month < 1 || date.Month > 12)) Fail("firmware month out of range");
  if (date.Day != -1 && (date.Day < 1 || date.Day > 31)) Fail("firmware day out of range");
  return 0;
}
