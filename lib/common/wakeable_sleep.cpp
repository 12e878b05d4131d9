#include "lib/common/wakeable_sleep.h"

#include <algorithm>

namespace tv {

bool WakeableSleep::Sleep(Clock::Duration d, std::stop_token stop) {
  const Clock::SteadyPoint end = clock_.SteadyNow() + d;
  for (;;) {
    std::stop_source cut;
    Clock::SteadyPoint until;
    {
      std::lock_guard lock(mutex_);
      if (stop.stop_requested()) return false;
      const Clock::SteadyPoint now = clock_.SteadyNow();
      until = wake_at_ ? std::min(end, *wake_at_) : end;
      if (now >= until) {
        if (wake_at_ && *wake_at_ <= now) wake_at_.reset();
        return true;
      }
      cut_ = std::stop_source{};
      cut = cut_;
    }
    // The thread's own stop ends the clock sleep as a wake-up does.
    const std::stop_callback on_stop(stop, [cut]() mutable { cut.request_stop(); });
    // Until the time itself, not for what was left of it: time that passes
    // in between is not slept twice.
    clock_.SleepUntil(until, cut.get_token());
  }
}

void WakeableSleep::WakeBy(Clock::SteadyPoint t) {
  std::lock_guard lock(mutex_);
  if (wake_at_ && *wake_at_ <= t) return;
  wake_at_ = t;
  cut_.request_stop();
}

}  // namespace tv
