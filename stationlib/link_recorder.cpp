#include "stationlib/link_recorder.h"

#include <cstdlib>
#include <mutex>

namespace tv::stationlib {

namespace {

// Links of one process append to the same file: one line at a time.
std::mutex& FileMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::unique_ptr<LinkRecorder> LinkRecorder::FromEnvironment() {
  const char* path = std::getenv("TV_STATION_RECORD");
  if (path == nullptr || path[0] == '\0') return nullptr;
  auto recorder = std::make_unique<LinkRecorder>(path);
  if (!recorder->Valid()) return nullptr;
  return recorder;
}

LinkRecorder::LinkRecorder(const std::string& path)
    : file_(std::fopen(path.c_str(), "a")), start_(std::chrono::steady_clock::now()) {
  if (file_ == nullptr) return;
  std::lock_guard lock(FileMutex());
  std::fputs("# tv-link-recording 1\n", file_);
  std::fflush(file_);
}

LinkRecorder::~LinkRecorder() {
  if (file_ == nullptr) return;
  FlushReceived();
  std::fclose(file_);
}

double LinkRecorder::Now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void LinkRecorder::WriteLine(char direction, double seconds, std::span<const std::uint8_t> bytes,
                             const char* note) {
  std::string line;
  line.reserve(16 + bytes.size() * 3);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%c %.6f", direction, seconds);
  line += buf;
  for (const std::uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, " %02x", b);
    line += buf;
  }
  if (note != nullptr) {
    line += ' ';
    line += note;
  }
  line += '\n';
  std::lock_guard lock(FileMutex());
  std::fputs(line.c_str(), file_);
  std::fflush(file_);
}

void LinkRecorder::FlushReceived() {
  if (received_.empty()) return;
  WriteLine('<', received_at_, received_, nullptr);
  received_.clear();
}

void LinkRecorder::Sent(std::span<const std::uint8_t> bytes) {
  if (file_ == nullptr) return;
  FlushReceived();
  WriteLine('>', Now(), bytes, nullptr);
}

void LinkRecorder::Received(std::span<const std::uint8_t> bytes) {
  if (file_ == nullptr || bytes.empty()) return;
  if (received_.empty()) received_at_ = Now();
  received_.insert(received_.end(), bytes.begin(), bytes.end());
}

void LinkRecorder::Closed() {
  if (file_ == nullptr || closed_) return;
  closed_ = true;
  FlushReceived();
  WriteLine('!', Now(), {}, "closed");
}

}  // namespace tv::stationlib
