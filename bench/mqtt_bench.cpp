// Latency from a value changed in the console to the MQTT state message
// carrying it: the agent (engine, publisher thread, real station library)
// collecting the current conditions every PERIOD seconds from the simulator
// over TCP and publishing to a mosquitto broker of its own on 127.0.0.1; the
// outside temperature is changed through the control channel at moments
// spread over the period, and the time until a subscriber receives a state
// with the new value is measured. One line: median and worst against the
// period, and the share the publishing adds (message received after the
// collection that read the value).
//
//   mqtt_bench [PERIOD_SECONDS=10] [SAMPLES=8]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/e2e/publish/mqtt_broker.h"
#include "tests/e2e/publish/mqtt_reader.h"
#include "tests/support/simulator_process.h"

int main(int argc, char** argv) {
  using Steady = std::chrono::steady_clock;
  const int period = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int samples = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8;

  tv::testing::SimulatorProcess sim;
  tv::testing::MqttBroker broker;
  tv::testing::MqttReader reader;
  std::string error;
  if (!sim.Start({"--tcp", "127.0.0.1:0"}, &error) || sim.Control("HOLD ON") != "OK" ||
      !broker.Start({}, &error) || !reader.Connect(broker.port(), &error)) {
    std::fprintf(stderr, "set-up: %s\n", error.c_str());
    return 1;
  }
  tv::ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "5");
  config.Set("GENERAL", "RefreshServices", std::to_string(period));
  config.Set("SERVICES", "CurrentData", std::to_string(period));
  config.Set("MQTT", "Active", "1");
  config.Set("MQTT", "Port", std::to_string(broker.port()));
  config.Set("MQTT", "Prefix", "bench");

  // When the collection that read each value ended.
  std::mutex mutex;
  double wanted = std::nan("");
  Steady::time_point collected_at;
  tv::AgentOptions options;
  tv::Agent* running = nullptr;
  options.after_service = [&](std::string_view service) {
    if (service != "CurrentData" || running == nullptr) return;
    const float celsius = running->record().Snapshot().CurrentData.OutsideTemp;
    std::lock_guard lock(mutex);
    if (std::abs(static_cast<double>(celsius) - wanted) < 0.06) collected_at = Steady::now();
  };
  tv::MemoryWindow window;
  tv::Agent agent(config, window, tv::DefaultClock(), std::move(options));
  running = &agent;
  agent.Open();
  agent.Start();

  std::vector<double> latencies;
  std::vector<double> publishing;
  for (int i = 0; i < samples; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(period * 1000 * (i % 4) / 4 + 137));
    const double fahrenheit = 50.0 + 0.5 * i;
    const double celsius = (fahrenheit - 32.0) * 5.0 / 9.0;
    {
      std::lock_guard lock(mutex);
      wanted = celsius;
      collected_at = {};
    }
    const auto changed = Steady::now();
    sim.Control("SET outside_temp " + std::to_string(fahrenheit));
    const bool seen = reader.WaitForTopic(
        "bench/state", std::chrono::seconds(3 * period + 10), [celsius](const std::string& p) {
          const nlohmann::json state = nlohmann::json::parse(p, nullptr, false);
          return state.is_object() && state["outside_temperature"].is_number() &&
                 std::abs(state["outside_temperature"].get<double>() - celsius) < 0.06;
        });
    const auto received = Steady::now();
    if (!seen) {
      std::fprintf(stderr, "sample %d: the value never arrived\n", i);
      return 1;
    }
    latencies.push_back(std::chrono::duration<double>(received - changed).count());
    std::lock_guard lock(mutex);
    if (collected_at != Steady::time_point{}) {
      publishing.push_back(std::chrono::duration<double>(received - collected_at).count());
    }
  }
  agent.Stop();
  std::sort(latencies.begin(), latencies.end());
  std::sort(publishing.begin(), publishing.end());
  const double worst_publish = publishing.empty() ? std::nan("") : publishing.back();
  std::printf(
      "mqtt latency: period %d s, %d samples, median %.2f s, worst %.2f s, worst/period %.2f; "
      "collection to message received: median %.1f ms, worst %.1f ms\n",
      period, samples, latencies[latencies.size() / 2], latencies.back(), latencies.back() / period,
      publishing.empty() ? std::nan("") : 1000 * publishing[publishing.size() / 2],
      1000 * worst_publish);
  return 0;
}
