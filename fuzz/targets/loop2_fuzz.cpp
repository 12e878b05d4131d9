// LOOP2 packet beside a fixed LOOP: its reply, the support probe and the
// values decoded from both.
#include "fuzz/station_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  FuzzConsole::Script script = ScriptWithSetup();
  script.canned["LOOP 1\n"] = CannedLoopReply(0);
  auto station = OpenFuzzStation({data, size}, std::move(script));
  station->LoadCurrent();
  station->Loop2Supported();
  station->LoadCurrent();
  ReadCurrent(*station);
  return 0;
}
