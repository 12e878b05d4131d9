// What escapes a round of each worker thread is logged once and the thread
// goes on with its next round.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "gadget/alerts/alarm_evaluator.h"
#include "gadget/pages/display_refresh_thread.h"
#include "gadget/publish/mqtt_publisher.h"
#include "tests/unit/engine/engine_rig.h"
#include "tests/unit/publish/fake_mqtt_client.h"

namespace tv {
namespace {

using std::chrono::milliseconds;

// Lines told to the activity log by a worker.
struct Told {
  std::mutex mutex;
  std::vector<std::string> lines;
  std::function<void(std::string_view)> Sink() {
    return [this](std::string_view line) {
      std::lock_guard lock(mutex);
      lines.emplace_back(line);
    };
  }
  std::vector<std::string> Get() {
    std::lock_guard lock(mutex);
    return lines;
  }
};

// Throws in the first two calls, counts them all.
struct Faulty {
  std::atomic<int> calls{0};
  void Call() {
    if (calls.fetch_add(1) < 2) throw std::runtime_error("panne");
  }
};

struct Outcome {
  std::vector<std::string> lines;
  int rounds = 0;
};

// Three rounds of `clock` handed over to the worker, `step` apart.
void RunRounds(ManualClock& clock, milliseconds step, const std::function<void()>& before = {}) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(clock.WaitForSleepers(1));
    if (before) before();
    clock.Advance(step);
  }
  ASSERT_TRUE(clock.WaitForSleepers(1));
}

Outcome Engine() {
  testing::EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "1");
  Faulty faulty;
  rig.station.on_load = [&faulty] { faulty.Call(); };
  rig.Build();
  rig.engine->Start();
  RunRounds(rig.clock, milliseconds{kMinAdaptiveWaitMs});
  rig.engine->Stop();
  return {rig.window.Lines(Field::AppLogList), faulty.calls.load()};
}

Outcome Alarms() {
  ManualClock clock;
  MemoryWindow window({}, clock);
  ConfigTable config;
  StationRecord record;
  record.CycleSuccessCount = 2;
  Told told;
  Faulty faulty;
  AlarmEvaluator alarms(config, clock, record, window, nullptr, told.Sink());
  alarms.SetFoundListener([&faulty](const std::vector<FoundAlarm>&) { faulty.Call(); });
  alarms.Start();
  RunRounds(clock, kAlarmPeriod);
  alarms.Stop();
  return {told.Get(), faulty.calls.load()};
}

Outcome Refresh() {
  ManualClock clock;
  StationRecord record;
  record.LinkConnected = 1;
  ServiceFreshFlags flags;
  flags.Register("CurrentData");
  Told told;
  Faulty faulty;
  DisplayViews views;
  views.current_data = [&faulty] { faulty.Call(); };
  DisplayRefreshThread refresh(clock, record, flags, std::move(views), {}, told.Sink());
  flags.Raise("CurrentData");
  refresh.Start();
  RunRounds(clock, kDisplayRefreshSettle, [&flags] { flags.Raise("CurrentData"); });
  refresh.Stop();
  return {told.Get(), faulty.calls.load()};
}

Outcome Publisher() {
  ManualClock clock;
  testing::FakeBroker broker(clock);
  broker.connects_that_throw = 2;
  Told told;
  MqttSettings settings;
  settings.host = "127.0.0.1";
  MqttPublisher publisher(settings, clock, told.Sink(),
                          std::make_unique<testing::FakeMqttClient>(broker));
  publisher.Start();
  RunRounds(clock, milliseconds{1000});
  publisher.Stop();
  return {told.Get(), static_cast<int>(broker.Attempts().size())};
}

TEST(WorkerThreads, WhatARoundThrowsIsLoggedOnceAndTheNextRoundRuns) {
  struct Row {
    const char* worker;
    Outcome (*run)();
    std::string line;
  };
  const Row rows[] = {
      {"collection", &Engine, "[MoteurRecupDonnees] : panne"},
      {"alarms", &Alarms, "Erreur interne (alarmes) : panne"},
      {"refresh", &Refresh, "Erreur interne (affichage des valeurs) : panne"},
      {"publisher", &Publisher, "Erreur interne (publication MQTT) : panne"},
  };
  for (const Row& row : rows) {
    const Outcome outcome = row.run();
    EXPECT_EQ(std::count(outcome.lines.begin(), outcome.lines.end(), row.line), 1)
        << row.worker << ": thrown in two rounds in a row, told once";
    EXPECT_GE(outcome.rounds, 3) << row.worker << ": the rounds went on";
  }
}

}  // namespace
}  // namespace tv
