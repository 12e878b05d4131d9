#include "simulator/readings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tv::sim {
namespace {

template <std::size_t N>
void AddArray(std::vector<NamedValue>& out, const char* base, std::array<Value, N>& a,
              int first_index = 1) {
  for (std::size_t i = 0; i < N; ++i) {
    out.push_back({std::string(base) + std::to_string(static_cast<int>(i) + first_index), &a[i]});
  }
}

void AddExtremes(std::vector<NamedValue>& out, const std::string& q, Extremes& e) {
  const std::string p = "hl." + q + ".";
  out.push_back({p + "day_low", &e.day_low});
  out.push_back({p + "day_high", &e.day_high});
  out.push_back({p + "day_low_time", &e.day_low_time});
  out.push_back({p + "day_high_time", &e.day_high_time});
  out.push_back({p + "month_low", &e.month_low});
  out.push_back({p + "month_high", &e.month_high});
  out.push_back({p + "year_low", &e.year_low});
  out.push_back({p + "year_high", &e.year_high});
  if (q == "rain_rate") out.push_back({p + "hour_high", &e.hour_high});
}

template <std::size_t N>
void AddExtremesArray(std::vector<NamedValue>& out, const char* base, std::array<Extremes, N>& a) {
  for (std::size_t i = 0; i < N; ++i) AddExtremes(out, base + std::to_string(i + 1), a[i]);
}

}  // namespace

std::vector<NamedValue> NameReadings(Readings& r) {
  std::vector<NamedValue> out = {
      {"barometer", &r.barometer},
      {"bar_trend", &r.bar_trend},
      {"bar_reduction", &r.bar_reduction},
      {"bar_offset", &r.bar_offset},
      {"bar_cal", &r.bar_cal},
      {"bar_raw", &r.bar_raw},
      {"bar_abs", &r.bar_abs},
      {"altimeter", &r.altimeter},
      {"inside_temp", &r.inside_temp},
      {"inside_hum", &r.inside_hum},
      {"outside_temp", &r.outside_temp},
      {"outside_hum", &r.outside_hum},
      {"dew_point", &r.dew_point},
      {"heat_index", &r.heat_index},
      {"wind_chill", &r.wind_chill},
      {"thsw", &r.thsw},
      {"wind_speed", &r.wind_speed},
      {"wind_avg10", &r.wind_avg10},
      {"wind_avg2", &r.wind_avg2},
      {"wind_gust10", &r.wind_gust10},
      {"wind_gust10_dir", &r.wind_gust10_dir},
      {"wind_dir", &r.wind_dir},
  };
  AddArray(out, "extra_temp", r.extra_temp);
  AddArray(out, "extra_hum", r.extra_hum);
  AddArray(out, "soil_temp", r.soil_temp);
  AddArray(out, "leaf_temp", r.leaf_temp);
  AddArray(out, "soil_moist", r.soil_moist);
  AddArray(out, "leaf_wet", r.leaf_wet);
  const std::vector<NamedValue> rest = {
      {"rain_rate", &r.rain_rate},
      {"storm_rain", &r.storm_rain},
      {"storm_start", &r.storm_start},
      {"day_rain", &r.day_rain},
      {"month_rain", &r.month_rain},
      {"year_rain", &r.year_rain},
      {"rain_15min", &r.rain_15min},
      {"rain_1h", &r.rain_1h},
      {"rain_24h", &r.rain_24h},
      {"day_et", &r.day_et},
      {"month_et", &r.month_et},
      {"year_et", &r.year_et},
      {"uv", &r.uv},
      {"solar", &r.solar},
      {"alarm_inside", &r.alarm_inside},
      {"alarm_rain", &r.alarm_rain},
      {"alarm_outside", &r.alarm_outside},
  };
  out.insert(out.end(), rest.begin(), rest.end());
  AddArray(out, "alarm_extra", r.alarm_extra, 0);
  AddArray(out, "alarm_soilleaf", r.alarm_soilleaf);
  const std::vector<NamedValue> tail = {
      {"tx_battery", &r.tx_battery},
      {"console_battery", &r.console_battery},
      {"forecast_icons", &r.forecast_icons},
      {"forecast_rule", &r.forecast_rule},
      {"sunrise", &r.sunrise},
      {"sunset", &r.sunset},
      {"archive_pointer", &r.archive_pointer},
  };
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

std::vector<NamedValue> NameHiLows(HiLows& h) {
  std::vector<NamedValue> out;
  AddExtremes(out, "barometer", h.barometer);
  AddExtremes(out, "wind_speed", h.wind_speed);
  AddExtremes(out, "inside_temp", h.inside_temp);
  AddExtremes(out, "inside_hum", h.inside_hum);
  AddExtremes(out, "outside_temp", h.outside_temp);
  AddExtremes(out, "dew_point", h.dew_point);
  AddExtremes(out, "wind_chill", h.wind_chill);
  AddExtremes(out, "heat_index", h.heat_index);
  AddExtremes(out, "thsw", h.thsw);
  AddExtremes(out, "solar", h.solar);
  AddExtremes(out, "uv", h.uv);
  AddExtremes(out, "rain_rate", h.rain_rate);
  AddExtremesArray(out, "extra_temp", h.extra_temp);
  AddExtremesArray(out, "soil_temp", h.soil_temp);
  AddExtremesArray(out, "leaf_temp", h.leaf_temp);
  AddExtremes(out, "outside_hum", h.outside_hum);
  AddExtremesArray(out, "extra_hum", h.extra_hum);
  AddExtremesArray(out, "soil_moist", h.soil_moist);
  AddExtremesArray(out, "leaf_wet", h.leaf_wet);
  return out;
}

std::string FormatValue(const Value& v) {
  if (!v) return "--";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", *v);
  std::string s = buf;
  // Trim trailing zeros and a trailing point: "43.500" -> "43.5", "7.000" -> "7".
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

bool ParseValue(const std::string& text, Value& out) {
  if (text == "--") {
    out.reset();
    return true;
  }
  if (text.empty()) return false;
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0' || !std::isfinite(d)) return false;
  out = d;
  return true;
}

}  // namespace tv::sim
