#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Where each value sits in the console's binary replies, one table per packet.
// Several of these layouts have not been checked against a real console: when
// one turns out to differ, the fix is the one row here (compare with a frame
// dump taken with TV_STATION_TRACE=1).
namespace tv::stationlib {

// How a field is encoded and which raw values mean "no data".
enum class Enc : std::uint8_t {
  kU8,
  kS8,
  kU16,
  kS16,
  kTemp10,         // s16, 0.1 °F; dashed 32767 or -32768
  kTempWhole,      // s16, whole °F; dashed 255, 32767 or -32768
  kTempByte,       // u8, whole °F + 90; dashed 255
  kHumidity,       // u8, %; dashed 255
  kBarometer,      // u16, inHg × 1000; dashed 0
  kSpeedByte,      // u8, mph; dashed 255
  kSpeedWord,      // u16, whole mph; dashed 255 or 0xFFFF
  kSpeedTenths,    // u16, 0.1 mph; dashed 0xFFFF
  kDirection,      // u16, 1–360 degrees; dashed 0 or 0x7FFF
  kClicks,         // u16, rain clicks (or clicks per hour); dashed 0xFFFF
  kUv,             // u8, UV index × 10; dashed 255
  kSolar,          // u16, W/m²; dashed 0x7FFF or 0xFFFF
  kEtThousandths,  // u16, 1/1000 in; dashed 0xFFFF
  kEtHundredths,   // u16, 1/100 in; dashed 0xFFFF
  kCentibar,       // u8, soil moisture; dashed 255
  kLeafWet,        // u8, 0–15; dashed 255 (and anything above 15)
  kTimeOfDay,      // u16, hour × 100 + minute; dashed 0xFFFF or not a time
};

std::size_t EncSize(Enc enc);

struct FieldSpec {
  std::uint16_t offset;
  Enc enc;
  std::uint8_t count = 1;  // consecutive values of the same encoding
};

// The value of element `index` of a field, in the field's natural unit (°F,
// inHg, mph, clicks, UV index, W/m², inches of ET, centibar, raw numbers;
// times stay hour × 100 + minute), or nullopt when the console sent its
// "no data" value or the block is too short.
std::optional<double> ReadField(std::span<const std::uint8_t> block, const FieldSpec& field,
                                int index = 0);
// Raw little-endian reads.
std::uint16_t ReadU16(std::span<const std::uint8_t> block, std::size_t offset);
std::int16_t ReadS16(std::span<const std::uint8_t> block, std::size_t offset);

// --- LOOP (packet type 0) ---------------------------------------------------
enum class Loop : std::uint8_t {
  kBarTrend,
  kPacketType,
  kBarometer,
  kInsideTemp,
  kInsideHum,
  kOutsideTemp,
  kWindSpeed,
  kWindAvg10,
  kWindDir,
  kExtraTemps,
  kSoilTemps,
  kLeafTemps,
  kOutsideHum,
  kExtraHums,
  kRainRate,
  kUv,
  kSolar,
  kStormRain,
  kStormStart,
  kDayRain,
  kMonthRain,
  kYearRain,
  kDayEt,
  kMonthEt,
  kYearEt,
  kSoilMoistures,
  kLeafWetnesses,
  kInsideAlarms,
  kRainAlarms,
  kOutsideAlarms,
  kExtraAlarms,
  kSoilLeafAlarms,
  kTxBattery,
  kConsoleBattery,
  kForecastIcons,
  kForecastRule,
  kSunrise,
  kSunset,
  kCount,
};
const FieldSpec& LoopField(Loop field);

// --- LOOP2 (packet type 1) --------------------------------------------------
enum class Loop2 : std::uint8_t {
  kBarTrend,
  kPacketType,
  kBarometer,
  kInsideTemp,
  kInsideHum,
  kOutsideTemp,
  kWindSpeed,
  kWindDir,
  kWindAvg10,
  kWindAvg2,
  kGust10,
  kGustDir,
  kDewPoint,
  kOutsideHum,
  kHeatIndex,
  kWindChill,
  kThsw,
  kRainRate,
  kUv,
  kSolar,
  kStormRain,
  kDayRain,
  kRain15Min,
  kRainHour,
  kDayEt,
  kRain24Hour,
  kCount,
};
const FieldSpec& Loop2Field(Loop2 field);

// --- HILOWS (436 bytes) -------------------------------------------------------
// One row per group of records: the values of sensors first_sensor to
// first_sensor + count - 1 for one quantity and one period, and for day
// records the times of occurrence (two bytes each, same order).
struct HiLowRow {
  std::uint32_t quantity;
  std::uint8_t first_sensor;
  std::uint8_t count;
  std::uint16_t period;
  std::uint16_t offset;
  Enc enc;
  std::int16_t time_offset;  // -1: no time for this period
};
std::span<const HiLowRow> HiLowLayout();

}  // namespace tv::stationlib
