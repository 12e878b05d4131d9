#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tv::protocol {

// One line of a link recording (written by the station library's
// LinkRecorder, played back by the simulator):
//   > 0.000000 0a        bytes the host sent, seconds since the link opened
//   < 0.000914 0a 0d     bytes the console sent
//   ! 2.503117 closed    the line went away
// Lines starting with "#" and blank lines are comments.
struct RecordedBurst {
  enum class Kind { kSent, kReceived, kClosed };
  Kind kind;
  double seconds;
  std::vector<std::uint8_t> bytes;
};

// Parses a recording. False with the line number in `error` at the first
// line that is not of the form above.
bool ParseRecording(const std::string& text, std::vector<RecordedBurst>& out, std::string& error);

}  // namespace tv::protocol
