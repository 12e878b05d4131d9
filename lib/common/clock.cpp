#include "lib/common/clock.h"

#include <time.h>

#include <algorithm>

namespace tv {

long long Clock::NowSeconds() const {
  return std::chrono::duration_cast<std::chrono::seconds>(Now().time_since_epoch()).count();
}

long long Clock::SteadySeconds() const {
  return std::chrono::duration_cast<std::chrono::seconds>(SteadyNow().time_since_epoch()).count();
}

long long Clock::SteadyMillis() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyNow().time_since_epoch())
      .count();
}

Clock::TimePoint SystemClock::Now() const {
  return std::chrono::system_clock::now();
}

Clock::SteadyPoint SystemClock::SteadyNow() const {
  // The time since boot, suspended time included: after a resume the
  // schedule knows how long the desktop slept and runs what fell due, while
  // a wall clock that is set moves it neither way.
  timespec ts{};
  if (::clock_gettime(CLOCK_BOOTTIME, &ts) != 0) return std::chrono::steady_clock::now();
  return SteadyPoint{std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::seconds{ts.tv_sec} + std::chrono::nanoseconds{ts.tv_nsec})};
}

bool SystemClock::SleepFor(Duration d, std::stop_token stop) {
  return SleepUntil(SteadyNow() + d, stop);
}

bool SystemClock::SleepUntil(SteadyPoint t, std::stop_token stop) {
  return SleepUntilOnFace(
      t, stop, [this] { return SteadyNow(); }, slice_);
}

bool SleepUntilOnFace(Clock::SteadyPoint deadline, std::stop_token stop,
                      const std::function<Clock::SteadyPoint()>& face, Clock::Duration slice) {
  std::mutex m;
  std::condition_variable_any cv;
  std::unique_lock lock(m);
  const Clock::Duration longest = std::max(slice, Clock::Duration{1});
  for (;;) {
    if (stop.stop_requested()) return false;
    const Clock::SteadyPoint now = face();
    if (now >= deadline) return true;
    const Clock::Duration nap =
        std::min(std::chrono::ceil<Clock::Duration>(deadline - now), longest);
    // The wait ends early only for the stop: nothing else notifies it.
    cv.wait_for(lock, stop, nap, [] { return false; });
  }
}

bool Clock::SleepUntil(SteadyPoint t, std::stop_token stop) {
  const SteadyPoint now = SteadyNow();
  if (t <= now) return !stop.stop_requested();
  return SleepFor(std::chrono::ceil<Duration>(t - now), stop);
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

ManualClock::ManualClock(TimePoint start)
    : now_(start),
      steady_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          start.time_since_epoch())) {}

Clock::TimePoint ManualClock::Now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

Clock::SteadyPoint ManualClock::SteadyNow() const {
  std::lock_guard lock(mutex_);
  return steady_;
}

bool ManualClock::SleepFor(Duration d, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  return SleepUntilLocked(steady_ + d, stop, lock);
}

bool ManualClock::SleepUntil(SteadyPoint deadline, std::stop_token stop) {
  std::unique_lock lock(mutex_);
  return SleepUntilLocked(deadline, stop, lock);
}

bool ManualClock::SleepUntilLocked(SteadyPoint deadline, std::stop_token stop,
                                   std::unique_lock<std::mutex>& lock) {
  auto slot = deadlines_.emplace(deadline, stop);
  changed_.notify_all();
  bool elapsed;
  if (stop.stop_possible()) {
    elapsed = changed_.wait(lock, stop, [&] { return steady_ >= deadline; });
  } else {
    changed_.wait(lock, [&] { return steady_ >= deadline; });
    elapsed = true;
  }
  deadlines_.erase(slot);
  changed_.notify_all();
  return elapsed;
}

void ManualClock::Advance(Duration d) {
  std::lock_guard lock(mutex_);
  if (d.count() > 0) steady_ += d;
  now_ += d;
  changed_.notify_all();
}

void ManualClock::Set(TimePoint t) {
  std::lock_guard lock(mutex_);
  if (t > now_) steady_ += t - now_;
  now_ = t;
  changed_.notify_all();
}

void ManualClock::StepWall(Duration d) {
  std::lock_guard lock(mutex_);
  now_ += d;
  changed_.notify_all();
}

std::size_t ManualClock::PendingSleepers() const {
  // Sleepers whose deadline has passed, or whose stop was asked for, are
  // about to wake and do not count.
  return static_cast<std::size_t>(
      std::count_if(deadlines_.upper_bound(steady_), deadlines_.end(),
                    [](const auto& sleeper) { return !sleeper.second.stop_requested(); }));
}

std::size_t ManualClock::Sleepers() const {
  std::lock_guard lock(mutex_);
  return PendingSleepers();
}

bool ManualClock::WaitForSleepers(std::size_t n, std::chrono::milliseconds real_timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, real_timeout, [&] { return PendingSleepers() >= n; });
}

}  // namespace tv
