#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "lib/common/clock.h"
#include "lib/common/wakeable_sleep.h"

namespace tv {

// What a worker thread does, round after round.
struct WorkerParts {
  // The thread's name as the system shows it (15 bytes are kept).
  std::string name;
  // What the sleeps between rounds are measured on.
  Clock& clock;
  // One round of the work, on the worker thread. It returns how long to sleep
  // before the next round (a wake-up or the stop ends the sleep sooner;
  // zero: at once), or nullopt when the work is over for good (the thread
  // then ends). `stop` is the thread's: a long round looks at it.
  std::function<std::optional<Clock::Duration>(std::stop_token stop)> round;
  // Told (on the worker thread) the text of what escapes a round or
  // `finish`: the owner logs it. The thread goes on with its next round.
  // The same text escaping round after round is told once, until a round
  // ends normally.
  std::function<void(std::string_view reason)> escaped = {};
  // The sleep after a round that threw (read after it threw); one second
  // when empty.
  std::function<Clock::Duration()> after_escape = {};
  // Called by RequestStop, on the caller's thread, to cut short a wait the
  // round does on its own (a socket poll); the sleeps between rounds need
  // none.
  std::function<void()> interrupt = {};
  // Runs on the thread once its rounds are over (stop asked, or the work
  // over): an orderly goodbye.
  std::function<void()> finish = {};
};

// A thread that runs a round of work, sleeps on the injected clock (the sleep
// can be ended early by any thread), and runs the next round, until it is
// stopped. Nothing a round throws ends the thread: it is told to the owner
// and the next round runs. Start and Stop are called by the owner's thread;
// RequestStop, WakeBy and WakeNow by any thread (RequestStop not while the
// owner starts or stops it).
//
// A thread whose round calls into a window, where the call waits for the GUI
// thread, must not be joined by the GUI thread while it may be in such a
// call: that thread asks with RequestStop, and joins (Stop) once the window's
// worker calls return at once.
class WorkerThread {
 public:
  explicit WorkerThread(WorkerParts parts);
  // Stops the thread (Stop).
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Starts the thread; nothing when it runs already. After Stop it may be
  // started again.
  void Start();
  // Asks the thread to stop without waiting for it: it ends when its round
  // returns, or at once when it sleeps.
  void RequestStop();
  // Asks and waits for the thread to end. Nothing when it does not run;
  // asked from the thread itself (a round that stops its owner), it only
  // asks.
  void Stop();
  // True from Start to Stop, also once the work is over.
  bool Running() const { return thread_.joinable(); }

  // The current (or next) sleep between rounds ends at `t` (steady time)
  // at the latest; WakeNow ends it now.
  void WakeBy(Clock::SteadyPoint t) { sleep_.WakeBy(t); }
  void WakeNow() { sleep_.WakeNow(); }

 private:
  void Run(std::stop_token stop);
  void Tell(std::string_view reason);

  WorkerParts parts_;
  WakeableSleep sleep_;
  // The text last told; worker thread only.
  std::optional<std::string> last_escape_;
  std::jthread thread_;
};

}  // namespace tv
