#include "stationlib/current_conditions.h"

#include <cmath>

#include "protocol/packets.h"
#include "stationlib/packet_layouts.h"
#include "stationlib/weather_formulas.h"

namespace tv::stationlib {

namespace proto = tv::protocol;

namespace {

Value Scaled(Value v, double factor) {
  if (!v) return std::nullopt;
  return *v * factor;
}

std::optional<int> KnownTrend(Value raw) {
  if (!raw) return std::nullopt;
  const int t = static_cast<int>(*raw);
  switch (t) {
    case proto::kTrendFallingRapidly:
    case proto::kTrendFallingSlowly:
    case proto::kTrendSteady:
    case proto::kTrendRisingSlowly:
    case proto::kTrendRisingRapidly:
      return t;
    default:
      return std::nullopt;  // Rev A 'P', or not enough history yet
  }
}

}  // namespace

CurrentConditions DecodeCurrent(std::span<const std::uint8_t> loop,
                                std::span<const std::uint8_t> loop2, double click_mm) {
  CurrentConditions c;
  const auto L = [&](Loop f, int i = 0) { return ReadField(loop, LoopField(f), i); };
  const auto L2 = [&](Loop2 f) { return ReadField(loop2, Loop2Field(f)); };
  const double rain = RainUnitFromMm(click_mm);
  const double inch = RainUnitFromMm(25.4);

  c.has_loop2 = loop2.size() >= proto::kLoopCrcCoverage;  // the CRC is already stripped
  c.bar_trend = KnownTrend(L(Loop::kBarTrend));
  c.barometer = L(Loop::kBarometer);
  c.inside_temp = L(Loop::kInsideTemp);
  c.outside_temp = L(Loop::kOutsideTemp);
  c.inside_hum = L(Loop::kInsideHum);
  c.outside_hum = L(Loop::kOutsideHum);
  c.wind_speed = L(Loop::kWindSpeed);
  c.wind_dir = L(Loop::kWindDir);
  c.rain_rate = Scaled(L(Loop::kRainRate), rain);
  c.storm_rain = Scaled(L(Loop::kStormRain), rain);
  c.day_rain = Scaled(L(Loop::kDayRain), rain);
  c.month_rain = Scaled(L(Loop::kMonthRain), rain);
  c.year_rain = Scaled(L(Loop::kYearRain), rain);
  c.day_et = Scaled(L(Loop::kDayEt), inch);
  c.month_et = Scaled(L(Loop::kMonthEt), inch);
  c.year_et = Scaled(L(Loop::kYearEt), inch);
  c.uv = L(Loop::kUv);
  c.solar = L(Loop::kSolar);
  for (int i = 0; i < 7; ++i) {
    c.extra_temp[i] = L(Loop::kExtraTemps, i);
    c.extra_hum[i] = L(Loop::kExtraHums, i);
  }
  for (int i = 0; i < 4; ++i) {
    c.soil_temp[i] = L(Loop::kSoilTemps, i);
    c.leaf_temp[i] = L(Loop::kLeafTemps, i);
    c.soil_moisture[i] = L(Loop::kSoilMoistures, i);
    // The console has two leaf-wetness inputs; the other two bytes mean nothing.
    if (i < proto::kValidLeafWetnessCount) c.leaf_wetness[i] = L(Loop::kLeafWetnesses, i);
  }
  c.console_volts =
      proto::ConsoleBatteryVolts(static_cast<unsigned>(L(Loop::kConsoleBattery).value_or(0)));
  c.tx_battery = static_cast<int>(L(Loop::kTxBattery).value_or(0));
  c.forecast_icons = static_cast<int>(L(Loop::kForecastIcons).value_or(0));
  c.forecast_rule = static_cast<int>(L(Loop::kForecastRule).value_or(0));
  c.inside_alarms = static_cast<int>(L(Loop::kInsideAlarms).value_or(0));
  c.rain_alarms = static_cast<int>(L(Loop::kRainAlarms).value_or(0));
  c.outside_alarms = static_cast<int>(L(Loop::kOutsideAlarms).value_or(0));
  if (const Value v = L(Loop::kSunrise)) c.sunrise = static_cast<int>(*v);
  if (const Value v = L(Loop::kSunset)) c.sunset = static_cast<int>(*v);

  const bool have_th = c.outside_temp && c.outside_hum && *c.outside_hum > 0;
  if (c.has_loop2) {
    c.wind_avg10 = L2(Loop2::kWindAvg10);
    c.wind_avg2 = L2(Loop2::kWindAvg2);
    c.gust10 = L2(Loop2::kGust10);
    c.gust_dir = L2(Loop2::kGustDir);
    c.dew_point = L2(Loop2::kDewPoint);
    c.heat_index = L2(Loop2::kHeatIndex);
    c.wind_chill = L2(Loop2::kWindChill);
    c.thsw = L2(Loop2::kThsw);
    c.rain_15min = Scaled(L2(Loop2::kRain15Min), rain);
    c.rain_hour = Scaled(L2(Loop2::kRainHour), rain);
    c.rain_24h = Scaled(L2(Loop2::kRain24Hour), rain);
  } else {
    // Older consoles: what can be derived from temperature, humidity and wind.
    c.wind_avg10 = L(Loop::kWindAvg10);
    if (have_th) {
      c.dew_point = DewPointF(*c.outside_temp, *c.outside_hum);
      c.heat_index = HeatIndexF(*c.outside_temp, *c.outside_hum);
    }
    if (c.outside_temp && c.wind_speed) c.wind_chill = WindChillF(*c.outside_temp, *c.wind_speed);
  }
  // THW from the heat index served beside it (the console's own when it sends
  // one), so that the two never disagree.
  Value heat = c.heat_index;
  if (!heat && have_th) heat = HeatIndexF(*c.outside_temp, *c.outside_hum);
  if (heat && c.wind_speed) c.thw = ThwIndexF(*heat, *c.wind_speed);
  return c;
}

const char* CompassCode(double degrees) {
  static const char* const kCodes[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                         "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  const double d = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
  const int sector = static_cast<int>(std::floor(d / 22.5 + 0.5)) % 16;
  return kCodes[sector];
}

const char* TrendText(std::optional<int> trend) {
  if (!trend) return "";
  switch (*trend) {
    case proto::kTrendFallingRapidly:
      return "Falling Rapidly";
    case proto::kTrendFallingSlowly:
      return "Falling";
    case proto::kTrendSteady:
      return "Steady";
    case proto::kTrendRisingSlowly:
      return "Rising";
    case proto::kTrendRisingRapidly:
      return "Rising Rapidly";
    default:
      return "";
  }
}

}  // namespace tv::stationlib
