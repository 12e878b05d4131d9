#pragma once

#include <fcntl.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "stationlib/fd_stream.h"

namespace tv::stationlib {

// A line that never stops talking: /dev/zero always has bytes to read.
inline std::unique_ptr<FdStream> EndlessLine(FlushBound bound) {
  return std::make_unique<FdStream>(::open("/dev/zero", O_RDWR | O_NONBLOCK | O_CLOEXEC), 0, bound);
}

// Bytes this process has read so far: shows that a flush is under way.
inline std::uint64_t BytesReadByProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

}  // namespace tv::stationlib
