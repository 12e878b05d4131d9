#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "stationlib/byte_stream.h"

namespace tv::stationlib {

// A console on a simulated steady clock. Each write is answered with bytes
// due at given times after it; the clock moves only when the link reads:
// to the next byte's time when it is due before the read's deadline, else to
// the deadline, and the read times out. A whole exchange, however long its
// time-outs, runs in microseconds of real time.
class TimedConsole final : public ByteStream {
 public:
  struct Arrival {
    std::chrono::milliseconds after;  // after the write that it answers
    std::string bytes;
  };
  // `nth` counts the writes of this same text so far (1 for the first).
  using Answer = std::function<std::vector<Arrival>(const std::string& written, int nth)>;

  explicit TimedConsole(Answer answer) : answer_(std::move(answer)) {}

  IoStatus Write(std::span<const std::uint8_t> data, Deadline) override {
    if (interrupted_.load()) return IoStatus::kInterrupted;
    const std::string text(data.begin(), data.end());
    const int nth = ++write_counts_[text];
    for (const Arrival& a : answer_(text, nth)) {
      for (const char c : a.bytes) pending_.emplace(now_ + a.after, static_cast<std::uint8_t>(c));
    }
    return IoStatus::kOk;
  }

  IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) override {
    got = 0;
    if (interrupted_.load()) return IoStatus::kInterrupted;
    if (pending_.empty() || pending_.begin()->first >= deadline) {
      if (deadline > now_) now_ = deadline;
      return IoStatus::kTimeout;
    }
    if (pending_.begin()->first > now_) now_ = pending_.begin()->first;
    while (got < out.size() && !pending_.empty() && pending_.begin()->first <= now_) {
      out[got++] = pending_.begin()->second;
      pending_.erase(pending_.begin());
    }
    return IoStatus::kOk;
  }

  IoStatus DiscardInput() override {
    if (interrupted_.load()) return IoStatus::kInterrupted;
    pending_.erase(pending_.begin(), pending_.upper_bound(now_));
    return IoStatus::kOk;
  }

  void Interrupt() override { interrupted_.store(true); }
  int BaudRate() const override { return 19200; }
  Deadline Now() const override { return now_; }

  std::chrono::microseconds Elapsed() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(now_ - kStart);
  }
  int Writes(const std::string& text) const {
    const auto it = write_counts_.find(text);
    return it == write_counts_.end() ? 0 : it->second;
  }

 private:
  // Far from the real clock's values, so that a deadline taken from the real
  // clock by mistake shows at once.
  static constexpr Deadline kStart = Deadline{} + std::chrono::hours(24 * 365);

  Answer answer_;
  Deadline now_ = kStart;
  std::multimap<Deadline, std::uint8_t> pending_;  // in order of arrival
  std::map<std::string, int> write_counts_;
  std::atomic<bool> interrupted_{false};
};

}  // namespace tv::stationlib
