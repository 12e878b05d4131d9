#pragma once

// A collection engine wired to a fake console and fake services, in
// simulated time.

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/collection_engine.h"
#include "gadget/engine/service_times.h"
#include "gadget/engine/station_port.h"
#include "gadget/engine/station_record.h"
#include "gadget/pages/activity_page.h"
#include "gadget/window/memory_window.h"
#include "lib/common/clock.h"
#include "lib/common/service_tables.h"
#include "lib/config/config_table.h"
#include "tests/support/gui_thread_window.h"

namespace tv::testing {

// Times in the expected texts are written in UTC.
inline void UseUtc() {
  static const bool done = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
  }();
  (void)done;
}

// The console's date and time when its clock shows `seconds` of local time.
inline StationDateTime ConsoleTime(long long seconds) {
  const auto when = static_cast<std::time_t>(seconds);
  std::tm t{};
  localtime_r(&when, &t);
  return {t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon + 1, t.tm_year + 1900};
}

class FakeStation final : public StationPort {
 public:
  int LoadLibrary() override {
    if (on_load) on_load();
    std::lock_guard lock(mutex);
    ++loads;
    return load_result;
  }
  int Connect(int kind, const std::string& address, int timeout_ms) override {
    std::lock_guard lock(mutex);
    connects.push_back({kind, address, timeout_ms});
    if (connect_results.empty()) return 1;
    const int code = connect_results.front();
    connect_results.pop_front();
    return code;
  }
  std::int32_t UsbSerialNumber() override { return usb_serial; }
  int IsNewLoopPackageSupported() override { return loop_supported; }
  int GetStationTime(StationDateTime* time) override {
    if (station_time_result == 1) *time = station_time;
    return station_time_result;
  }
  void Close(int kind) override {
    std::lock_guard lock(mutex);
    closes.push_back(kind);
  }
  int SetStationTime(const StationDateTime& time, int second) override {
    std::lock_guard lock(mutex);
    clock_sets.push_back({time, second});
    return set_time_result;
  }

  struct ConnectCall {
    int kind;
    std::string address;
    int timeout_ms;
    bool operator==(const ConnectCall&) const = default;
  };

  std::mutex mutex;
  int load_result = 1;
  int loads = 0;
  std::deque<int> connect_results;  // 1 when empty
  std::vector<ConnectCall> connects;
  std::vector<int> closes;
  struct ClockSet {
    StationDateTime time;
    int second;
  };
  std::vector<ClockSet> clock_sets;
  int set_time_result = 1;
  std::int32_t usb_serial = 0;
  int loop_supported = 1;
  StationDateTime station_time{5, 7, 3, 2, 2010};
  // Anything else fails without filling the time.
  int station_time_result = 1;
  // Runs at every library load (a slow load advances the clock).
  std::function<void()> on_load;
};

struct EngineRig {
  ConfigTable config;
  ManualClock clock;
  FakeStation station;
  StationRecord record;
  ServiceSchedule schedule;
  ServiceFreshFlags flags;
  MemoryWindow window;
  // Everything the engine writes goes through a GUI thread, as on the desktop.
  GuiThreadWindow gui{window};
  ActivityPage activity_page{gui};
  ActivityLog log{activity_page, config, clock};
  ServiceTimesList service_times{activity_page};

  std::mutex mutex;
  std::vector<std::string> runs;         // services in the order they ran
  std::vector<int> link_states;          // every ShowLinkState
  std::map<std::string, int> results;    // 1 when absent
  std::map<std::string, int> durations;  // seconds a run takes
  // The wall clock set forward or back during the next run of a service.
  std::map<std::string, std::chrono::milliseconds> wall_steps;
  // Given to the engine as its after-cycle hook when set before Build.
  std::function<void()> after_cycle;
  std::unique_ptr<CollectionEngine> engine;

  EngineRig() {
    UseUtc();
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@22222");
    config.Set("CONSOLE", "ConnectionTimeout", "5");
  }

  // Registers the services that have a "SERVICES_" key and builds the engine.
  void Build(std::vector<std::string> extra_services = {}) {
    RegisterServices(kServiceList, config, schedule, flags);
    ServiceTable table;
    std::vector<std::string> names{"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"};
    names.insert(names.end(), extra_services.begin(), extra_services.end());
    for (const std::string& name : names) {
      table[name] = [this, name] {
        int result = 1;
        int duration = 0;
        std::chrono::milliseconds step{0};
        {
          std::lock_guard lock(mutex);
          runs.push_back(name);
          if (auto it = results.find(name); it != results.end()) result = it->second;
          if (auto it = durations.find(name); it != durations.end()) duration = it->second;
          if (auto it = wall_steps.find(name); it != wall_steps.end()) {
            step = it->second;
            wall_steps.erase(it);
          }
        }
        clock.Advance(std::chrono::seconds{duration});
        clock.StepWall(step);
        return result;
      };
    }
    engine = std::make_unique<CollectionEngine>(EngineParts{
        .config = config,
        .clock = clock,
        .station = station,
        .record = record,
        .schedule = schedule,
        .fresh_flags = flags,
        .log = log,
        .service_times = service_times,
        .services = std::move(table),
        .show_link_state =
            [this](int state) {
              std::lock_guard lock(mutex);
              link_states.push_back(state);
            },
        .show_clock_tooltip =
            [this](std::string_view text) { gui.SetTooltip(Field::LastCollectValue, text); },
        .after_cycle = after_cycle,
    });
  }

  // One cycle followed by its wait in simulated time; returns the wait.
  long long Cycle() {
    const long long wait = engine->RunCycle();
    clock.Advance(std::chrono::milliseconds{wait});
    return wait;
  }

  std::vector<std::string> TakeRuns() {
    std::lock_guard lock(mutex);
    return std::exchange(runs, {});
  }
  std::vector<int> TakeLinkStates() {
    std::lock_guard lock(mutex);
    return std::exchange(link_states, {});
  }
  long long Now() const { return clock.NowSeconds(); }
};

}  // namespace tv::testing
