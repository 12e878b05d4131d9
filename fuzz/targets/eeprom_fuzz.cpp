// EEPROM blocks: the WRD model byte, the set-up area (position, time zone,
// transmitters, units, calibration) and the alarm thresholds.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  auto station = OpenFuzzStation({data, size}, FuzzConsole::Script{});
  station->Init();
  ReadSetupRecords(*station);
  std::uint8_t calibration[20 + 16];
  std::fill(std::begin(calibration), std::end(calibration), 0xA5);
  station->LoadCalibration(calibration);
  for (std::size_t i = 20; i < sizeof calibration; ++i) {
    if (calibration[i] != 0xA5) Fail("calibration record written past its size");
  }
  station->LoadAlarms();
  ReadAlarms(*station);
  return 0;
}
