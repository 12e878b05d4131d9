#include "stationlib/data_ids.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "stationlib/forecast.h"
#include "stationlib/packet_layouts.h"

namespace tv::stationlib {

namespace {

using namespace ids;

Reading Ok(Value v) {
  return {VP_OK, v ? *v : static_cast<double>(VP_NO_DATA)};
}
Reading Ok(double v) {
  return {VP_OK, v};
}
constexpr Reading kBadId{VP_ERR_BAD_ID, VP_ERR_BAD_ID};

template <std::size_t N>
Reading FromArray(const std::array<Value, N>& values, int index) {
  if (index < 0 || index >= static_cast<int>(N)) return kBadId;
  return Ok(values[static_cast<std::size_t>(index)]);
}

Reading Temperature(const CurrentConditions& c, int sensor) {
  if (sensor == 0) return Ok(c.outside_temp);
  if (sensor == 1) return Ok(c.inside_temp);
  if (sensor >= 2 && sensor <= 8) return FromArray(c.extra_temp, sensor - 2);
  if (sensor >= 9 && sensor <= 12) return FromArray(c.soil_temp, sensor - 9);
  if (sensor >= 15 && sensor <= 18) return FromArray(c.leaf_temp, sensor - 15);
  return kBadId;
}

Reading Humidity(const CurrentConditions& c, int sensor) {
  if (sensor == 0) return Ok(c.outside_hum);
  if (sensor == 1) return Ok(c.inside_hum);
  if (sensor >= 2 && sensor <= 8) return FromArray(c.extra_hum, sensor - 2);
  return kBadId;
}

Reading RainTotal(const CurrentConditions& c, std::uint32_t period) {
  switch (period) {
    case VP_PERIOD_DAY_TOTAL:
      return Ok(c.day_rain);
    case VP_PERIOD_MONTH_TOTAL:
      return Ok(c.month_rain);
    case VP_PERIOD_YEAR_TOTAL:
      return Ok(c.year_rain);
    case VP_PERIOD_STORM:
      return Ok(c.storm_rain);
    case VP_PERIOD_LAST_15_MIN:
      return Ok(c.rain_15min);
    case VP_PERIOD_LAST_HOUR:
      return Ok(c.rain_hour);
    case VP_PERIOD_LAST_24_HOURS:
      return Ok(c.rain_24h);
    default:
      return kBadId;
  }
}

Reading EtTotal(const CurrentConditions& c, std::uint32_t period) {
  switch (period) {
    case VP_PERIOD_DAY_TOTAL:
      return Ok(c.day_et);
    case VP_PERIOD_MONTH_TOTAL:
      return Ok(c.month_et);
    case VP_PERIOD_YEAR_TOTAL:
      return Ok(c.year_et);
    default:
      return kBadId;
  }
}

Reading Console(const CurrentConditions& c, int sensor) {
  switch (sensor) {
    case 9:
      return Ok(c.console_volts);
    case 10:
      return Ok(c.tx_battery);
    case 11:
      return Ok(0.0);  // no repeater data in the console's packets
    case 13:
      return Ok(c.forecast_icons);
    case 14:
      return Ok(c.forecast_rule);
    case 20:
      return Ok((c.inside_alarms & 0x01) != 0 ? 1.0 : 0.0);
    case 21:
      return Ok((c.inside_alarms & 0x02) != 0 ? 1.0 : 0.0);
    case 22:
      return Ok((c.rain_alarms & 0x02) != 0 ? 1.0 : 0.0);
    case 23:
      return Ok(c.inside_alarms);
    case 24:
      return Ok(c.rain_alarms);
    case 25:
      return Ok(c.outside_alarms);
    default:
      return kBadId;
  }
}

// Identifiers whose only period is "now".
Reading Instant(const CurrentConditions& c, std::uint32_t quantity, int sensor,
                std::optional<double> elevation_ft) {
  switch (quantity) {
    case kQtyTemperature:
      return Temperature(c, sensor);
    case kQtyHumidity:
      return Humidity(c, sensor);
    case kQtyWindSpeed:
      if (sensor == 0) return Ok(c.wind_speed);
      if (sensor == 1) return Ok(c.wind_avg10);
      if (sensor == 25) return Ok(c.wind_avg2);
      if (sensor == 26) return Ok(c.gust10);
      return kBadId;
    case kQtyWindDir:
      if (sensor == 0) return Ok(c.wind_dir);
      if (sensor == 26) return Ok(c.gust_dir);
      return kBadId;
    case kQtyBarometer:
      if (sensor == 0) return Ok(c.barometer);
      if (sensor == 2) return Ok(elevation_ft);
      return kBadId;
    case kQtyBarTrend:
      if (sensor != 0) return kBadId;
      return c.bar_trend ? Ok(static_cast<double>(*c.bar_trend)) : Ok(Value{});
    case kQtySoilMoisture:
      return sensor >= 9 ? FromArray(c.soil_moisture, sensor - 9) : kBadId;
    case kQtyLeafWetness:
      return sensor >= 15 ? FromArray(c.leaf_wetness, sensor - 15) : kBadId;
    case kQtyConsole:
      return Console(c, sensor);
    default:
      break;
  }
  if (sensor != 0) return kBadId;
  switch (quantity) {
    case kQtyDewPoint:
      return Ok(c.dew_point);
    case kQtyWindChill:
      return Ok(c.wind_chill);
    case kQtyHeatIndex:
      return Ok(c.heat_index);
    case kQtyThw:
      return Ok(c.thw);
    case kQtyThsw:
      return Ok(c.thsw);
    case kQtyRainRate:
      return Ok(c.rain_rate);
    case kQtySolar:
      return Ok(c.solar);
    case kQtyUv:
      return Ok(c.uv);
    default:
      return kBadId;
  }
}

// Numbers in texts always carry a decimal point, whatever locale the host
// program has switched to (a French desktop would otherwise get "4,70").
std::string FixedText(double v, int decimals) {
  char buf[64];
  const auto [end, error] =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (error != std::errc{}) return "0";
  return std::string(buf, end);
}

std::string NumberText(double v) {
  return FixedText(v, v == std::floor(v) && std::fabs(v) < 1e9 ? 0 : 2);
}

const HiLowRow* FindRow(std::uint32_t id, int& index) {
  const IdParts p = Split(id);
  for (const HiLowRow& row : HiLowLayout()) {
    if (row.quantity == p.quantity && row.period == p.period && p.sensor >= row.first_sensor &&
        p.sensor < row.first_sensor + row.count) {
      index = p.sensor - row.first_sensor;
      return &row;
    }
  }
  return nullptr;
}

}  // namespace

Reading CurrentValueById(const CurrentConditions& now, std::uint32_t id,
                         std::optional<double> elevation_ft) {
  const IdParts p = Split(id);
  if (p.quantity == kQtyRain) return p.sensor == 0 ? RainTotal(now, p.period) : kBadId;
  if (p.quantity == kQtyEt) return p.sensor == 0 ? EtTotal(now, p.period) : kBadId;
  if (p.period != 0) return kBadId;
  return Instant(now, p.quantity, p.sensor, elevation_ft);
}

std::int16_t CurrentTextById(const CurrentConditions& now, std::uint32_t id,
                             std::optional<double> elevation_ft, std::string& out) {
  const IdParts p = Split(id);
  out.clear();
  if (p.period == 0 && p.quantity == kQtyWindDir && (p.sensor == 0 || p.sensor == 26)) {
    const Value dir = p.sensor == 0 ? now.wind_dir : now.gust_dir;
    if (dir) out = CompassCode(*dir);
    return VP_OK;
  }
  if (p.period == 0 && p.quantity == kQtyBarTrend && p.sensor == 0) {
    out = TrendText(now.bar_trend);
    return VP_OK;
  }
  if (id == VP_ID_CONSOLE_VOLTAGE) {
    out = FixedText(now.console_volts, 2);
    return VP_OK;
  }
  if (id == VP_ID_FORECAST_TEXT) {
    out = ForecastText(now.forecast_rule);
    return VP_OK;
  }
  const Reading r = CurrentValueById(now, id, elevation_ft);
  if (r.code != VP_OK) return r.code;
  out = NumberText(r.value);
  return VP_OK;
}

Reading HiLowValueById(std::span<const std::uint8_t> hilows, std::uint32_t id, double click_mm) {
  int index = 0;
  const HiLowRow* row = FindRow(id, index);
  if (row == nullptr) return kBadId;
  Value v = ReadField(hilows, FieldSpec{row->offset, row->enc, row->count}, index);
  if (v && row->quantity == kQtyRainRate) *v *= RainUnitFromMm(click_mm);
  return Ok(v);
}

Reading HiLowTimeById(std::span<const std::uint8_t> hilows, std::uint32_t id) {
  int index = 0;
  const HiLowRow* row = FindRow(id, index);
  if (row == nullptr || row->time_offset < 0) return kBadId;
  const FieldSpec times{static_cast<std::uint16_t>(row->time_offset), Enc::kTimeOfDay, row->count};
  return Ok(ReadField(hilows, times, index));
}

}  // namespace tv::stationlib
