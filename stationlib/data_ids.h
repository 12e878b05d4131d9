#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "stationlib/current_conditions.h"
#include "stationlib/vantagepro.h"

// Data identifiers: sensor × 0x1000000 + quantity + period.
namespace tv::stationlib {

namespace ids {
inline constexpr std::uint32_t kPeriodMask = 0xFC00;
inline constexpr std::uint32_t kQuantityMask = 0xFF03FF;

inline constexpr std::uint16_t kDayHigh = VP_PERIOD_DAY_HIGH;
inline constexpr std::uint16_t kDayLow = VP_PERIOD_DAY_LOW;
inline constexpr std::uint16_t kMonthHigh = VP_PERIOD_MONTH_HIGH;
inline constexpr std::uint16_t kMonthLow = VP_PERIOD_MONTH_LOW;
inline constexpr std::uint16_t kYearHigh = VP_PERIOD_YEAR_HIGH;
inline constexpr std::uint16_t kYearLow = VP_PERIOD_YEAR_LOW;

inline constexpr std::uint32_t kQtyTemperature = VP_QTY_TEMPERATURE;
inline constexpr std::uint32_t kQtyDewPoint = VP_QTY_DEW_POINT;
inline constexpr std::uint32_t kQtyWindChill = VP_QTY_WIND_CHILL;
inline constexpr std::uint32_t kQtyHeatIndex = VP_QTY_HEAT_INDEX;
inline constexpr std::uint32_t kQtyThw = VP_QTY_THW;
inline constexpr std::uint32_t kQtyThsw = VP_QTY_THSW;
inline constexpr std::uint32_t kQtyEt = VP_QTY_ET;
inline constexpr std::uint32_t kQtyHumidity = VP_QTY_HUMIDITY;
inline constexpr std::uint32_t kQtyWindSpeed = VP_QTY_WIND_SPEED;
inline constexpr std::uint32_t kQtyWindDir = VP_QTY_WIND_DIR;
inline constexpr std::uint32_t kQtyBarometer = VP_QTY_BAROMETER;
inline constexpr std::uint32_t kQtyBarTrend = VP_QTY_BAR_TREND;
inline constexpr std::uint32_t kQtyRain = VP_QTY_RAIN;
inline constexpr std::uint32_t kQtyRainRate = VP_QTY_RAIN_RATE;
inline constexpr std::uint32_t kQtySolar = VP_QTY_SOLAR;
inline constexpr std::uint32_t kQtyUv = VP_QTY_UV;
inline constexpr std::uint32_t kQtySoilMoisture = VP_QTY_SOIL_MOISTURE;
inline constexpr std::uint32_t kQtyLeafWetness = VP_QTY_LEAF_WETNESS;
inline constexpr std::uint32_t kQtyConsole = VP_QTY_CONSOLE;

struct IdParts {
  int sensor;
  std::uint32_t quantity;
  std::uint32_t period;
};
constexpr IdParts Split(std::uint32_t id) {
  return {static_cast<int>(id >> 24), id & kQuantityMask, id & kPeriodMask};
}
}  // namespace ids

// A number read by identifier: code VP_OK with the value (VP_NO_DATA when
// the console has none), or an error code.
struct Reading {
  std::int16_t code = VP_OK;
  double value = VP_NO_DATA;
};

// Current value of `id`. `elevation_ft` comes from the console's set-up.
Reading CurrentValueById(const CurrentConditions& now, std::uint32_t id,
                         std::optional<double> elevation_ft);
// Current text of `id` into `out`; VP_OK or VP_ERR_BAD_ID.
std::int16_t CurrentTextById(const CurrentConditions& now, std::uint32_t id,
                             std::optional<double> elevation_ft, std::string& out);

// A record of the HILOWS block. Rain rates come in the library's rain unit
// (`click_mm` is the size of one rain click).
Reading HiLowValueById(std::span<const std::uint8_t> hilows, std::uint32_t id, double click_mm);
// The time of a day record as hour × 100 + minute (VP_NO_DATA when the
// console has none); VP_ERR_BAD_ID for unknown identifiers and for month
// and year records, which carry no time.
Reading HiLowTimeById(std::span<const std::uint8_t> hilows, std::uint32_t id);

}  // namespace tv::stationlib
