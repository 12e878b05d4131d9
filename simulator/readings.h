#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tv::sim {

// A value the console reports; nullopt is a dashed value (no sensor, no data).
using Value = std::optional<double>;

// Everything LOOP and LOOP2 carry, in the units of the packets (°F, inHg, mph,
// rain clicks, ...) and already at the console's resolution, so that an
// encoded packet decodes back to exactly these numbers.
struct Readings {
  Value barometer, bar_trend, bar_reduction, bar_offset, bar_cal, bar_raw, bar_abs, altimeter;
  Value inside_temp, inside_hum, outside_temp, outside_hum;
  Value dew_point, heat_index, wind_chill, thsw;
  Value wind_speed, wind_avg10, wind_avg2, wind_gust10, wind_gust10_dir, wind_dir;
  std::array<Value, 7> extra_temp, extra_hum;
  std::array<Value, 4> soil_temp, leaf_temp, soil_moist, leaf_wet;
  Value rain_rate, storm_rain, storm_start, day_rain, month_rain, year_rain;
  Value rain_15min, rain_1h, rain_24h;
  Value day_et, month_et, year_et;
  Value uv, solar;
  Value alarm_inside, alarm_rain, alarm_outside;
  std::array<Value, 8> alarm_extra;
  std::array<Value, 4> alarm_soilleaf;
  Value tx_battery, console_battery, forecast_icons, forecast_rule, sunrise, sunset;
  Value archive_pointer;
};

// Highs and lows of one quantity. Times are hour × 100 + minute.
struct Extremes {
  Value day_low, day_high, day_low_time, day_high_time;
  Value month_low, month_high, year_low, year_high;
  Value hour_high;  // rain rate only
};

struct HiLows {
  Extremes barometer, wind_speed, inside_temp, inside_hum, outside_temp, dew_point, wind_chill,
      heat_index, thsw, solar, uv, rain_rate, outside_hum;
  std::array<Extremes, 7> extra_temp, extra_hum;
  std::array<Extremes, 4> soil_temp, leaf_temp, soil_moist, leaf_wet;
};

struct NamedValue {
  std::string name;
  Value* value;
};

// Every current value by its control-channel name ("outside_temp", "extra_temp3").
std::vector<NamedValue> NameReadings(Readings& r);
// Every high/low by name ("hl.outside_temp.day_high").
std::vector<NamedValue> NameHiLows(HiLows& h);

// Renders a value for the control channel: "--" when dashed, otherwise the
// shortest decimal form that keeps three decimals of precision.
std::string FormatValue(const Value& v);
// Parses "--" (dashed) or a decimal number. False on anything else.
bool ParseValue(const std::string& text, Value& out);

}  // namespace tv::sim
