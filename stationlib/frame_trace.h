#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tv::stationlib {

// Hex dump of every frame on the console link, switched on by the environment
// variable TV_STATION_TRACE (any value but "" or "0"). The dump goes to
// standard error, or appends to the file named by TV_STATION_TRACE_FILE.
// A user with a real console can send it to tell us how a layout differs.
bool TraceEnabled();

// "> " for bytes sent, "< " for bytes received; `what` names the exchange.
void TraceFrame(const char* direction, const std::string& what,
                std::span<const std::uint8_t> bytes);

// The dump text of one frame: 16 bytes per line, offset, hex, then printable ASCII.
std::string HexDump(std::span<const std::uint8_t> bytes);

}  // namespace tv::stationlib
