// The simulator's parsers on any bytes: the console command line parser (wake-up,
// commands, host blocks for SETTIME / EEBWR / CALFIX, LOOP runs) and, when
// the first byte is odd, the control channel's request lines.
#include <cctype>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "simulator/console_session.h"
#include "simulator/scenario.h"
#include "simulator/simulator_core.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::sim;
  if (size == 0) return 0;
  // Starting the model walks through a day: done once, copied for each input.
  static const SimulatorCore prototype = [] {
    CoreOptions options;
    options.start = 1'700'000'000;
    return SimulatorCore(*FindScenario("default"), options);
  }();
  SimulatorCore core = prototype;
  if ((data[0] & 1) != 0) {
    // The model is held: a clock set months ahead would otherwise be walked
    // through in ten-second steps (STEP always is, so it is left out).
    core.HandleControl("HOLD ON");
    const auto run = [&](const std::string& line) {
      // The first word as the control channel splits it (any blank).
      std::string word;
      std::istringstream(line) >> word;
      for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (word != "STEP" && word != "HOLD") core.HandleControl(line);
    };
    std::string line;
    for (std::size_t i = 1; i < size; ++i) {
      if (data[i] == '\n') {
        run(line);
        line.clear();
      } else {
        line += static_cast<char>(data[i]);
      }
    }
    run(line);
    return 0;
  }
  ConsoleSession session(core);
  auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  std::vector<Outgoing> out;
  // Bytes arrive in pieces of up to 16, 100 ms apart, so LOOP runs and
  // dozing off are reached too.
  for (std::size_t i = 1; i < size; i += 16) {
    session.OnInput(data + i, std::min<std::size_t>(16, size - i), now, out);
    now += std::chrono::milliseconds(100);
    session.Poll(now, out);
    out.clear();
  }
  for (int i = 0; i < 5; ++i) {
    now += std::chrono::seconds(2);
    session.Poll(now, out);
  }
  return 0;
}
