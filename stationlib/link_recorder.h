#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tv::stationlib {

// Records the raw bytes of one console link in a replayable text form, one
// line per burst:
//
//   # tv-link-recording 1
//   > 0.000000 0a                  bytes sent, seconds since the link opened
//   < 0.000914 0a 0d               bytes received (consecutive reads merged)
//   ! 2.503117 closed              the line went away
//
// Switched on by the environment variable TV_STATION_RECORD naming the file;
// each link opened appends its session to it. The simulator's --replay plays
// such a file back as a console; protocol/link_recording.h reads it.
class LinkRecorder {
 public:
  // nullptr unless TV_STATION_RECORD names a file that can be opened.
  static std::unique_ptr<LinkRecorder> FromEnvironment();
  explicit LinkRecorder(const std::string& path);
  ~LinkRecorder();
  LinkRecorder(const LinkRecorder&) = delete;
  LinkRecorder& operator=(const LinkRecorder&) = delete;

  bool Valid() const { return file_ != nullptr; }
  void Sent(std::span<const std::uint8_t> bytes);
  void Received(std::span<const std::uint8_t> bytes);
  void Closed();

 private:
  void FlushReceived();
  void WriteLine(char direction, double seconds, std::span<const std::uint8_t> bytes,
                 const char* note);
  double Now() const;

  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_;
  std::vector<std::uint8_t> received_;
  double received_at_ = 0;
  bool closed_ = false;
};

}  // namespace tv::stationlib
