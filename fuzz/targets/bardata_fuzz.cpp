// BARDATA text reply: the barometer calibration record.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  auto station = OpenFuzzStation({data, size}, ScriptWithSetup());
  std::uint8_t record[28 + 16];
  std::fill(std::begin(record), std::end(record), 0xA5);
  station->BarometerInfo(record);
  for (std::size_t i = 28; i < sizeof record; ++i) {
    if (record[i] != 0xA5) Fail("barometer record written past its size");
  }
  return 0;
}
