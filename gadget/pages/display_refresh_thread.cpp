#include "gadget/pages/display_refresh_thread.h"

#include <exception>
#include <string>
#include <utility>

#include "lib/common/escape_edge.h"

namespace tv {

DisplayRefreshThread::DisplayRefreshThread(Clock& clock, const StationRecord& record,
                                           ServiceFreshFlags& flags, DisplayViews views,
                                           std::function<void(std::string_view)> after_view,
                                           std::function<void(std::string_view)> report)
    : clock_(clock),
      record_(record),
      flags_(flags),
      views_(std::move(views)),
      after_view_(std::move(after_view)),
      report_(std::move(report)),
      worker_(WorkerParts{
          .name = "refresh",
          .clock = clock,
          .round =
              [this](std::stop_token) {
                RunPass();
                return NextSleep();
              },
          .escaped =
              [this](std::string_view reason) {
                if (report_) report_(EdgeErrorLine("affichage des valeurs", reason));
              },
          .after_escape = [this] { return NextSleep(); },
      }) {
  flags_.SetRaisedCallback([this] { worker_.WakeBy(clock_.SteadyNow() + kDisplayRefreshSettle); });
}

DisplayRefreshThread::~DisplayRefreshThread() {
  Stop();
  flags_.SetRaisedCallback({});
}

void DisplayRefreshThread::Start() {
  worker_.Start();
}

void DisplayRefreshThread::RequestStop() {
  worker_.RequestStop();
}

void DisplayRefreshThread::Stop() {
  worker_.Stop();
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
  std::exception_ptr failed;
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
      if (!failed) failed = std::current_exception();
      continue;
    }
    display_filled_ = true;
    if (after_view_) after_view_(name);
  }
  if (failed) std::rethrow_exception(failed);
}

}  // namespace tv
