#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "simulator/archive_memory.h"
#include "simulator/eeprom_image.h"
#include "simulator/readings.h"
#include "simulator/scenario.h"

namespace tv::sim {

// Reception statistics as RXCHECK reports them, counted since midnight.
struct RxStats {
  long long total = 0, missed = 0, resync = 0, longest = 0, crc_errors = 0;
  long long current_run = 0;
  double fraction = 0;  // packets not yet counted
};

// Broken-down console (local) time. The console clock is kept as seconds of
// a local-time epoch: gmtime() of it gives the console's wall-clock fields.
struct ConsoleTime {
  int year, month, day, hour, minute, second, yday;
};
ConsoleTime BreakDown(std::int64_t console_seconds);
std::int64_t MakeConsoleSeconds(int year, int month, int day, int hour, int minute, int second);

// A deterministic (seeded) weather model: daily temperature cycle, humidity,
// barometer with the scenario's value and trend at the start time and slow
// waves away from it, gusty wind, showers or a passing storm, sun-driven solar
// radiation, UV and evapotranspiration, extra/soil/leaf sensors, forecast,
// batteries, reception statistics, alarm bits, and highs and lows that
// accumulate and roll over at midnight, month and year.
class WeatherModel {
 public:
  WeatherModel(const Scenario& scenario, std::uint64_t seed);

  // Starts the model with the scenario's weather as it stands at console
  // time `t` (a storm at its height, the barometer at its value and trend),
  // run up to `t` from `history_s` seconds before it or at least from the
  // previous local midnight, so that the day's highs and lows and the 3-hour
  // barometer history are filled. Archiving, the run closes its records as
  // any other. Start() is Begin() then RunToStart(): a copy of the model
  // taken between the two runs the same weather again.
  void Start(std::int64_t t, const EepromImage& ee, std::int64_t history_s = 0);
  void Begin(std::int64_t t, const EepromImage& ee, std::int64_t history_s = 0);
  void RunToStart(const EepromImage& ee);
  // Runs the model forward to `t` in steps of at most `max_step` seconds.
  void AdvanceTo(std::int64_t t, const EepromImage& ee, double max_step = 10.0);
  // From now on, closes an archive record at the end of each archive
  // interval (EEPROM ARCHIVE_PERIOD) from the steps within it, keeping those
  // that end after console time `after`.
  void StartArchiving(std::int64_t after = INT64_MIN) {
    archiving_ = true;
    keep_after_ = after;
  }
  // The records closed since the last call, each with the console time that
  // ends its interval, oldest first.
  std::vector<std::pair<std::int64_t, ArchiveEntry>> TakeArchived();
  // Forgets the interval being collected (the archive was cleared).
  void RestartArchiveInterval() { accumulator_ = ArchiveAccumulator{}; }
  std::int64_t Time() const { return time_; }

  Readings& Current() { return readings_; }
  HiLows& HighsLows() { return hilows_; }
  const RxStats& Rx() const { return rx_; }
  RxStats& MutableRx() { return rx_; }

  // Pins a current value by name (the model no longer moves it). False for an
  // unknown name.
  bool Pin(const std::string& name, const Value& v);
  bool Unpin(const std::string& name);
  void UnpinAll() { pins_.clear(); }

 private:
  void Step(double dt, const EepromImage& ee);
  void Compute(const EepromImage& ee);
  void ApplyPins();
  void ComputeAlarms(const EepromImage& ee);
  void Accumulate();
  // Starts the hour's, day's, month's and year's extremes and totals again
  // when `after` is in a new one; true when it did.
  bool RollOver(const ConsoleTime& before, const ConsoleTime& after);
  // The rain and evapotranspiration totals into the readings.
  void PutTotals();
  double Normal(double sigma);
  double Uniform();
  // How far into the storm console time `t` is: 1 at its height, 0 away
  // from it (and always 0 without a storm).
  double StormAt(std::int64_t t) const;
  // The scenario's weather at that point of the storm.
  Weather WeatherAt(double storm) const;
  // The barometer at `t` without its short-term noise: the scenario's value
  // and trend at the start time, slow waves of the weather away from it.
  double PressureLevel(std::int64_t t) const;
  // The day-to-day swing of the temperature at `t`, nothing at the start time.
  double TemperatureWave(std::int64_t t) const;
  // The storm's rain rate at `t`, clicks per hour (0 outside the storm).
  double StormRain(std::int64_t t) const;

  const Scenario& scenario_;
  std::mt19937_64 rng_;
  std::normal_distribution<double> normal_{0.0, 1.0};
  std::int64_t time_ = 0;
  std::int64_t start_ = 0;  // the console time of the scenario's weather
  std::int64_t start_midnight_ = 0;
  bool started_ = false;

  // Slow state.
  double pressure_ = 30.0, pressure_noise_ = 0;
  std::array<double, 3> phases_{};  // of the barometer's and temperature's waves
  double temp_noise_ = 0, hum_noise_ = 0, wind_base_ = 0, wind_dir_ = 225, cloud_ = 0.3;
  double gust_ = 0;
  bool raining_ = false, shower_ = false;
  double wet_ = 0;  // 0 dry to 1 after a while of rain: the air's extra humidity
  double shower_left_s_ = 0, shower_intensity_ = 0, rain_intensity_ = 0, rain_fraction_ = 0;
  double storm_clicks_ = 0;
  std::int64_t last_rain_time_ = 0;
  std::int64_t storm_start_ = -1;  // console seconds of the storm's first click, -1 none
  double day_rain_ = 0, month_rain_ = 0, year_rain_ = 0;
  double day_et_ = 0, month_et_ = 0, year_et_ = 0;  // inches
  double archive_accum_s_ = 0;
  int archive_pointer_ = 0;
  std::deque<std::pair<std::int64_t, double>> bar_history_;   // 3 hours
  std::deque<std::pair<std::int64_t, double>> wind_history_;  // 10 minutes
  std::deque<std::pair<std::int64_t, double>> rain_history_;  // 24 hours of clicks
  RxStats rx_;

  Readings readings_;
  HiLows hilows_;
  std::map<std::string, Value> pins_;
  bool archiving_ = false;
  std::int64_t keep_after_ = INT64_MIN;
  ArchiveAccumulator accumulator_;
  std::vector<std::pair<std::int64_t, ArchiveEntry>> archived_;
};

}  // namespace tv::sim
