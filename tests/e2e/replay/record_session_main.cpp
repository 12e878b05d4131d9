// Records a session of the station library against the console simulator,
// with a fault injected before one of its steps, as a replay fixture:
//   tv-record-session [--archive] OUT.rec OUT.expected [STEP "FAULT ..."]
// --archive records the archive download session instead of the collection.
// Runs a simulator of its own (HOLD ON, fixed clock), records the link with
// TV_STATION_RECORD and writes the session's result lines beside it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/e2e/replay/session_script.h"
#include "tests/support/simulator_process.h"

int main(int argc, char** argv) {
  const bool archive = argc > 1 && std::string(argv[1]) == "--archive";
  if (archive) {
    --argc;
    ++argv;
  }
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: %s [--archive] OUT.rec OUT.expected [STEP \"FAULT ...\"]\n",
                 argv[0]);
    return 2;
  }
  tv::testing::SimulatorProcess sim;
  std::string error;
  if (!sim.Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-15 14:30:00"}, &error)) {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  sim.Control("HOLD ON");
  std::remove(argv[1]);
  setenv("TV_STATION_RECORD", argv[1], 1);
  const int fault_step = argc == 5 ? std::atoi(argv[3]) : -1;
  const std::string fault = argc == 5 ? argv[4] : "";
  const auto before_step = [&](int step) {
    if (step == fault_step)
      std::fprintf(stderr, "%s: %s\n", fault.c_str(), sim.Control(fault).c_str());
  };
  const std::string port = std::to_string(sim.tcp_port());
  const auto lines = archive ? tv::testing::RunArchiveSessionScript(port, "127.0.0.1", before_step)
                             : tv::testing::RunSessionScript(port, "127.0.0.1", before_step);
  std::ofstream out(argv[2]);
  for (const auto& l : lines) out << l << '\n';
  for (const auto& l : lines) std::printf("%s\n", l.c_str());
  return 0;
}
