#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <stop_token>

namespace tv {

// The time source of every worker thread (collection engine, refresh thread,
// alarm thread, blinking). Production code uses SystemClock; tests use
// ManualClock so that hours of schedule run in microseconds without sleeping.
class Clock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;
  using Duration = std::chrono::milliseconds;

  virtual ~Clock() = default;

  // The local wall clock.
  virtual TimePoint Now() const = 0;

  // Sleeps for `d`, or less when `stop` is requested. Returns false when the
  // sleep ended because of the stop request, true when the time elapsed.
  virtual bool SleepFor(Duration d, std::stop_token stop = {}) = 0;

  // Whole seconds since the epoch, the resolution the program works in.
  long long NowSeconds() const;
  // Milliseconds since the epoch, for durations measured by the engine.
  long long NowMillis() const;
};

class SystemClock final : public Clock {
 public:
  TimePoint Now() const override;
  bool SleepFor(Duration d, std::stop_token stop = {}) override;
};

// The process-wide real clock.
Clock& DefaultClock();

// A clock that only moves when told to. Sleepers wake when Advance() carries
// the time past their deadline or when their stop token is requested.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(TimePoint start = TimePoint{std::chrono::seconds{1'700'000'000}});

  TimePoint Now() const override;
  bool SleepFor(Duration d, std::stop_token stop = {}) override;

  // Moves the time forward and wakes the sleepers whose deadline has come.
  void Advance(Duration d);
  void Set(TimePoint t);

  // Number of threads inside SleepFor whose deadline is still ahead.
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

  TimePoint now_;
  std::multiset<TimePoint> deadlines_;
};

}  // namespace tv
