#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tv::stationlib {

using Value = std::optional<double>;

// The console's current data decoded from one LOOP packet and, when the
// console has it, one LOOP2 packet. Units: °F, inHg, mph, %, W/m², UV index;
// rain and ET in the library's rain unit (20 mm); empty when the console has
// no value.
struct CurrentConditions {
  bool has_loop2 = false;
  std::optional<int> bar_trend;  // signed trend code, only the five known ones
  Value barometer, inside_temp, outside_temp, inside_hum, outside_hum;
  Value wind_speed, wind_avg10, wind_avg2, gust10, gust_dir, wind_dir;
  Value dew_point, wind_chill, heat_index, thw, thsw;
  Value rain_rate, storm_rain, day_rain, month_rain, year_rain;
  Value rain_15min, rain_hour, rain_24h;
  Value day_et, month_et, year_et;
  Value uv, solar;
  std::array<Value, 7> extra_temp, extra_hum;
  std::array<Value, 4> soil_temp, leaf_temp, soil_moisture, leaf_wetness;
  double console_volts = 0;
  int tx_battery = 0;
  int forecast_icons = 0;
  int forecast_rule = 0;
  int inside_alarms = 0, rain_alarms = 0, outside_alarms = 0;
  std::optional<int> sunrise, sunset;  // hour × 100 + minute
};

// Decodes the packets. `loop2` may be empty. `click_mm` is the size of the
// console's rain click in millimetres.
CurrentConditions DecodeCurrent(std::span<const std::uint8_t> loop,
                                std::span<const std::uint8_t> loop2, double click_mm);

// Library rain unit from millimetres (the agent multiplies by 20).
constexpr double RainUnitFromMm(double mm) {
  return mm / 20.0;
}

// The sixteen compass codes, "N" for 349-11°, "NNE" for 12-33° and so on.
const char* CompassCode(double degrees);
// "Rising", "Falling", "Steady", "Rising Rapidly", "Falling Rapidly"; "" otherwise.
const char* TrendText(std::optional<int> trend);

}  // namespace tv::stationlib
