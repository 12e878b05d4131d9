#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tv::sim {

// The weather of a scenario at one moment.
struct Weather {
  double mean_temp_f;         // daily mean outside temperature
  double temp_swing_f;        // half the day/night difference
  double mean_hum;            // daily mean outside humidity
  double wind_mean_mph;       //
  double gust_mph;            // typical excess of a gust over the mean
  double rain_chance_per_h;   // chance that a shower starts in a given hour
  double rain_rate_clicks_h;  // typical rate while it rains
};

// A storm passing over the start time: its rain begins `rise_h` hours before
// it, grows to its height at the start time (with a short downpour of
// `burst_clicks_h` on top) and dies away over `fall_h` hours.
struct Storm {
  double rise_h = 0;  // 0: no storm
  double fall_h = 0;
  double burst_clicks_h = 0;
};

// What kind of station and weather the simulator plays.
struct Scenario {
  std::string_view name;
  std::string_view description;
  std::uint8_t model_code;  // WRD answer: 16 Pro/Pro2, 17 Vue
  bool extra_sensors;       // extra temp/hum station, soil and leaf station
  bool solar_uv;            // solar radiation and UV sensors on the main suite
  // The weather at the start time (a storm's height); the barometer then and
  // its trend, inHg and inHg per hour.
  Weather weather;
  double pressure_inhg;
  double pressure_trend_per_h;
  // With a storm, the weather before and after it; without, `weather` holds
  // throughout.
  Storm storm;
  Weather fair;
  std::string_view firmware_date;     // VER
  std::string_view firmware_version;  // NVER
};

// The scenarios by name: default, minimal, storm, frost, vue.
const std::vector<Scenario>& Scenarios();
// nullptr when unknown.
const Scenario* FindScenario(std::string_view name);

}  // namespace tv::sim
