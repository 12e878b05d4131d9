// The headless run mode against the console simulator: log lines and a
// current-conditions line (from the window's fields) on the output, and an
// orderly stop.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>

#include "gadget/agent/headless_agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

// An output stream that another thread may read while it is written.
class SharedText final : public std::streambuf {
 public:
  std::string Text() {
    std::lock_guard lock(mutex_);
    return text_;
  }

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    std::lock_guard lock(mutex_);
    text_.push_back(static_cast<char>(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard lock(mutex_);
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::mutex mutex_;
  std::string text_;
};

TEST(HeadlessE2e, PrintsCurrentConditionsAndStopsOnRequest) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-21 14:00:00"}, &error))
      << error;
  ASSERT_EQ(sim.Control("HOLD ON"), "OK");
  ASSERT_EQ(sim.Control("SET outside_temp 68.0"), "OK");

  ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "10");
  config.Set("SERVICES", "CurrentData", "10");
  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  SharedText text;
  std::ostream out(&text);

  std::stop_source stop;
  int code = -1;
  std::thread agent([&] { code = RunHeadless(config, gui, out, stop.get_token()); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{20};
  while (text.Text().find("Conditions actuelles") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  stop.request_stop();
  agent.join();

  EXPECT_EQ(code, 0);
  const std::string printed = text.Text();
  EXPECT_NE(printed.find("extérieur 20.0 °C"), std::string::npos) << printed;
  // The line is what the current conditions wrote into the window.
  EXPECT_NE(window.Text(Field::BaroValue), "---");
  EXPECT_NE(
      printed.find("| pression " + window.Text(Field::BaroValue) + " hPa | vent " +
                   window.Text(Field::WindSpeedValue) + " km/h " + window.Text(Field::WindDirName) +
                   " (" + window.Text(Field::WindDirDegrees) + ") |"),
      std::string::npos)
      << printed;
  EXPECT_EQ(window.Rows(Field::ServiceList).size(), 1U);
  // Newest lines are on top: the oldest, last row is the title.
  const auto log_rows = window.Lines(Field::AppLogList);
  ASSERT_FALSE(log_rows.empty());
  EXPECT_EQ(log_rows.back(), "Teskaro Ventaro v1.0");
}

TEST(HeadlessE2e, ExportsAfterTheFirstFullCollectionThenStops) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  const std::string path =
      ::testing::TempDir() + "headless-export-" + std::to_string(sim.tcp_port()) + ".csv";
  std::remove(path.c_str());

  struct Row {
    const char* legend;
    std::string address;
    int code;
    bool written;
  };
  const Row rows[] = {
      {"the console answers", "127.0.0.1@" + std::to_string(sim.tcp_port()), 0, true},
      {"stopped before any collection", "127.0.0.1@1", 1, false},
  };
  for (const Row& row : rows) {
    ConfigTable config;
    config.Set("CONSOLE", "type", "IP");
    config.Set("CONSOLE", "adresse", row.address);
    config.Set("CONSOLE", "ConnectionTimeout", "2");
    for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
      config.Set("SERVICES", service, "3600");
    }
    MemoryWindow window;
    testing::GuiThreadWindow gui(window);
    SharedText text;
    std::ostream out(&text);
    std::stop_source stop;
    int code = -1;
    std::thread agent(
        [&] { code = RunHeadless(config, gui, out, stop.get_token(), DefaultClock(), path); });
    if (!row.written) {
      // It keeps waiting for a collection that never comes, until stopped.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{20};
      while (text.Text().find("Impossible de se connecter") == std::string::npos &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds{20});
      }
      stop.request_stop();
    }
    agent.join();
    EXPECT_EQ(code, row.code) << row.legend;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_EQ(file != nullptr, row.written) << row.legend;
    if (file != nullptr) std::fclose(file);
    const std::string printed = text.Text();
    EXPECT_EQ(printed.find("Données exportées dans " + path) != std::string::npos, row.written)
        << printed;
    std::remove(path.c_str());
  }
}

using Steady = std::chrono::steady_clock;

// Every service due at each one-second round, so a cycle is always near.
void BusyConfig(ConfigTable& config, int port) {
  config.Set("GENERAL", "RefreshServices", "1");
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(port));
  config.Set("CONSOLE", "ConnectionTimeout", "10");
  for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
    config.Set("SERVICES", service, "1");
  }
}

// Waits until the agent is inside an exchange with the silent console: it
// has sent bytes since the fault was switched on.
bool WaitForExchangeWithSilentConsole(testing::SimulatorProcess& sim) {
  const auto bytes_in = [&sim] {
    const std::string stats = sim.Control("STATS");
    const auto at = stats.find("bytes_in=");
    return at == std::string::npos ? -1L : std::stol(stats.substr(at + 9));
  };
  const long before = bytes_in();
  const auto deadline = Steady::now() + std::chrono::seconds{20};
  while (Steady::now() < deadline) {
    if (bytes_in() > before) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds{10});
  }
  return false;
}

// A stop asked while the console has gone silent in the middle of a cycle
// ends the agent at once (the link is closed under the running exchange),
// instead of waiting out every wake-up and retry of the cycle's services.
TEST(HeadlessE2e, StopsAtOnceWhenTheConsoleFallsSilentMidCycle) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  ConfigTable config;
  BusyConfig(config, sim.tcp_port());
  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  SharedText text;
  std::ostream out(&text);
  std::stop_source stop;
  int code = -1;
  std::atomic<bool> returned{false};
  std::thread agent([&] {
    code = RunHeadless(config, gui, out, stop.get_token());
    returned = true;
  });
  const auto deadline = Steady::now() + std::chrono::seconds{30};
  while (text.Text().find("Conditions actuelles") == std::string::npos &&
         Steady::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  ASSERT_EQ(sim.Control("FAULT SILENT"), "OK");
  EXPECT_TRUE(WaitForExchangeWithSilentConsole(sim));
  const auto asked = Steady::now();
  stop.request_stop();
  while (!returned && Steady::now() - asked < std::chrono::seconds{60}) {
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - asked);
  agent.join();
  EXPECT_EQ(code, 0);
  std::printf("stop with a silent console mid-cycle: returned after %lld ms\n",
              static_cast<long long>(took.count()));
  // Two seconds for the link to close, plus room for a loaded machine.
  EXPECT_LT(took, std::chrono::seconds{8});
}

// The program itself, stopped by signals: one ends it in an orderly way
// with code 0, a second one during that stop ends it at once.
TEST(HeadlessE2e, ProgramEndsOnSignalsWithASilentConsole) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}, &error)) << error;
  const std::filesystem::path bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::filesystem::path dir = ::testing::TempDir() + "/headless_signals";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const char* name : {"teskaro-ventaro", "libvantagepro.so", "langue.pack"}) {
    std::filesystem::copy_file(bin / name, dir / name);
  }
  {
    std::ofstream ini(dir / "tsk_vnt.ini");
    ini << "[GENERAL]\nRefreshServices=1\n[CONSOLE]\ntype=IP\nadresse=127.0.0.1@" << sim.tcp_port()
        << "\nConnectionTimeout=10\n[SERVICES]\n";
    for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
      ini << service << "=1\n";
    }
  }
  struct Row {
    const char* legend;
    int signals;
    bool orderly;  // exit code 0; otherwise 128 + SIGINT
  };
  const Row rows[] = {
      {"one SIGINT: the orderly stop", 1, true},
      {"two SIGINTs: the second ends it at once", 2, false},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(sim.Control("FAULT CLEAR"), "OK");
    const std::string program = (dir / "teskaro-ventaro").string();
    const std::string log = (dir / "out.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--no-window"), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const auto printed = [&log] {
      std::string text;
      if (std::FILE* f = std::fopen(log.c_str(), "rb")) {
        char buf[4096];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
      }
      return text;
    };
    const auto deadline = Steady::now() + std::chrono::seconds{60};
    while (printed().find("Conditions actuelles") == std::string::npos &&
           Steady::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds{20});
    }
    ASSERT_EQ(sim.Control("FAULT SILENT"), "OK");
    EXPECT_TRUE(WaitForExchangeWithSilentConsole(sim)) << row.legend;
    const auto sent = Steady::now();
    for (int i = 0; i < row.signals; ++i) kill(pid, SIGINT);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0 && Steady::now() - sent < std::chrono::seconds{60}) {
      std::this_thread::sleep_for(std::chrono::milliseconds{5});
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - sent);
    if (!WIFEXITED(status)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << row.legend << ": did not end";
      continue;
    }
    std::printf("%s: exit code %d after %lld ms\n", row.legend, WEXITSTATUS(status),
                static_cast<long long>(took.count()));
    // The second signal may also land after the orderly stop is done.
    if (row.orderly) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << row.legend;
    } else {
      EXPECT_TRUE(WEXITSTATUS(status) == 128 + SIGINT || WEXITSTATUS(status) == 0) << row.legend;
    }
    EXPECT_LT(took, std::chrono::seconds{8}) << row.legend;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tv
