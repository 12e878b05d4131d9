#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "lib/common/clock.h"

namespace tv {

// Blinks one indicator: every period it flips the indicator's visibility
// through `set_visible` (hidden when it was shown, shown when it was hidden),
// starting from `initially_visible`. Runs on its own thread until Stop() or
// destruction; Stop() returns only when the callback can no longer be called.
class BlinkTask {
 public:
  using SetVisible = std::function<void(bool visible)>;

  BlinkTask(SetVisible set_visible, Clock& clock = DefaultClock(), bool initially_visible = false,
            Clock::Duration period = std::chrono::milliseconds{1000});
  ~BlinkTask();
  BlinkTask(const BlinkTask&) = delete;
  BlinkTask& operator=(const BlinkTask&) = delete;

  void Stop();
  bool Running() const { return running_.load(); }
  // Number of flips done so far.
  long Flips() const { return flips_.load(); }

 private:
  void Run(std::stop_token stop);

  SetVisible set_visible_;
  Clock& clock_;
  bool visible_;
  Clock::Duration period_;
  std::atomic<bool> running_{true};
  std::atomic<long> flips_{0};
  std::jthread thread_;
};

// Blinking tasks by name, registered in NamedHandles under kind 1 so that the
// owner of an indicator can find and stop the task another thread started.
//
// Starts a task under `name` unless one is already running there. Returns
// true when a new task was started.
bool StartNamedBlink(std::string_view name, BlinkTask::SetVisible set_visible,
                     Clock& clock = DefaultClock(), bool initially_visible = false);
// Stops and forgets the task registered under `name`. Returns true when a
// running task was stopped. The caller then sets the indicator's final look.
bool StopNamedBlink(std::string_view name);
// True when a task registered under `name` is running.
bool NamedBlinkRunning(std::string_view name);
// Number of named tasks alive (tests).
std::size_t NamedBlinkCount();

}  // namespace tv
