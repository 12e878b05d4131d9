// LOOP packet: framing of its reply and every current value decoded from it.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  FuzzConsole::Script script = ScriptWithSetup();
  script.canned["LPS 2 1\n"] = CannedLoopReply(1);
  auto station = OpenFuzzStation({data, size}, std::move(script));
  station->LoadCurrent();
  ReadCurrent(*station);
  return 0;
}
