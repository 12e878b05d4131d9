#pragma once

// Accelerated time for long runs of the agent: each thread's clock skips its
// own waits (a 1 s wait passes in 5 ms of real time) while the time a station
// call takes stays real, so a cycle is judged long or short on what it really
// took and the station library's time-outs are real. And the station library
// binding with each cycle's start (the engine loads the library at every
// cycle) and each connection attempt counted.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

#include "gadget/engine/station_port.h"
#include "lib/common/clock.h"

namespace tv::testing {

class AcceleratedClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::system_clock::now() + Skipped(); }
  SteadyPoint SteadyNow() const override { return DefaultClock().SteadyNow() + Skipped(); }
  bool SleepFor(Duration d, std::stop_token stop) override {
    if (d <= Duration::zero()) return !stop.stop_requested();
    Skipped() += d;
    const auto real = std::clamp<Duration>(d / 200, Duration{1}, Duration{10});
    return DefaultClock().SleepFor(real, stop);
  }

 private:
  static Duration& Skipped() {
    thread_local Duration skipped{0};
    return skipped;
  }
};

class WatchedStationPort final : public StationPort {
 public:
  using Steady = std::chrono::steady_clock;

  int LoadLibrary() override {
    const auto now = Steady::now();
    {
      std::lock_guard lock(mutex_);
      if (cycles_ > 0) longest_gap_ = std::max(longest_gap_, now - last_start_);
      last_start_ = now;
      ++cycles_;
    }
    return library_.LoadLibrary();
  }
  int Connect(int kind, const std::string& address, int timeout_ms) override {
    connects_.fetch_add(1);
    return library_.Connect(kind, address, timeout_ms);
  }
  std::int32_t UsbSerialNumber() override { return library_.UsbSerialNumber(); }
  int IsNewLoopPackageSupported() override { return library_.IsNewLoopPackageSupported(); }
  int GetStationTime(StationDateTime* time) override { return library_.GetStationTime(time); }
  void Close(int kind) override { library_.Close(kind); }

  // Cycles begun so far.
  long cycles() const {
    std::lock_guard lock(mutex_);
    return cycles_;
  }
  // The longest real time between the starts of two cycles.
  Steady::duration longest_gap() const {
    std::lock_guard lock(mutex_);
    return longest_gap_;
  }
  int connects() const { return connects_.load(); }

 private:
  LibraryStationPort library_;
  mutable std::mutex mutex_;
  long cycles_ = 0;
  Steady::time_point last_start_;
  Steady::duration longest_gap_{0};
  std::atomic<int> connects_{0};
};

}  // namespace tv::testing
