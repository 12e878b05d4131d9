#include "gadget/archive/archive_columns.h"

#include <cmath>
#include <functional>

#include "lib/common/unit_conversions.h"

namespace tv {
namespace {

enum class Conversion { kNone, kTemperature, kPressure, kRain, kSpeed };

struct ColumnDef {
  ArchiveColumn column;
  Conversion conversion;
  std::function<float(const ArchiveRecord&)> read;
};

float AsFloat(std::int32_t value) {
  return static_cast<float>(value);
}

const std::array<ColumnDef, kArchiveColumnCount>& Definitions() {
  using C = Conversion;
  using R = const ArchiveRecord&;
  static const std::array<ColumnDef, kArchiveColumnCount> defs{{
      {{"outside_temp", "°C"}, C::kTemperature, [](R r) { return r.OutsideTemp; }},
      {{"outside_temp_high", "°C"}, C::kTemperature, [](R r) { return r.HiOutsideTemp; }},
      {{"outside_temp_low", "°C"}, C::kTemperature, [](R r) { return r.LowOutsideTemp; }},
      {{"inside_temp", "°C"}, C::kTemperature, [](R r) { return r.InsideTemp; }},
      {{"outside_hum", "%"}, C::kNone, [](R r) { return AsFloat(r.OutsideHum); }},
      {{"inside_hum", "%"}, C::kNone, [](R r) { return AsFloat(r.InsideHum); }},
      {{"barometer", "hPa"}, C::kPressure, [](R r) { return r.Barometer; }},
      {{"rain", "mm"}, C::kRain, [](R r) { return r.Rain; }},
      {{"rain_rate_high", "mm/h"}, C::kRain, [](R r) { return r.HiRainRate; }},
      {{"wind_speed_avg", "km/h"}, C::kSpeed, [](R r) { return r.AvgWindSpeed; }},
      {{"wind_speed_high", "km/h"}, C::kSpeed, [](R r) { return r.HiWindSpeed; }},
      {{"wind_dir_high", "°"}, C::kNone, [](R r) { return r.HiWindDir; }},
      {{"wind_dir_prevailing", "°"}, C::kNone, [](R r) { return r.PrevailingWindDir; }},
      {{"wind_samples", ""}, C::kNone, [](R r) { return AsFloat(r.WindSamples); }},
      {{"solar_rad", "W/m²"}, C::kNone, [](R r) { return r.SolarRad; }},
      {{"solar_rad_high", "W/m²"}, C::kNone, [](R r) { return r.HiSolarRad; }},
      {{"uv", "index"}, C::kNone, [](R r) { return r.UV; }},
      {{"uv_high", "index"}, C::kNone, [](R r) { return r.HiUV; }},
      {{"et", "mm"}, C::kRain, [](R r) { return r.ET; }},
      {{"forecast_rule", ""}, C::kNone, [](R r) { return AsFloat(r.ForecastRule); }},
      {{"leaf_temp_1", "°C"}, C::kTemperature, [](R r) { return r.LeafTemp[0]; }},
      {{"leaf_temp_2", "°C"}, C::kTemperature, [](R r) { return r.LeafTemp[1]; }},
      {{"leaf_wetness_1", ""}, C::kNone, [](R r) { return r.LeafWetness[0]; }},
      {{"leaf_wetness_2", ""}, C::kNone, [](R r) { return r.LeafWetness[1]; }},
      {{"soil_temp_1", "°C"}, C::kTemperature, [](R r) { return r.SoilTemp[0]; }},
      {{"soil_temp_2", "°C"}, C::kTemperature, [](R r) { return r.SoilTemp[1]; }},
      {{"soil_temp_3", "°C"}, C::kTemperature, [](R r) { return r.SoilTemp[2]; }},
      {{"soil_temp_4", "°C"}, C::kTemperature, [](R r) { return r.SoilTemp[3]; }},
      {{"soil_moisture_1", "cb"}, C::kNone, [](R r) { return r.SoilMoisture[0]; }},
      {{"soil_moisture_2", "cb"}, C::kNone, [](R r) { return r.SoilMoisture[1]; }},
      {{"soil_moisture_3", "cb"}, C::kNone, [](R r) { return r.SoilMoisture[2]; }},
      {{"soil_moisture_4", "cb"}, C::kNone, [](R r) { return r.SoilMoisture[3]; }},
      {{"extra_temp_1", "°C"}, C::kTemperature, [](R r) { return r.ExtraTemp[0]; }},
      {{"extra_temp_2", "°C"}, C::kTemperature, [](R r) { return r.ExtraTemp[1]; }},
      {{"extra_temp_3", "°C"}, C::kTemperature, [](R r) { return r.ExtraTemp[2]; }},
      {{"extra_hum_1", "%"}, C::kNone, [](R r) { return AsFloat(r.ExtraHum[0]); }},
      {{"extra_hum_2", "%"}, C::kNone, [](R r) { return AsFloat(r.ExtraHum[1]); }},
  }};
  return defs;
}

float Convert(Conversion conversion, float value) {
  switch (conversion) {
    case Conversion::kTemperature:
      return FahrenheitToCelsius(value);
    case Conversion::kPressure:
      return InHgToHpa(value);
    case Conversion::kRain:
      return RainToMm(value);
    case Conversion::kSpeed:
      // Whole miles per hour on the wire, as the current conditions convert them.
      return std::isfinite(value) ? MphToKmh(static_cast<std::int32_t>(std::lround(value))) : value;
    case Conversion::kNone:
      break;
  }
  return value;
}

}  // namespace

const std::array<ArchiveColumn, kArchiveColumnCount>& ArchiveColumns() {
  static const auto columns = [] {
    std::array<ArchiveColumn, kArchiveColumnCount> out{};
    for (std::size_t i = 0; i < kArchiveColumnCount; ++i) out[i] = Definitions()[i].column;
    return out;
  }();
  return columns;
}

ArchiveValues ConvertArchiveRecord(const ArchiveRecord& record) {
  ArchiveValues values;
  for (std::size_t i = 0; i < kArchiveColumnCount; ++i) {
    const auto& def = Definitions()[i];
    const float raw = def.read(record);
    if (!IsValidResult(raw)) continue;
    const float converted = Convert(def.conversion, raw);
    if (IsValidResult(converted)) values[i] = static_cast<double>(converted);
  }
  return values;
}

}  // namespace tv
