#include "gadget/pages/display_refresh_thread.h"

#include <string>
#include <utility>

#include "lib/common/thread_name.h"

namespace tv {

DisplayRefreshThread::DisplayRefreshThread(Clock& clock, const StationRecord& record,
                                           ServiceFreshFlags& flags, DisplayViews views,
                                           std::function<void(std::string_view)> after_view)
    : clock_(clock),
      record_(record),
      flags_(flags),
      views_(std::move(views)),
      after_view_(std::move(after_view)),
      sleep_(clock) {
  flags_.SetRaisedCallback([this] { sleep_.WakeBy(clock_.SteadyNow() + kDisplayRefreshSettle); });
}

DisplayRefreshThread::~DisplayRefreshThread() {
  Stop();
  flags_.SetRaisedCallback({});
}

void DisplayRefreshThread::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void DisplayRefreshThread::RequestStop() {
  thread_.request_stop();
}

void DisplayRefreshThread::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

void DisplayRefreshThread::Loop(std::stop_token stop) {
  NameThisThread("refresh");
  while (!stop.stop_requested()) {
    // Nothing that fails in a pass ends the thread.
    try {
      RunPass();
    } catch (...) {
    }
    // Before the station is reached, once a second; then until a raise.
    sleep_.Sleep(serving_ ? kDisplayRefreshIdle : kDisplayRefreshPeriod, stop);
  }
}

const std::function<void()>* DisplayRefreshThread::ViewOf(std::string_view service) const {
  if (service == "CurrentData") return &views_.current_data;
  if (service == "ConfigStation") return &views_.config_station;
  if (service == "HiLow") return &views_.hi_low;
  if (service == "Calibration") return &views_.calibration;
  if (service == "Alarm") return &views_.alarm;
  return nullptr;
}

// The station has been reached when the link is up, or when a service has
// collected since (a link that came up and went down again between two
// passes leaves its flags raised).
bool DisplayRefreshThread::StationReached() const {
  if (record_.LinkConnected == 1 || display_filled_) return true;
  for (const std::string& name : flags_.Names()) {
    if (flags_.IsRaised(name)) return true;
  }
  return false;
}

void DisplayRefreshThread::RunPass() {
  if (!serving_) {
    if (!StationReached()) {
      // The empty look is drawn once: nothing else writes the values before
      // the station is reached, so drawing it again every second would only
      // cost a hundred blocking window calls a second for the same picture.
      if (!reset_drawn_ && views_.reset) views_.reset();
      reset_drawn_ = true;
      return;
    }
    serving_ = true;
  }
  for (const std::string& name : flags_.Names()) {
    // Lowered before the view reads the record: a run stored meanwhile
    // raises it again and is drawn at the next pass.
    if (!flags_.TakeRaised(name)) continue;
    const std::function<void()>* view = ViewOf(name);
    if (view == nullptr || !*view) continue;
    // A view that fails is drawn again with its next data; the others are
    // drawn all the same.
    try {
      (*view)();
    } catch (...) {
      continue;
    }
    display_filled_ = true;
    if (after_view_) after_view_(name);
  }
}

}  // namespace tv
