#include "stationlib/frame_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tv::stationlib {

bool TraceEnabled() {
  const char* v = std::getenv("TV_STATION_TRACE");
  return v != nullptr && v[0] != '\0' && std::strcmp(v, "0") != 0;
}

std::string HexDump(std::span<const std::uint8_t> bytes) {
  std::string out;
  char buf[24];
  for (std::size_t line = 0; line < bytes.size(); line += 16) {
    std::snprintf(buf, sizeof buf, "%04zx ", line);
    out += buf;
    std::string ascii;
    for (std::size_t i = line; i < line + 16; ++i) {
      if (i < bytes.size()) {
        std::snprintf(buf, sizeof buf, " %02X", bytes[i]);
        out += buf;
        ascii += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? static_cast<char>(bytes[i]) : '.';
      } else {
        out += "   ";
      }
    }
    out += "  ";
    out += ascii;
    out += '\n';
  }
  return out;
}

void TraceFrame(const char* direction, const std::string& what,
                std::span<const std::uint8_t> bytes) {
  if (!TraceEnabled()) return;
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const std::string text = std::string("[stationlib] ") + direction + what + " (" +
                           std::to_string(bytes.size()) + " bytes)\n" + HexDump(bytes);
  const char* file = std::getenv("TV_STATION_TRACE_FILE");
  if (file != nullptr && file[0] != '\0') {
    if (std::FILE* f = std::fopen(file, "a")) {
      std::fputs(text.c_str(), f);
      std::fclose(f);
      return;
    }
  }
  std::fputs(text.c_str(), stderr);
}

}  // namespace tv::stationlib
