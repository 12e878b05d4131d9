// The cost of the weather networks' workers: the agent (engine, real station
// library) collecting the current conditions every 10 s from the simulator
// over TCP, run twice in one process for PHASE seconds each: with no network
// active, then with all five active against stand-ins on 127.0.0.1 (the
// intervals at their minimum). The stand-ins run in both phases, so the
// difference is the workers'. One line: the process's CPU time and
// voluntary context switches (its wake-ups) per minute in each phase, and
// the posts the stand-ins received.
//
//   upload_bench [PHASE_SECONDS=70]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/e2e/upload/stand_ins.h"
#include "tests/support/simulator_process.h"

namespace {

struct Usage {
  double cpu_s = 0;
  long switches = 0;
};

Usage Now() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return Usage{seconds(u.ru_utime) + seconds(u.ru_stime), u.ru_nvcsw};
}

}  // namespace

int main(int argc, char** argv) {
  const int phase = argc > 1 ? std::max(5, std::atoi(argv[1])) : 70;
  tv::testing::SimulatorProcess sim;
  std::string error;
  if (!sim.Start({"--tcp", "127.0.0.1:0"}, &error) || sim.Control("HOLD ON") != "OK") {
    std::fprintf(stderr, "set-up: %s\n", error.c_str());
    return 1;
  }
  tv::testing::HttpStandIn http;
  tv::testing::AprsStandIn aprs;

  const auto run = [&](bool networks) {
    tv::ConfigTable config;
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
    config.Set("CONSOLE", "ConnectionTimeout", "5");
    config.Set("GENERAL", "RefreshServices", "10");
    config.Set("SERVICES", "CurrentData", "10");
    config.Set("ARCHIVE", "Active", "0");
    if (networks) {
      for (const char* group : {"WUNDERGROUND", "PWSWEATHER", "WOW", "WINDY"}) {
        config.Set(group, "Active", "1");
        config.Set(group, "StationID", "BENCH");
        config.Set(group, "SiteID", "BENCH");
        config.Set(group, "Server", http.Url("/" + std::string(group)));
        config.Set(group, "Interval", "1");  // held to each network's minimum
      }
      config.Set("CWOP", "Active", "1");
      config.Set("CWOP", "StationID", "CW0001");
      config.Set("CWOP", "Server", "127.0.0.1:" + std::to_string(aprs.port()));
      config.Set("CWOP", "Interval", "1");
      config.Set("CWOP", "Latitude", "45.0");
      config.Set("CWOP", "Longitude", "5.0");
    }
    tv::MemoryWindow window;
    tv::Agent agent(config, window);
    agent.Open();
    const Usage before = Now();
    agent.Start();
    std::this_thread::sleep_for(std::chrono::seconds(phase));
    agent.Stop();
    const Usage after = Now();
    return Usage{after.cpu_s - before.cpu_s, after.switches - before.switches};
  };
  const Usage none = run(false);
  const Usage all = run(true);
  const double per_minute = 60.0 / phase;
  std::printf(
      "uploads: %d s per phase; none: CPU %.1f ms/min, %.0f wake-ups/min; all five: CPU %.1f "
      "ms/min, %.0f wake-ups/min; posts received: HTTP %zu, CWOP %zu\n",
      phase, 1000 * none.cpu_s * per_minute, static_cast<double>(none.switches) * per_minute,
      1000 * all.cpu_s * per_minute, static_cast<double>(all.switches) * per_minute,
      http.Received().size(), aprs.Received().size());
  return 0;
}
