#include "gadget/engine/collection_engine.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <utility>

#include "lib/common/escape_edge.h"

namespace tv {

CollectionEngine::CollectionEngine(EngineParts parts)
    : parts_(std::move(parts)),
      clock_check_(parts_.log, parts_.show_clock_tooltip),
      clock_set_(parts_.config, parts_.clock, parts_.log),
      worker_(WorkerParts{
          .name = "collection",
          .clock = parts_.clock,
          .round = [this](std::stop_token stop) { return Round(stop); },
          .escaped =
              [this](std::string_view reason) {
                parts_.log.Notify(std::string(kEngineLogPrefix) + std::string(reason));
              },
          .after_escape = [] { return Clock::Duration{kMinAdaptiveWaitMs}; },
      }) {
  if (!parts_.show_link_state) parts_.show_link_state = [](int) {};
}

CollectionEngine::~CollectionEngine() {
  Stop();
}

void CollectionEngine::Start() {
  worker_.Start();
}

void CollectionEngine::RequestStop() {
  worker_.RequestStop();
}

void CollectionEngine::Stop() {
  worker_.Stop();
}

std::optional<Clock::Duration> CollectionEngine::Round(std::stop_token stop) {
  stop_ = stop;
  // The hook is the caller's code and runs after a cycle that threw as well;
  // what either throws reaches the thread's edge, the cycle's first.
  std::exception_ptr failed;
  long long wait_ms = kMinAdaptiveWaitMs;
  try {
    wait_ms = RunCycle();
  } catch (...) {
    failed = std::current_exception();
  }
  try {
    if (parts_.after_cycle) parts_.after_cycle();
  } catch (...) {
    if (!failed) throw;
  }
  if (failed) std::rethrow_exception(failed);
  return Clock::Duration{wait_ms};
}

long long CollectionEngine::RunCycle() {
  if (!initialised_) {
    refresh_ms_ = parts_.config.Number("GENERAL_RefreshServices") * 1000;
    offset_service_ = parts_.config.Number("CONSOLE_OffsetService");
    parts_.log.SetConnectionStatusText("Initialisation de la connexion");
    initialised_ = true;
  }
  postponement_ = 0;
  // Counted afresh every cycle, a cycle that cannot load the library
  // included, so the alarms never act on an earlier cycle's success.
  parts_.record.CycleSuccessCount = 0;
  // Durations and next-run times are steady seconds: a wall clock set
  // forward or back in the middle of a cycle changes neither.
  const long long load_start = parts_.clock.SteadySeconds();

  if (parts_.station.LoadLibrary() != 1) {
    parts_.log.Notify("Erreur d'ouverture de la librairie libvantagepro.so");
    return WaitAfter(load_start, false);
  }
  // The cycle is timed from after the library load: writing and loading the
  // library neither counts toward a long cycle nor delays a service that is
  // due.
  const long long cycle_start = parts_.clock.SteadySeconds();

  if (parts_.record.LinkConnected == 0 && !stop_.stop_requested()) Connect();

  // A connected cycle in which every service that ran failed means the link
  // is most likely gone (a dropped connection, an unplugged logger): it is
  // closed like a long cycle's, so that the next cycle connects afresh
  // instead of failing on a dead link for ever.
  bool all_failed = false;
  const bool just_connected = parts_.record.LinkConnected == 1 && !was_connected_;
  if (parts_.record.LinkConnected == 1) {
    parts_.show_link_state(3);
    if (parts_.station.IsNewLoopPackageSupported() == 0) {
      parts_.log.Notify(std::string(kEngineLogPrefix) +
                        "La console ne supporte pas la fonction Loop Package.");
    }
    // A read that fails without filling the record keeps the previous time.
    StationDateTime time;
    parts_.record.Update([&](StationData& d) { time = d.StationTime; });
    const bool time_read = parts_.station.GetStationTime(&time) == 1;
    const long long time_read_at = parts_.clock.NowSeconds();
    parts_.record.Update([&](StationData& d) { d.StationTime = time; });
    const ServiceOutcome outcome = RunServices(cycle_start);
    all_failed = outcome.ran > 0 && outcome.succeeded == 0;
    if (time_read) clock_check_.Check(time, time_read_at);
    if (!all_failed) SetConsoleClockIfDue(time_read ? std::optional(time) : std::nullopt);
    if (!all_failed && parts_.background_work) RunBackgroundWork(just_connected);
    parts_.log.SetServiceStatusText("---");
    parts_.show_link_state(1);
  } else {
    parts_.show_link_state(0);
  }

  if (parts_.record.LinkConnected == 1 &&
      (all_failed || parts_.clock.SteadySeconds() - cycle_start > kLongCycleSeconds)) {
    parts_.station.Close(parts_.record.LinkKind);
    parts_.record.LinkConnected = 0;
    parts_.show_link_state(4);
  } else if (parts_.record.LinkConnected == 0) {
    parts_.show_link_state(0);
  }
  was_connected_ = parts_.record.LinkConnected == 1;
  return WaitAfter(cycle_start, true);
}

void CollectionEngine::SetConsoleClockIfDue(const std::optional<StationDateTime>& console) {
  // The console's own time zone counts once its configuration has been read.
  std::optional<TimeZoneSettings> zone;
  if (parts_.schedule.NextRun("ConfigStation") > 0) {
    parts_.record.Update([&](StationData& d) { zone = d.Config.TimeZone; });
  }
  clock_set_.AfterClockRead(parts_.station, console, zone ? &*zone : nullptr);
}

void CollectionEngine::RunBackgroundWork(bool just_connected) {
  BackgroundTurn turn;
  turn.just_connected = just_connected;
  turn.should_yield = [this] {
    if (stop_.stop_requested()) return true;
    const long long now = parts_.clock.SteadySeconds();
    for (const ServiceSchedule::Entry& entry : parts_.schedule.Entries()) {
      if (entry.next_run <= now && parts_.services.contains(entry.name)) return true;
    }
    return false;
  };
  // The caller's work must not throw; if it does, the cycle is finished all
  // the same (its link state shown, a long cycle's link closed).
  CatchAtEdge(
      [this](std::string_view reason) {
        parts_.log.Notify(std::string(kEngineLogPrefix) + std::string(reason));
      },
      [&] { parts_.background_work(turn); });
}

void CollectionEngine::Connect() {
  std::string address = parts_.config.Value("CONSOLE_adresse");
  const std::string type = parts_.config.Value("CONSOLE_type");
  parts_.log.SetConnectionStatusText("Tentative de connexion : " + type + " : " + address);

  int kind = parts_.record.LinkKind;
  if (type == "USB") {
    kind = kLinkUsb;
    if (address == "auto") address = std::to_string(parts_.station.UsbSerialNumber());
  } else if (type == "IP") {
    kind = kLinkTcpIp;
  } else if (type == "SERIAL") {
    kind = kLinkSerial;
  }
  parts_.record.LinkKind = kind;

  const long long timeout_ms =
      std::clamp<long long>(parts_.config.Number("CONSOLE_ConnectionTimeout") * 1000, 0LL,
                            static_cast<long long>(INT32_MAX));
  const int code = parts_.station.Connect(kind, address, static_cast<int>(timeout_ms));
  if (code == 1) {
    parts_.record.LinkConnected = 1;
    parts_.log.SetConnectionStatusText("OK:\n" + type + " : " + address);
    return;
  }
  parts_.record.LinkConnected = 0;
  parts_.log.SetConnectionStatusText("Impossible de se connecter à la console :\n" + type + " : " +
                                     address);
  parts_.log.Notify("Impossible de se connecter à la console !");
  parts_.log.Notify("Type : " + type + " | Adresse : " + address);
  parts_.log.Notify(ResultCodeText(code));
}

CollectionEngine::ServiceOutcome CollectionEngine::RunServices(long long cycle_start) {
  ServiceOutcome outcome;
  // Every registered service in list order, gaps in the positions included:
  // a service left out of the configuration never hides the ones after it.
  for (const ServiceSchedule::Entry& entry : parts_.schedule.Entries()) {
    // A stop asked meanwhile (the link is being closed) leaves the rest of
    // the cycle undone.
    if (stop_.stop_requested()) break;
    if (entry.next_run > cycle_start) continue;
    const auto service = parts_.services.find(entry.name);
    if (service == parts_.services.end()) continue;

    parts_.log.SetServiceStatusText(entry.name);
    ++outcome.ran;
    if (service->second() == 1) {
      ++outcome.succeeded;
      parts_.fresh_flags.Raise(entry.name);
      const long long period = parts_.config.Number("SERVICES_" + entry.name);
      parts_.schedule.SetNextRun(entry.name, parts_.clock.SteadySeconds() + period);
      // The service list shows wall times.
      const long long wall_now = parts_.clock.NowSeconds();
      parts_.service_times.Show(entry.name, wall_now, wall_now + period);
      if (entry.name == "CurrentData" || entry.name == "Alarm") ++parts_.record.CycleSuccessCount;
    } else {
      postponement_ += offset_service_;
    }
  }
  return outcome;
}

long long CollectionEngine::WaitAfter(long long cycle_start, bool library_loaded) {
  // A negative period would make the loop spin: it selects the adaptive wait too.
  if (refresh_ms_ > 0) return refresh_ms_;

  const long long now = parts_.clock.SteadySeconds();
  long long wait_ms = std::max(kMinAdaptiveWaitMs, (now - cycle_start) * 1000);
  if (!library_loaded) wait_ms = std::min(wait_ms, kMaxLoadFailureWaitMs);
  parts_.log.SetServiceStatusText(
      "Prochaine collecte des données dans " + std::to_string(wait_ms / 1000) + " secondes. " +
      FormatNextCollectTime(parts_.clock.NowSeconds() + wait_ms / 1000 + postponement_));
  return wait_ms;
}

}  // namespace tv
