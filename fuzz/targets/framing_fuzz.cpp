// The framing layer on raw bytes: wake-up with stray bytes around LF CR,
// ACK / NAK / refusal handling, CRC blocks asked again, text replies, the
// line going away mid-reply. The first two bytes choose the exchange.
#include <cstdio>

#include "fuzz/fuzz_console.h"
#include "stationlib/console_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tv::fuzz;
  using tv::stationlib::ConsoleLink;
  if (size < 2) return 0;
  const std::uint8_t op = data[0];
  const std::size_t arg = data[1];
  FuzzConsole::Script script;
  script.auto_wake = (op & 0x80) != 0;
  script.fix_crc = false;
  tv::stationlib::LinkTimings timings;
  timings.wake_timeout = std::chrono::milliseconds(1);
  timings.reply_timeout = std::chrono::milliseconds(1);
  timings.refusal_grace = std::chrono::milliseconds(1);
  ConsoleLink link(std::make_unique<FuzzConsole>(std::span(data + 2, size - 2), script), timings);
  switch (op & 0x03) {
    case 0:
      link.Wake();
      break;
    case 1: {
      const auto block = link.Binary("LOOP 1", arg, true);
      if (block && block->size() != arg) std::abort();
      break;
    }
    case 2: {
      const auto block = link.Binary("WRD\x12\x4D", arg % 8, false);
      if (block && block->size() != arg % 8) std::abort();
      break;
    }
    case 3: {
      const auto lines = link.Text("BARDATA", arg % 12);
      if (lines && lines->size() != arg % 12) std::abort();
      break;
    }
  }
  // Whatever happened, a later exchange on the same link is safe.
  link.Binary("GETTIME", 6, true);
  return 0;
}
