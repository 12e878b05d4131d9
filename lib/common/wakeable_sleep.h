#pragma once

#include <mutex>
#include <optional>
#include <stop_token>

#include "lib/common/clock.h"

namespace tv {

// A sleep on a Clock that other threads can end early: a worker waits for
// what it waits for (a deadline, or a wake-up from the thread that has work
// for it) instead of waking on a fixed poll. One thread sleeps; any thread
// may wake it.
class WakeableSleep {
 public:
  explicit WakeableSleep(Clock& clock) : clock_(clock) {}
  WakeableSleep(const WakeableSleep&) = delete;
  WakeableSleep& operator=(const WakeableSleep&) = delete;

  // Sleeps until `d` has passed, until a wake-up time asked for with WakeBy
  // has come (one asked for before the call counts too), or until `stop`.
  // False when it ended because of `stop`.
  bool Sleep(Clock::Duration d, std::stop_token stop);

  // The current (or next) sleep ends at `t` (steady time) at the latest.
  void WakeBy(Clock::SteadyPoint t);
  void WakeNow() { WakeBy(clock_.SteadyNow()); }

 private:
  Clock& clock_;
  std::mutex mutex_;
  std::optional<Clock::SteadyPoint> wake_at_;
  // Cuts the clock sleep under way so that it is measured again.
  std::stop_source cut_;
};

}  // namespace tv
