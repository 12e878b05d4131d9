// vantage-simulator: a weather console of the Pro / Pro2 / Vue family on a
// TCP port of 127.0.0.1 and/or a pseudo-terminal, for the agent's run command
// and for the end-to-end tests.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "simulator/scenario.h"
#include "simulator/server.h"
#include "simulator/simulator_core.h"

namespace {

void PrintHelp() {
  std::printf(
      "Usage: vantage-simulator [options]\n"
      "A weather console (Pro2 or Vue) speaking the console byte protocol.\n"
      "\n"
      "Console ports (at least one):\n"
      "  --tcp HOST:PORT       serve on TCP (HOST 127.0.0.1; PORT 0 picks a free one)\n"
      "  --pty                 serve on a new pseudo-terminal\n"
      "  --pty-link PATH       also make PATH a symbolic link to that pseudo-terminal\n"
      "Control channel (line protocol, see simulator/control_protocol.h):\n"
      "  --control HOST:PORT   default 127.0.0.1:0\n"
      "  --no-control          no control channel\n"
      "Console:\n"
      "  --scenario NAME       default | minimal | storm | frost | vue   (default: default)\n"
      "  --seed N              weather model seed (default 1)\n"
      "  --start 'YYYY-MM-DD HH:MM:SS'  console clock start (default: host local time)\n"
      "  --rate X              console clock speed relative to the host (default 1)\n"
      "  --baud N              pace output like a serial line at N baud (10 bits a byte)\n"
      "  --loop-interval MS    time between LOOP packets (default 2000)\n"
      "  --archive-empty       start with an empty archive memory (default: full, the\n"
      "                        2560 records before the start time)\n"
      "  --replay FILE         answer as the recorded console of FILE (TV_STATION_RECORD)\n"
      "  --verbose             log every byte received and sent on stderr\n"
      "  --help                this text\n"
      "\n"
      "At start one line per endpoint is printed on stdout, then \"ready\":\n"
      "  tcp 127.0.0.1:PORT\n  pty /dev/pts/N\n  control 127.0.0.1:PORT\n  ready\n"
      "Runs until SIGINT or SIGTERM.\n");
}

bool SplitHostPort(const std::string& s, std::string& host, int& port) {
  const auto colon = s.rfind(':');
  if (colon == std::string::npos) return false;
  host = s.substr(0, colon);
  char* end = nullptr;
  const long p = std::strtol(s.c_str() + colon + 1, &end, 10);
  if (host.empty() || end == nullptr || *end != '\0' || p < 0 || p > 65535) return false;
  port = static_cast<int>(p);
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vantage-simulator: %s (try --help)\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tv::sim::ServerOptions server;
  tv::sim::CoreOptions core;
  std::string scenario_name = "default";
  std::string replay_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    } else if (arg == "--tcp") {
      if (!value(v) || !SplitHostPort(v, server.tcp_host, server.tcp_port)) {
        return Fail("--tcp needs HOST:PORT");
      }
      server.tcp = true;
    } else if (arg == "--pty") {
      server.pty = true;
    } else if (arg == "--pty-link") {
      if (!value(server.pty_link)) return Fail("--pty-link needs a path");
      server.pty = true;
    } else if (arg == "--control") {
      if (!value(v) || !SplitHostPort(v, server.control_host, server.control_port)) {
        return Fail("--control needs HOST:PORT");
      }
    } else if (arg == "--no-control") {
      server.control = false;
    } else if (arg == "--scenario") {
      if (!value(scenario_name)) return Fail("--scenario needs a name");
    } else if (arg == "--seed") {
      if (!value(v)) return Fail("--seed needs a number");
      core.seed = std::strtoull(v.c_str(), nullptr, 10);
    } else if (arg == "--start") {
      int y, mo, d, h, mi, s;
      if (!value(v) ||
          std::sscanf(v.c_str(), "%d-%d-%d%*[ T]%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6 ||
          y < 2000 || y > 2126 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 ||
          s > 59) {
        return Fail("--start needs 'YYYY-MM-DD HH:MM:SS'");
      }
      core.start = tv::sim::MakeConsoleSeconds(y, mo, d, h, mi, s);
    } else if (arg == "--rate") {
      if (!value(v) || (core.rate = std::strtod(v.c_str(), nullptr)) <= 0) {
        return Fail("--rate needs a positive number");
      }
    } else if (arg == "--baud") {
      if (!value(v) || (core.baud = std::atoi(v.c_str())) <= 0) return Fail("--baud needs a rate");
    } else if (arg == "--loop-interval") {
      if (!value(v) || (core.loop_interval_ms = std::atoi(v.c_str())) < 0) {
        return Fail("--loop-interval needs milliseconds");
      }
    } else if (arg == "--archive-empty") {
      core.archive_empty = true;
    } else if (arg == "--replay") {
      if (!value(replay_path)) return Fail("--replay needs a file");
    } else if (arg == "--verbose" || arg == "-v") {
      server.verbose = true;
    } else {
      return Fail("unknown option " + arg);
    }
  }
  if (!server.tcp && !server.pty) return Fail("give --tcp HOST:PORT and/or --pty");
  const tv::sim::Scenario* scenario = tv::sim::FindScenario(scenario_name);
  if (scenario == nullptr) return Fail("unknown scenario " + scenario_name);

  if (!replay_path.empty()) {
    server.replay = std::make_shared<tv::sim::ReplayScript>();
    std::string error;
    if (!tv::sim::ReplayScript::Load(replay_path, *server.replay, error)) return Fail(error);
  }
  tv::sim::SimulatorCore sim(*scenario, core);
  tv::sim::Server srv(sim, server);
  std::vector<std::string> endpoints;
  std::string error;
  if (!srv.Open(endpoints, error)) {
    std::fprintf(stderr, "vantage-simulator: %s\n", error.c_str());
    return 1;
  }
  for (const auto& e : endpoints) std::printf("%s\n", e.c_str());
  std::printf("ready\n");
  std::fflush(stdout);
  srv.Run();
  if (server.verbose) std::fprintf(stderr, "vantage-simulator: stopped\n");
  return 0;
}
