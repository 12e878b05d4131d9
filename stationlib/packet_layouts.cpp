#include "stationlib/packet_layouts.h"

#include <array>

#include "stationlib/data_ids.h"

namespace tv::stationlib {

std::size_t EncSize(Enc enc) {
  switch (enc) {
    case Enc::kU8:
    case Enc::kS8:
    case Enc::kTempByte:
    case Enc::kHumidity:
    case Enc::kSpeedByte:
    case Enc::kUv:
    case Enc::kCentibar:
    case Enc::kLeafWet:
      return 1;
    default:
      return 2;
  }
}

std::uint16_t ReadU16(std::span<const std::uint8_t> block, std::size_t offset) {
  if (offset + 2 > block.size()) return 0;
  return static_cast<std::uint16_t>(block[offset] | (block[offset + 1] << 8));
}

std::int16_t ReadS16(std::span<const std::uint8_t> block, std::size_t offset) {
  return static_cast<std::int16_t>(ReadU16(block, offset));
}

std::optional<double> ReadField(std::span<const std::uint8_t> block, const FieldSpec& field,
                                int index) {
  if (index < 0 || index >= field.count) return std::nullopt;
  const std::size_t size = EncSize(field.enc);
  const std::size_t at = field.offset + static_cast<std::size_t>(index) * size;
  if (at + size > block.size()) return std::nullopt;
  const unsigned u8 = block[at];
  const unsigned u16 = size == 2 ? ReadU16(block, at) : u8;
  const int s16 = static_cast<std::int16_t>(u16);
  switch (field.enc) {
    case Enc::kU8:
    case Enc::kU16:
      return u16;
    case Enc::kS8:
      return static_cast<std::int8_t>(u8);
    case Enc::kS16:
      return s16;
    case Enc::kTemp10:
      if (s16 == 32767 || s16 == -32768) return std::nullopt;
      return s16 / 10.0;
    case Enc::kTempWhole:
      if (s16 == 255 || s16 == 32767 || s16 == -32768) return std::nullopt;
      return s16;
    case Enc::kTempByte:
      if (u8 == 0xFF) return std::nullopt;
      return static_cast<int>(u8) - 90;
    case Enc::kHumidity:
    case Enc::kSpeedByte:
    case Enc::kCentibar:
      if (u8 == 0xFF) return std::nullopt;
      return u8;
    case Enc::kUv:
      if (u8 == 0xFF) return std::nullopt;
      return u8 / 10.0;
    case Enc::kLeafWet:
      if (u8 > 15) return std::nullopt;
      return u8;
    case Enc::kBarometer:
      if (u16 == 0) return std::nullopt;
      return u16 / 1000.0;
    case Enc::kSpeedWord:
      if (u16 == 0xFF || u16 == 0xFFFF) return std::nullopt;
      return u16;
    case Enc::kSpeedTenths:
      if (u16 == 0xFFFF) return std::nullopt;
      return u16 / 10.0;
    case Enc::kDirection:
      if (u16 == 0 || u16 == 0x7FFF || u16 > 360) return std::nullopt;
      return u16;
    case Enc::kClicks:
      if (u16 == 0xFFFF) return std::nullopt;
      return u16;
    case Enc::kSolar:
      if (u16 == 0x7FFF || u16 == 0xFFFF) return std::nullopt;
      return u16;
    case Enc::kEtThousandths:
      if (u16 == 0xFFFF) return std::nullopt;
      return u16 / 1000.0;
    case Enc::kEtHundredths:
      if (u16 == 0xFFFF) return std::nullopt;
      return u16 / 100.0;
    case Enc::kTimeOfDay:
      if (u16 / 100 > 23 || u16 % 100 > 59) return std::nullopt;
      return u16;
  }
  return std::nullopt;
}

namespace {

constexpr std::array<FieldSpec, static_cast<std::size_t>(Loop::kCount)> kLoopLayout = {{
    {3, Enc::kS8},              // kBarTrend
    {4, Enc::kU8},              // kPacketType
    {7, Enc::kBarometer},       // kBarometer
    {9, Enc::kTemp10},          // kInsideTemp
    {11, Enc::kHumidity},       // kInsideHum
    {12, Enc::kTemp10},         // kOutsideTemp
    {14, Enc::kSpeedByte},      // kWindSpeed
    {15, Enc::kSpeedByte},      // kWindAvg10
    {16, Enc::kDirection},      // kWindDir
    {18, Enc::kTempByte, 7},    // kExtraTemps
    {25, Enc::kTempByte, 4},    // kSoilTemps
    {29, Enc::kTempByte, 4},    // kLeafTemps
    {33, Enc::kHumidity},       // kOutsideHum
    {34, Enc::kHumidity, 7},    // kExtraHums
    {41, Enc::kClicks},         // kRainRate
    {43, Enc::kUv},             // kUv
    {44, Enc::kSolar},          // kSolar
    {46, Enc::kClicks},         // kStormRain
    {48, Enc::kU16},            // kStormStart
    {50, Enc::kClicks},         // kDayRain
    {52, Enc::kClicks},         // kMonthRain
    {54, Enc::kClicks},         // kYearRain
    {56, Enc::kEtThousandths},  // kDayEt
    {58, Enc::kEtHundredths},   // kMonthEt
    {60, Enc::kEtHundredths},   // kYearEt
    {62, Enc::kCentibar, 4},    // kSoilMoistures
    {66, Enc::kLeafWet, 4},     // kLeafWetnesses
    {70, Enc::kU8},             // kInsideAlarms
    {71, Enc::kU8},             // kRainAlarms
    {72, Enc::kU16},            // kOutsideAlarms
    {74, Enc::kU8, 8},          // kExtraAlarms
    {82, Enc::kU8, 4},          // kSoilLeafAlarms
    {86, Enc::kU8},             // kTxBattery
    {87, Enc::kU16},            // kConsoleBattery
    {89, Enc::kU8},             // kForecastIcons
    {90, Enc::kU8},             // kForecastRule
    {91, Enc::kTimeOfDay},      // kSunrise
    {93, Enc::kTimeOfDay},      // kSunset
}};

constexpr std::array<FieldSpec, static_cast<std::size_t>(Loop2::kCount)> kLoop2Layout = {{
    {3, Enc::kS8},              // kBarTrend
    {4, Enc::kU8},              // kPacketType
    {7, Enc::kBarometer},       // kBarometer
    {9, Enc::kTemp10},          // kInsideTemp
    {11, Enc::kHumidity},       // kInsideHum
    {12, Enc::kTemp10},         // kOutsideTemp
    {14, Enc::kSpeedByte},      // kWindSpeed
    {16, Enc::kDirection},      // kWindDir
    {18, Enc::kSpeedTenths},    // kWindAvg10
    {20, Enc::kSpeedTenths},    // kWindAvg2
    {22, Enc::kSpeedWord},      // kGust10
    {24, Enc::kDirection},      // kGustDir
    {30, Enc::kTempWhole},      // kDewPoint
    {33, Enc::kHumidity},       // kOutsideHum
    {35, Enc::kTempWhole},      // kHeatIndex
    {37, Enc::kTempWhole},      // kWindChill
    {39, Enc::kTempWhole},      // kThsw
    {41, Enc::kClicks},         // kRainRate
    {43, Enc::kUv},             // kUv
    {44, Enc::kSolar},          // kSolar
    {46, Enc::kClicks},         // kStormRain
    {50, Enc::kClicks},         // kDayRain
    {52, Enc::kClicks},         // kRain15Min
    {54, Enc::kClicks},         // kRainHour
    {56, Enc::kEtThousandths},  // kDayEt
    {58, Enc::kClicks},         // kRain24Hour
}};

using ids::kDayHigh;
using ids::kDayLow;
using ids::kMonthHigh;
using ids::kMonthLow;
using ids::kYearHigh;
using ids::kYearLow;

// clang-format off
constexpr HiLowRow kHiLowLayout[] = {
    // quantity              sensors  period      value  encoding          time
    {ids::kQtyBarometer,     0, 1,  kDayLow,    0,   Enc::kBarometer,  12},
    {ids::kQtyBarometer,     0, 1,  kDayHigh,   2,   Enc::kBarometer,  14},
    {ids::kQtyBarometer,     0, 1,  kMonthLow,  4,   Enc::kBarometer,  -1},
    {ids::kQtyBarometer,     0, 1,  kMonthHigh, 6,   Enc::kBarometer,  -1},
    {ids::kQtyBarometer,     0, 1,  kYearLow,   8,   Enc::kBarometer,  -1},
    {ids::kQtyBarometer,     0, 1,  kYearHigh,  10,  Enc::kBarometer,  -1},
    {ids::kQtyWindSpeed,     0, 1,  kDayHigh,   16,  Enc::kSpeedByte,  17},
    {ids::kQtyWindSpeed,     0, 1,  kMonthHigh, 19,  Enc::kSpeedByte,  -1},
    {ids::kQtyWindSpeed,     0, 1,  kYearHigh,  20,  Enc::kSpeedByte,  -1},
    {ids::kQtyTemperature,   1, 1,  kDayHigh,   21,  Enc::kTemp10,     25},
    {ids::kQtyTemperature,   1, 1,  kDayLow,    23,  Enc::kTemp10,     27},
    {ids::kQtyTemperature,   1, 1,  kMonthLow,  29,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   1, 1,  kMonthHigh, 31,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   1, 1,  kYearLow,   33,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   1, 1,  kYearHigh,  35,  Enc::kTemp10,     -1},
    {ids::kQtyHumidity,      1, 1,  kDayHigh,   37,  Enc::kHumidity,   39},
    {ids::kQtyHumidity,      1, 1,  kDayLow,    38,  Enc::kHumidity,   41},
    {ids::kQtyHumidity,      1, 1,  kMonthHigh, 43,  Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      1, 1,  kMonthLow,  44,  Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      1, 1,  kYearHigh,  45,  Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      1, 1,  kYearLow,   46,  Enc::kHumidity,   -1},
    {ids::kQtyTemperature,   0, 1,  kDayLow,    47,  Enc::kTemp10,     51},
    {ids::kQtyTemperature,   0, 1,  kDayHigh,   49,  Enc::kTemp10,     53},
    {ids::kQtyTemperature,   0, 1,  kMonthHigh, 55,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   0, 1,  kMonthLow,  57,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   0, 1,  kYearHigh,  59,  Enc::kTemp10,     -1},
    {ids::kQtyTemperature,   0, 1,  kYearLow,   61,  Enc::kTemp10,     -1},
    {ids::kQtyDewPoint,      0, 1,  kDayLow,    63,  Enc::kTempWhole,  67},
    {ids::kQtyDewPoint,      0, 1,  kDayHigh,   65,  Enc::kTempWhole,  69},
    {ids::kQtyDewPoint,      0, 1,  kMonthHigh, 71,  Enc::kTempWhole,  -1},
    {ids::kQtyDewPoint,      0, 1,  kMonthLow,  73,  Enc::kTempWhole,  -1},
    {ids::kQtyDewPoint,      0, 1,  kYearHigh,  75,  Enc::kTempWhole,  -1},
    {ids::kQtyDewPoint,      0, 1,  kYearLow,   77,  Enc::kTempWhole,  -1},
    {ids::kQtyWindChill,     0, 1,  kDayLow,    79,  Enc::kTempWhole,  81},
    {ids::kQtyWindChill,     0, 1,  kMonthLow,  83,  Enc::kTempWhole,  -1},
    {ids::kQtyWindChill,     0, 1,  kYearLow,   85,  Enc::kTempWhole,  -1},
    {ids::kQtyHeatIndex,     0, 1,  kDayHigh,   87,  Enc::kTempWhole,  89},
    {ids::kQtyHeatIndex,     0, 1,  kMonthHigh, 91,  Enc::kTempWhole,  -1},
    {ids::kQtyHeatIndex,     0, 1,  kYearHigh,  93,  Enc::kTempWhole,  -1},
    {ids::kQtyThsw,          0, 1,  kDayHigh,   95,  Enc::kTempWhole,  97},
    {ids::kQtyThsw,          0, 1,  kMonthHigh, 99,  Enc::kTempWhole,  -1},
    {ids::kQtyThsw,          0, 1,  kYearHigh,  101, Enc::kTempWhole,  -1},
    {ids::kQtySolar,         0, 1,  kDayHigh,   103, Enc::kSolar,      105},
    {ids::kQtySolar,         0, 1,  kMonthHigh, 107, Enc::kSolar,      -1},
    {ids::kQtySolar,         0, 1,  kYearHigh,  109, Enc::kSolar,      -1},
    {ids::kQtyUv,            0, 1,  kDayHigh,   111, Enc::kUv,         112},
    {ids::kQtyUv,            0, 1,  kMonthHigh, 114, Enc::kUv,         -1},
    {ids::kQtyUv,            0, 1,  kYearHigh,  115, Enc::kUv,         -1},
    {ids::kQtyRainRate,      0, 1,  kDayHigh,   116, Enc::kClicks,     118},
    {ids::kQtyRainRate,      0, 1,  kMonthHigh, 122, Enc::kClicks,     -1},
    {ids::kQtyRainRate,      0, 1,  kYearHigh,  124, Enc::kClicks,     -1},
    // 15 one-byte temperatures: extra 1-7 (sensors 2-8), soil 1-4 (9-12), leaf 1-4 (15-18).
    {ids::kQtyTemperature,   2, 7,  kDayLow,    126, Enc::kTempByte,   156},
    {ids::kQtyTemperature,   9, 4,  kDayLow,    133, Enc::kTempByte,   170},
    {ids::kQtyTemperature,  15, 4,  kDayLow,    137, Enc::kTempByte,   178},
    {ids::kQtyTemperature,   2, 7,  kDayHigh,   141, Enc::kTempByte,   186},
    {ids::kQtyTemperature,   9, 4,  kDayHigh,   148, Enc::kTempByte,   200},
    {ids::kQtyTemperature,  15, 4,  kDayHigh,   152, Enc::kTempByte,   208},
    {ids::kQtyTemperature,   2, 7,  kMonthHigh, 216, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   9, 4,  kMonthHigh, 223, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,  15, 4,  kMonthHigh, 227, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   2, 7,  kMonthLow,  231, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   9, 4,  kMonthLow,  238, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,  15, 4,  kMonthLow,  242, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   2, 7,  kYearHigh,  246, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   9, 4,  kYearHigh,  253, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,  15, 4,  kYearHigh,  257, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   2, 7,  kYearLow,   261, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,   9, 4,  kYearLow,   268, Enc::kTempByte,   -1},
    {ids::kQtyTemperature,  15, 4,  kYearLow,   272, Enc::kTempByte,   -1},
    // 8 humidities: outside (sensor 0), extra 1-7 (sensors 2-8).
    {ids::kQtyHumidity,      0, 1,  kDayLow,    276, Enc::kHumidity,   292},
    {ids::kQtyHumidity,      2, 7,  kDayLow,    277, Enc::kHumidity,   294},
    {ids::kQtyHumidity,      0, 1,  kDayHigh,   284, Enc::kHumidity,   308},
    {ids::kQtyHumidity,      2, 7,  kDayHigh,   285, Enc::kHumidity,   310},
    {ids::kQtyHumidity,      0, 1,  kMonthHigh, 324, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      2, 7,  kMonthHigh, 325, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      0, 1,  kMonthLow,  332, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      2, 7,  kMonthLow,  333, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      0, 1,  kYearHigh,  340, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      2, 7,  kYearHigh,  341, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      0, 1,  kYearLow,   348, Enc::kHumidity,   -1},
    {ids::kQtyHumidity,      2, 7,  kYearLow,   349, Enc::kHumidity,   -1},
    // Soil moistures 1-4 (sensors 9-12), leaf wetnesses 1-4 (sensors 15-18).
    {ids::kQtySoilMoisture,  9, 4,  kDayHigh,   356, Enc::kCentibar,   360},
    {ids::kQtySoilMoisture,  9, 4,  kDayLow,    368, Enc::kCentibar,   372},
    {ids::kQtySoilMoisture,  9, 4,  kMonthLow,  380, Enc::kCentibar,   -1},
    {ids::kQtySoilMoisture,  9, 4,  kMonthHigh, 384, Enc::kCentibar,   -1},
    {ids::kQtySoilMoisture,  9, 4,  kYearLow,   388, Enc::kCentibar,   -1},
    {ids::kQtySoilMoisture,  9, 4,  kYearHigh,  392, Enc::kCentibar,   -1},
    {ids::kQtyLeafWetness,  15, 4,  kDayHigh,   396, Enc::kLeafWet,    400},
    {ids::kQtyLeafWetness,  15, 4,  kDayLow,    408, Enc::kLeafWet,    412},
    {ids::kQtyLeafWetness,  15, 4,  kMonthLow,  420, Enc::kLeafWet,    -1},
    {ids::kQtyLeafWetness,  15, 4,  kMonthHigh, 424, Enc::kLeafWet,    -1},
    {ids::kQtyLeafWetness,  15, 4,  kYearLow,   428, Enc::kLeafWet,    -1},
    {ids::kQtyLeafWetness,  15, 4,  kYearHigh,  432, Enc::kLeafWet,    -1},
};
// clang-format on

}  // namespace

const FieldSpec& LoopField(Loop field) {
  return kLoopLayout[static_cast<std::size_t>(field)];
}

const FieldSpec& Loop2Field(Loop2 field) {
  return kLoop2Layout[static_cast<std::size_t>(field)];
}

std::span<const HiLowRow> HiLowLayout() {
  return kHiLowLayout;
}

}  // namespace tv::stationlib
