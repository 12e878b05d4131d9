#pragma once

#include <functional>
#include <map>
#include <stop_token>
#include <string>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/console_clock_check.h"
#include "gadget/engine/console_clock_set.h"
#include "gadget/engine/service_times.h"
#include "gadget/engine/station_port.h"
#include "gadget/engine/station_record.h"
#include "lib/common/clock.h"
#include "lib/common/service_tables.h"
#include "lib/common/worker_thread.h"
#include "lib/config/config_table.h"

namespace tv {

// A collection service: 1 when the run succeeded, 0 when it failed (the
// service reports its own failure).
using ServiceRun = std::function<int()>;
using ServiceTable = std::map<std::string, ServiceRun, std::less<>>;

// Shortest wait between two cycles in adaptive mode, and the bounds of the
// wait after a cycle whose station library could not be loaded.
inline constexpr long long kMinAdaptiveWaitMs = 2500;
inline constexpr long long kMaxLoadFailureWaitMs = 30000;
// A cycle longer than this (whole seconds) closes the link afterwards.
inline constexpr long long kLongCycleSeconds = 3;

// What the engine hands to its background work each connected cycle.
struct BackgroundTurn {
  // True in the first cycle after the link was opened (start, reconnection).
  bool just_connected = false;
  // True once the work should end its turn: a service is due, or a stop was asked.
  std::function<bool()> should_yield;
};

// What the collection engine works with. Everything must outlive the engine.
struct EngineParts {
  const ConfigTable& config;
  Clock& clock;
  StationPort& station;
  StationRecord& record;
  ServiceSchedule& schedule;
  ServiceFreshFlags& fresh_flags;
  ActivityLog& log;
  ServiceTimesList& service_times;
  ServiceTable services;
  // Shows the link state (0 down, 1 up, 3 exchanging, 4 exchange finished).
  std::function<void(int)> show_link_state;
  // Shows what the console clock check finds ("" when the clocks agree).
  std::function<void(std::string_view)> show_clock_tooltip = {};
  // Called on the collection thread after each cycle of the running engine.
  std::function<void()> after_cycle = {};
  // Work of its own that runs on the collection thread while the link is up,
  // after the services of a cycle (the archive catch-up). It must give the
  // thread back as soon as `turn.should_yield()` says so (a service is due or
  // the engine is stopping), and never throw.
  std::function<void(const BackgroundTurn& turn)> background_work = {};
};

// The background collection: in an endless loop of cycles it loads the
// station library, opens the link when it is closed, runs each registered
// service whose time has come, closes the link after a long cycle and waits.
class CollectionEngine {
 public:
  explicit CollectionEngine(EngineParts parts);
  ~CollectionEngine();

  CollectionEngine(const CollectionEngine&) = delete;
  CollectionEngine& operator=(const CollectionEngine&) = delete;

  // Starts the collection thread.
  void Start();
  // Asks the thread to stop without waiting for it: it ends at its next
  // wait, before its next service or connection attempt. Closing the link as
  // well ends a running station call at once (the orderly quit does both).
  void RequestStop();
  // Asks and waits; the thread ends within its current bounded station call.
  void Stop();

  // One cycle without its wait; returns the wait in milliseconds that
  // follows it. Sets the connection status text before the first cycle.
  long long RunCycle();

  // Sets the console's clock from the computer's in the next cycle that
  // reaches the console (the tray menu's entry). Any thread.
  void RequestConsoleClockSet() { clock_set_.Request(); }

  // Postponement announced after the last cycle, in seconds.
  long long Postponement() const { return postponement_; }

 private:
  // One round of the collection thread: a cycle and the caller's hook.
  std::optional<Clock::Duration> Round(std::stop_token stop);
  void Connect();
  // How many services ran in one cycle, and how many of them succeeded.
  struct ServiceOutcome {
    int ran = 0;
    int succeeded = 0;
  };
  ServiceOutcome RunServices(long long cycle_start);
  long long WaitAfter(long long cycle_start_ms, bool library_loaded);
  void RunBackgroundWork(bool just_connected);
  void SetConsoleClockIfDue(const std::optional<StationDateTime>& console);

  EngineParts parts_;
  ConsoleClockCheck clock_check_;
  ConsoleClockSetter clock_set_;
  long long refresh_ms_ = 0;
  long long offset_service_ = 0;
  bool initialised_ = false;
  long long postponement_ = 0;
  bool was_connected_ = false;
  std::stop_token stop_;  // the running thread's; empty when cycles are run directly
  WorkerThread worker_;
};

}  // namespace tv
