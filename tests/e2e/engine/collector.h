#pragma once

// The collection engine with its five services and the real station library,
// as the end-to-end tests drive it: cycle by cycle from the test thread, on a
// clock that runs in real time (the library's time-outs are real) but that
// the test can move forward to skip the waits between cycles.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "gadget/engine/activity_log.h"
#include "gadget/engine/collection_engine.h"
#include "gadget/engine/current_data_service.h"
#include "gadget/engine/service_times.h"
#include "gadget/engine/services.h"
#include "gadget/engine/station_port.h"
#include "gadget/engine/station_record.h"
#include "gadget/pages/activity_page.h"
#include "gadget/window/memory_window.h"
#include "lib/common/clock.h"
#include "lib/common/service_tables.h"
#include "lib/config/config_table.h"
#include "tests/support/gui_thread_window.h"

namespace tv::testing {

// Real time plus a jump the test can make, so that periods can be skipped
// while the library still works in real time.
class SteppedClock final : public Clock {
 public:
  TimePoint Now() const override {
    std::lock_guard lock(mutex_);
    return std::chrono::system_clock::now() + offset_;
  }
  SteadyPoint SteadyNow() const override {
    std::lock_guard lock(mutex_);
    return DefaultClock().SteadyNow() + steady_offset_;
  }
  bool SleepFor(Duration d, std::stop_token stop) override {
    return DefaultClock().SleepFor(d, stop);
  }
  // Time passes: both faces move.
  void Jump(Clock::Duration d) {
    std::lock_guard lock(mutex_);
    offset_ += d;
    if (d.count() > 0) steady_offset_ += d;
  }
  // Sets the clock to the console's, as the simulator's "CLOCK" request gives
  // it ("OK 2024-06-21 14:00:00", local time), so that the console clock
  // check finds both agreeing. False when the reply is not a time.
  bool AlignWith(const std::string& clock_reply) {
    std::tm t{};
    if (std::sscanf(clock_reply.c_str(), "OK %d-%d-%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday,
                    &t.tm_hour, &t.tm_min, &t.tm_sec) != 6) {
      return false;
    }
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    const auto console = std::chrono::system_clock::from_time_t(std::mktime(&t));
    // The wall clock is set; no time passes.
    std::lock_guard lock(mutex_);
    offset_ += std::chrono::duration_cast<Clock::Duration>(
        console - std::chrono::system_clock::now() - offset_);
    return true;
  }

 private:
  mutable std::mutex mutex_;
  Clock::Duration offset_{0};
  Clock::Duration steady_offset_{0};
};

// The station library binding, counting the connection attempts.
class CountingStationPort final : public StationPort {
 public:
  int LoadLibrary() override { return library_.LoadLibrary(); }
  int Connect(int kind, const std::string& address, int timeout_ms) override {
    ++connects;
    return library_.Connect(kind, address, timeout_ms);
  }
  std::int32_t UsbSerialNumber() override { return library_.UsbSerialNumber(); }
  int IsNewLoopPackageSupported() override { return library_.IsNewLoopPackageSupported(); }
  int GetStationTime(StationDateTime* time) override { return library_.GetStationTime(time); }
  void Close(int kind) override { library_.Close(kind); }

  std::atomic<int> connects{0};

 private:
  LibraryStationPort library_;
};

inline float Celsius(double fahrenheit) {
  return static_cast<float>((fahrenheit - 32.0) * 5.0 / 9.0);
}

struct Collector {
  ConfigTable config;
  SteppedClock clock;
  CountingStationPort station;
  StationRecord record;
  ServiceSchedule schedule;
  ServiceFreshFlags flags;
  MemoryWindow window;
  // Everything the engine writes goes through a GUI thread, as on the desktop.
  GuiThreadWindow gui{window};
  ActivityPage activity_page{gui};
  ActivityLog log{activity_page, config, clock};
  ServiceTimesList service_times{activity_page};
  ServiceContext context{config, clock, record, log};
  CurrentDataService current_data{context};
  std::unique_ptr<CollectionEngine> engine;

  void Build() {
    RegisterServices(kServiceList, config, schedule, flags);
    engine = std::make_unique<CollectionEngine>(EngineParts{
        .config = config,
        .clock = clock,
        .station = station,
        .record = record,
        .schedule = schedule,
        .fresh_flags = flags,
        .log = log,
        .service_times = service_times,
        .services = MakeServiceTable(context, current_data),
        .show_link_state = [](int) {},
        .show_clock_tooltip =
            [this](std::string_view text) { gui.SetTooltip(Field::LastCollectValue, text); },
    });
  }
  // One cycle, then its wait skipped.
  void Cycle() { clock.Jump(std::chrono::milliseconds{engine->RunCycle()}); }
  ~Collector() {
    if (record.LinkConnected == 1) station.Close(record.LinkKind);
  }
};

}  // namespace tv::testing
