// Latency from a value changed in the console to the window field showing it:
// the agent (engine, display refresh thread, in-memory window, real station
// library) collecting the current conditions every PERIOD seconds from the
// simulator over TCP; the outside temperature is changed through the control
// channel at moments spread over the period, and the time until the field
// shows the new value is measured. One line: median and worst against the
// bound of one period plus 1 s.
//
//   latency_bench [PERIOD_SECONDS=2] [SAMPLES=12]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/support/simulator_process.h"

int main(int argc, char** argv) {
  using Steady = std::chrono::steady_clock;
  const int period = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  const int samples = argc > 2 ? std::max(1, std::atoi(argv[2])) : 12;

  tv::testing::SimulatorProcess sim;
  std::string error;
  if (!sim.Start({"--tcp", "127.0.0.1:0"}, &error) || sim.Control("HOLD ON") != "OK") {
    std::fprintf(stderr, "simulator: %s\n", error.c_str());
    return 1;
  }
  tv::ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "5");
  config.Set("GENERAL", "RefreshServices", std::to_string(period));
  config.Set("GENERAL", "Notify", "0");
  config.Set("SERVICES", "CurrentData", std::to_string(period));

  tv::MemoryWindow window;
  std::mutex mutex;
  std::string wanted;
  Steady::time_point shown_at;
  tv::AgentOptions options;
  options.after_view = [&](std::string_view view) {
    if (view != "CurrentData") return;
    const std::string text = window.Text(tv::Field::OutdoorTempValue);
    std::lock_guard lock(mutex);
    if (!wanted.empty() && text == wanted) {
      shown_at = Steady::now();
      wanted.clear();
    }
  };
  tv::Agent agent(config, window, tv::DefaultClock(), std::move(options));
  agent.Open();
  agent.Start();

  std::vector<double> latencies;
  for (int i = 0; i < samples; ++i) {
    // Spread the changes over the period: a change just after a collection
    // waits longest.
    std::this_thread::sleep_for(std::chrono::milliseconds(period * 1000 * (i % 4) / 4 + 137));
    const double fahrenheit = 50.0 + 0.5 * i;
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.1f", (fahrenheit - 32.0) * 5.0 / 9.0);
    {
      std::lock_guard lock(mutex);
      wanted = expected;
    }
    const auto changed = Steady::now();
    sim.Control("SET outside_temp " + std::to_string(fahrenheit));
    const auto deadline = changed + std::chrono::seconds(3 * period + 10);
    bool seen = false;
    while (!seen && Steady::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::lock_guard lock(mutex);
      seen = wanted.empty();
      if (seen) latencies.push_back(std::chrono::duration<double>(shown_at - changed).count());
    }
    if (!seen) {
      std::fprintf(stderr, "sample %d: the value never showed\n", i);
      return 1;
    }
  }
  agent.Stop();
  std::sort(latencies.begin(), latencies.end());
  const double bound = period + 1.0;
  std::printf(
      "latency: period %d s, %d samples, median %.2f s, worst %.2f s, bound %.1f s, "
      "worst/bound %.2f\n",
      period, samples, latencies[latencies.size() / 2], latencies.back(), bound,
      latencies.back() / bound);
  return 0;
}
