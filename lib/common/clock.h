#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <stop_token>

namespace tv {

// The time source of every worker thread (collection engine, refresh thread,
// alarm thread, blinking). Production code uses SystemClock; tests use
// ManualClock so that hours of schedule run in microseconds without sleeping.
//
// It has two faces. The wall clock is what is shown and logged; it jumps when
// the user, NTP, a resume from suspend or a daylight-saving change sets it.
// The steady clock only moves forward with the time that passes: every
// duration, deadline and next-run time is measured on it, so a wall clock set
// an hour forward or back neither stalls the schedule nor makes a wait last
// an hour.
class Clock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;
  using SteadyPoint = std::chrono::steady_clock::time_point;
  using Duration = std::chrono::milliseconds;

  virtual ~Clock() = default;

  // The local wall clock.
  virtual TimePoint Now() const = 0;
  // The monotonic clock (on the desktop: time since boot, suspend included).
  virtual SteadyPoint SteadyNow() const = 0;

  // Sleeps for `d` of steady time, or less when `stop` is requested. Returns
  // false when the sleep ended because of the stop request, true when the
  // time elapsed.
  virtual bool SleepFor(Duration d, std::stop_token stop = {}) = 0;
  // Sleeps until the steady clock reads `t` (not at all when it already
  // does), or less when `stop` is requested; returns as SleepFor does. A
  // deadline, unlike a duration, stays right when time passes between the
  // caller reading the clock and the sleep beginning.
  virtual bool SleepUntil(SteadyPoint t, std::stop_token stop = {});

  // Whole seconds of the wall clock since the epoch, for what is shown.
  long long NowSeconds() const;
  // Whole seconds and milliseconds of the steady clock, for durations and
  // schedules (their origin means nothing; only differences do).
  long long SteadySeconds() const;
  long long SteadyMillis() const;
};

// The longest stretch a SystemClock sleep naps before it reads its steady
// face again.
inline constexpr Clock::Duration kSystemSleepSlice{1000};

// The computer's clocks: the wall clock, and the time since boot with the
// suspended time included as the steady face. The system's timed waits do
// not count suspended time, so a sleep naps in slices and reads the steady
// face after each: one whose deadline passed while the computer slept ends
// within a slice of the resume, not after the whole sleep again.
class SystemClock final : public Clock {
 public:
  explicit SystemClock(Duration slice = kSystemSleepSlice) : slice_(slice) {}

  TimePoint Now() const override;
  SteadyPoint SteadyNow() const override;
  bool SleepFor(Duration d, std::stop_token stop = {}) override;
  bool SleepUntil(SteadyPoint t, std::stop_token stop = {}) override;

 private:
  const Duration slice_;
};

// Sleeps until `face` reads `deadline`, in naps of at most `slice` of the
// system's own timed wait, reading `face` again after each; or less when
// `stop` is requested. Returns as Clock::SleepFor does. SystemClock sleeps
// with it on its steady face.
bool SleepUntilOnFace(Clock::SteadyPoint deadline, std::stop_token stop,
                      const std::function<Clock::SteadyPoint()>& face, Clock::Duration slice);

// The process-wide real clock.
Clock& DefaultClock();

// A clock that only moves when told to. Sleepers wake when Advance() carries
// the time past their deadline or when their stop token is requested. Both
// faces start at `start` (the steady one counted from its own origin) and
// move together, except through StepWall.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(TimePoint start = TimePoint{std::chrono::seconds{1'700'000'000}});

  TimePoint Now() const override;
  SteadyPoint SteadyNow() const override;
  bool SleepFor(Duration d, std::stop_token stop = {}) override;
  bool SleepUntil(SteadyPoint t, std::stop_token stop = {}) override;

  // Lets `d` of time pass on both faces and wakes the sleepers whose
  // deadline has come.
  void Advance(Duration d);
  // Lets time pass until the wall clock reads `t` (nothing passes when `t`
  // is behind it: the wall clock is then set back, as StepWall does).
  void Set(TimePoint t);
  // Sets the wall clock forward (or back, when negative) by `d` without any
  // time passing: the steady face and the sleepers do not move.
  void StepWall(Duration d);

  // Number of threads inside SleepFor whose deadline is still ahead and
  // whose stop has not been asked for (one woken early is about to wake).
  std::size_t Sleepers() const;
  // Waits (in real time, at most `real_timeout`) until at least `n` threads
  // sleep with a deadline still ahead. Returns false on time-out. Lets a test hand over to a worker
  // thread and know it has reached its next sleep before moving time.
  bool WaitForSleepers(std::size_t n,
                       std::chrono::milliseconds real_timeout = std::chrono::milliseconds{
                           5000}) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable_any changed_;
  std::size_t PendingSleepers() const;
  bool SleepUntilLocked(SteadyPoint deadline, std::stop_token stop,
                        std::unique_lock<std::mutex>& lock);

  TimePoint now_;
  SteadyPoint steady_;
  std::multimap<SteadyPoint, std::stop_token> deadlines_;
};

}  // namespace tv
