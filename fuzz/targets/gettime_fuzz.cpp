// GETTIME block: the console's clock, and the sun times dated by it.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  FuzzConsole::Script script = ScriptWithSetup();
  script.canned["LOOP 1\n"] = CannedLoopReply(0);
  script.canned["LPS 2 1\n"] = CannedLoopReply(1);
  auto station = OpenFuzzStation({data, size}, std::move(script));
  VantageDateTime t{};
  station->StationTime(&t);
  station->LoadCurrent();
  ReadCurrent(*station);  // sun times take the date of the clock read first
  return 0;
}
