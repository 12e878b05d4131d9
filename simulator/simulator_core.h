#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "simulator/archive_memory.h"
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
  // Archive download (page numbers count from 0 in each download; -1 off).
  int archive_bad_page = -1;        // that page goes out once with a bad CRC
  int archive_dead_page = -1;       // that page always goes out with a bad CRC
  int archive_drop = -1;            // the link drops in the middle of that page
  bool archive_stamp_miss = false;  // the next DMPAFT does not find its stamp
  bool settime_nak = false;         // SETTIME's time block is answered NAK
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
  // The archive memory starts empty instead of holding the 2560 records
  // before the start time (the weather is the same).
  bool archive_empty = false;
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
  // What the console's clock shows at console time `t`: the model's time
  // plus a clock set in the future and daylight-saving changes.
  std::int64_t WallTime(std::int64_t t) const;
  std::int64_t WallNow() const { return WallTime(ConsoleNow()); }
  // SETTIME: the clock shows `wall` from now on, without offsets.
  void SetWallTime(std::int64_t wall);

  // The archive memory, filled with the records before the start time on
  // first use unless it started empty: those of the model's run up to the
  // start time, so that the newest leads into the current conditions.
  ArchiveMemory& archive();
  // CLRLOG, SETPER: the memory is emptied and not filled again.
  void ClearArchive();

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
  std::string HandleArchive(const std::vector<std::string>& w);
  // Writes the records the model closed since the last time.
  void DrainArchive();
  int ArchivePeriodSeconds() const;
  void StampAndWrite(ArchiveEntry e, std::int64_t wall);

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
  // Archive. The model as it stood at the beginning of its run up to the
  // start time, with the EEPROM then: run again from there, it closes the
  // very records the run did, made only when the memory is first looked at.
  struct History {
    WeatherModel model;
    EepromImage eeprom;
  };
  std::int64_t start_time_ = 0;
  ArchiveMemory archive_;
  std::optional<History> history_;
  // Wall clock offsets: a clock set ahead, and daylight-saving changes as
  // (console time from which it applies, seconds added).
  std::int64_t skew_ = 0;
  std::vector<std::pair<std::int64_t, int>> transitions_;
};

}  // namespace tv::sim
