#pragma once

#include <atomic>
#include <functional>
#include <string_view>

#include "gadget/engine/station_record.h"
#include "lib/common/clock.h"
#include "lib/common/service_tables.h"
#include "lib/common/worker_thread.h"

namespace tv {

// What the display refresh thread redraws: the value reset, and the view of
// each collected service. A view left empty is never drawn.
struct DisplayViews {
  std::function<void()> reset;
  std::function<void()> current_data;    // "CurrentData"
  std::function<void()> config_station;  // "ConfigStation"
  std::function<void()> hi_low;          // "HiLow"
  std::function<void()> calibration;     // "Calibration"
  std::function<void()> alarm;           // "Alarm"
};

// Time between two passes of the refresh thread until the station is
// reached.
inline constexpr Clock::Duration kDisplayRefreshPeriod{1000};
// How long after a fresh flag is raised its view is drawn: the services of
// one cycle that follow each other closely are drawn in one pass.
inline constexpr Clock::Duration kDisplayRefreshSettle{50};
// Longest sleep once the station has been reached, when no flag is raised.
inline constexpr Clock::Duration kDisplayRefreshIdle{std::chrono::hours{1}};

// The thread that redraws the views. Until the station has been reached the
// values keep their empty look (the reset, drawn at the first pass) and it
// looks once a second whether the link is up; from then on, for good, it
// sleeps until a fresh flag is raised and then redraws the view of each
// service whose flag is raised, kDisplayRefreshSettle after the raise. A
// flag is lowered before its view reads the record, so data stored while a
// view is being drawn is drawn again at the next pass.
class DisplayRefreshThread {
 public:
  // `after_view` is called on the thread after each view it has drawn, with
  // the service's name; `report` is told what escapes a pass or a view
  // ("Erreur interne (affichage des valeurs) : …", the activity log).
  // Everything given must outlive the thread; `flags` wakes it through its
  // raised callback, which this sets.
  DisplayRefreshThread(Clock& clock, const StationRecord& record, ServiceFreshFlags& flags,
                       DisplayViews views,
                       std::function<void(std::string_view service)> after_view = {},
                       std::function<void(std::string_view line)> report = {});
  ~DisplayRefreshThread();
  DisplayRefreshThread(const DisplayRefreshThread&) = delete;
  DisplayRefreshThread& operator=(const DisplayRefreshThread&) = delete;

  void Start();
  // Asks the thread to stop at its next wait, without waiting for it.
  void RequestStop();
  // Asks and waits (the current pass is finished first).
  void Stop();

  // One pass without its wait, on the calling thread (tests; never while the
  // thread runs). A view that throws leaves the others drawn; the first
  // exception is thrown again once they are.
  void RunPass();

  // True once any view has been drawn.
  bool DisplayFilled() const { return display_filled_; }

 private:
  // Before the station is reached, once a second; then until a raise.
  Clock::Duration NextSleep() const {
    return serving_ ? kDisplayRefreshIdle : kDisplayRefreshPeriod;
  }
  const std::function<void()>* ViewOf(std::string_view service) const;
  bool StationReached() const;

  Clock& clock_;
  const StationRecord& record_;
  ServiceFreshFlags& flags_;
  const DisplayViews views_;
  const std::function<void(std::string_view)> after_view_;
  const std::function<void(std::string_view)> report_;
  std::atomic<bool> display_filled_{false};
  // Set once the station has been reached; only the pass reads and writes it.
  bool serving_ = false;
  bool reset_drawn_ = false;
  WorkerThread worker_;
};

}  // namespace tv
