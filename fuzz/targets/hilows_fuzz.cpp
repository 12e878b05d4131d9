// HILOWS block: every high and low with its time.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  FuzzConsole::Script script = ScriptWithSetup();
  script.canned["GETTIME\n"] = AckedBlock({0, 30, 12, 15, 6, 124});
  auto station = OpenFuzzStation({data, size}, std::move(script));
  VantageDateTime now{};
  station->StationTime(&now);
  station->LoadHiLows();
  ReadHiLows(*station);
  return 0;
}
