#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "simulator/eeprom_image.h"
#include "simulator/scenario.h"
#include "simulator/weather_model.h"

namespace tv::sim {

// Faults switched on and off through the control channel.
struct Faults {
  bool silent = false;    // never wake up, answer nothing
  int stop_after = -1;    // commands still answered; 0 = stopped; negative = off
  int bad_crc = 0;        // CRC blocks still to corrupt
  int garbage = 0;        // noise bytes replacing the next reply; 0 = off
  bool drop_mid = false;  // cut the next binary reply in half and hang up
  int slow_ms = 0;        // delay before every byte sent
};

struct Stats {
  long long connections = 0, commands = 0, bytes_in = 0, bytes_out = 0;
  int clients = 0;
};

struct CoreOptions {
  std::uint64_t seed = 1;
  // Console clock start (console-local seconds); negative: the host's local time.
  std::int64_t start = -1;
  double rate = 1.0;
  int loop_interval_ms = 2000;
  int baud = 0;  // 0: no throttling
};

// The console as the ports and the control channel share it: clock, model,
// EEPROM, faults and counters. Used from one thread only (the event loop).
class SimulatorCore {
 public:
  SimulatorCore(const Scenario& scenario, const CoreOptions& options);

  const Scenario& scenario() const { return scenario_; }
  const CoreOptions& options() const { return options_; }

  // Console-local seconds now.
  std::int64_t ConsoleNow() const;
  void SetConsoleTime(std::int64_t console_seconds);
  // Brings the model up to the clock unless it is held.
  void Tick();

  WeatherModel& model() { return model_; }
  EepromImage& eeprom() { return eeprom_; }
  Faults& faults() { return faults_; }
  Stats& stats() { return stats_; }
  int baud() const { return baud_; }
  void set_baud(int baud) { baud_ = baud; }

  // Carries out one control-channel request line and returns the reply line
  // (without its LF).
  std::string HandleControl(const std::string& line);

  // Reads a value by its control-channel name; false for an unknown name.
  bool Get(const std::string& name, std::string& out);

 private:
  bool Set(const std::string& name, const std::string& value, std::string& error);

  const Scenario& scenario_;
  CoreOptions options_;
  EepromImage eeprom_;
  WeatherModel model_;
  Faults faults_;
  Stats stats_;
  int baud_ = 0;
  bool held_ = false;
  // Console clock: console = base_console + (steady now - base_steady) × rate.
  std::int64_t base_console_ = 0;
  std::chrono::steady_clock::time_point base_steady_;
  double rate_ = 1.0;
};

}  // namespace tv::sim
