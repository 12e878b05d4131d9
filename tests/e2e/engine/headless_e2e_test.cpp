// The headless run mode against the console simulator: log lines and a
// current-conditions line (from the window's fields) on the output, and an
// orderly stop.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

}  // namespace
}  // namespace tv
