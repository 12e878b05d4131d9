#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "stationlib/byte_stream.h"

namespace tv::stationlib {

// A console that answers each write at once through `answer`. Reads never
// wait: with nothing queued they time out, so a silent console costs no time.
class ScriptedConsole final : public ByteStream {
 public:
  using Answer = std::function<std::string(const std::string& written)>;
  explicit ScriptedConsole(Answer answer, std::vector<std::string>* log)
      : answer_(std::move(answer)), log_(log) {}
  ~ScriptedConsole() override {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }

  IoStatus Write(std::span<const std::uint8_t> data, Deadline) override {
    if (interrupted_) return IoStatus::kInterrupted;
    const std::string text(data.begin(), data.end());
    log_->push_back(text);
    for (const char c : answer_(text)) queue_.push_back(static_cast<std::uint8_t>(c));
    return IoStatus::kOk;
  }
  IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline) override {
    got = 0;
    if (interrupted_) return IoStatus::kInterrupted;
    if (queue_.empty()) return hang_up_when_empty_ ? IoStatus::kClosed : IoStatus::kTimeout;
    while (got < out.size() && !queue_.empty()) {
      out[got++] = queue_.front();
      queue_.pop_front();
    }
    return IoStatus::kOk;
  }
  IoStatus DiscardInput() override {
    if (interrupted_) return IoStatus::kInterrupted;
    queue_.clear();
    return IoStatus::kOk;
  }
  void Interrupt() override { interrupted_ = true; }
  int BaudRate() const override { return 19200; }

  bool hang_up_when_empty_ = false;
  // Set when the owner lets go of the stream (the descriptor would close).
  bool* destroyed_ = nullptr;

 private:
  Answer answer_;
  std::vector<std::string>* log_;
  std::deque<std::uint8_t> queue_;
  bool interrupted_ = false;
};

}  // namespace tv::stationlib
