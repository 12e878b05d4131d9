#include "protocol/link_recording.h"

#include <sstream>

namespace tv::protocol {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseRecording(const std::string& text, std::vector<RecordedBurst>& out, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string dir;
    double seconds = 0;
    if (!(words >> dir >> seconds) || dir.size() != 1 || seconds < 0) {
      error = "line " + std::to_string(number) + ": expected '> seconds hex...'";
      return false;
    }
    RecordedBurst burst;
    burst.seconds = seconds;
    if (dir == "!") {
      burst.kind = RecordedBurst::Kind::kClosed;
      out.push_back(std::move(burst));
      continue;
    }
    if (dir != ">" && dir != "<") {
      error = "line " + std::to_string(number) + ": direction must be >, < or !";
      return false;
    }
    burst.kind = dir == ">" ? RecordedBurst::Kind::kSent : RecordedBurst::Kind::kReceived;
    std::string hex;
    while (words >> hex) {
      if (hex.size() != 2 || HexDigit(hex[0]) < 0 || HexDigit(hex[1]) < 0) {
        error = "line " + std::to_string(number) + ": '" + hex + "' is not a hex byte";
        return false;
      }
      burst.bytes.push_back(static_cast<std::uint8_t>(HexDigit(hex[0]) * 16 + HexDigit(hex[1])));
    }
    out.push_back(std::move(burst));
  }
  return true;
}

}  // namespace tv::protocol
