// Decoding of the console's packets and identifiers, from byte blocks built
// here out of the protocol's tables (the LOOP example is a real capture).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "protocol/crc.h"
#include "stationlib/current_conditions.h"
#include "stationlib/data_ids.h"
#include "stationlib/forecast.h"
#include "stationlib/packet_layouts.h"

namespace tv::stationlib {
namespace {

// LOOP packet captured from a Pro2 console (97 bytes before its CRC).
const std::vector<std::uint8_t> kCapturedLoop = {
    0x4C, 0x4F, 0x4F, 0x3C, 0x00, 0x86, 0x09, 0x23, 0x75, 0xB4, 0x02, 0x32, 0xB3, 0x01,
    0x0F, 0x07, 0x42, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x4E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x2B, 0x00, 0x11, 0xB5, 0x07, 0x00, 0x87, 0x00, 0x62, 0x0B,
    0x23, 0x00, 0x20, 0x00, 0x2E, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x33, 0x03, 0x06, 0x4B, 0xCC, 0x02, 0x59, 0x06, 0x0A, 0x0D};

constexpr double kHundredthInchMm = 0.254;
constexpr double kNoData = VP_NO_DATA;

constexpr std::uint32_t Id(std::uint32_t sensor, std::uint32_t quantity, std::uint32_t period = 0) {
  return sensor * 0x1000000u + quantity + period;
}

TEST(CapturedLoop, CarriesTheCrcTheConsoleSent) {
  std::vector<std::uint8_t> block = kCapturedLoop;
  block.push_back(0x80);
  block.push_back(0x50);
  EXPECT_TRUE(protocol::CrcBlockValid(block));
}

TEST(CapturedLoop, DecodesEveryValueByIdentifier) {
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, {}, kHundredthInchMm);
  const double click = kHundredthInchMm / 20;  // one click in the library's rain unit
  const double inch = 25.4 / 20;
  struct Row {
    const char* legend;
    std::uint32_t id;
    double expected;
  } rows[] = {
      {"outside temperature, 0.1 °F", Id(0, VP_QTY_TEMPERATURE), 43.5},
      {"inside temperature", Id(1, VP_QTY_TEMPERATURE), 69.2},
      {"outside humidity", Id(0, VP_QTY_HUMIDITY), 78},
      {"inside humidity", Id(1, VP_QTY_HUMIDITY), 50},
      {"barometer, inHg", Id(0, VP_QTY_BAROMETER), 29.987},
      {"wind speed", Id(0, VP_QTY_WIND_SPEED), 15},
      {"10-minute average from LOOP when no LOOP2", Id(1, VP_QTY_WIND_SPEED), 7},
      {"wind direction", Id(0, VP_QTY_WIND_DIR), 322},
      {"trend +60", Id(0, VP_QTY_BAR_TREND), 60},
      {"day rain, clicks to rain unit", Id(0, VP_QTY_RAIN, VP_PERIOD_DAY_TOTAL), 7 * click},
      {"month rain", Id(0, VP_QTY_RAIN, VP_PERIOD_MONTH_TOTAL), 135 * click},
      {"year rain", Id(0, VP_QTY_RAIN, VP_PERIOD_YEAR_TOTAL), 2914 * click},
      {"storm rain", Id(0, VP_QTY_RAIN, VP_PERIOD_STORM), 43 * click},
      {"day ET, 1/1000 in", Id(0, VP_QTY_ET, VP_PERIOD_DAY_TOTAL), 0.035 * inch},
      {"month ET, 1/100 in", Id(0, VP_QTY_ET, VP_PERIOD_MONTH_TOTAL), 0.32 * inch},
      {"year ET, 1/100 in", Id(0, VP_QTY_ET, VP_PERIOD_YEAR_TOTAL), 5.58 * inch},
      {"absent extra temperature 1 is dashed", Id(2, VP_QTY_TEMPERATURE), kNoData},
      {"absent soil temperature 4", Id(12, VP_QTY_TEMPERATURE), kNoData},
      {"absent leaf temperature 2", Id(16, VP_QTY_TEMPERATURE), kNoData},
      {"absent extra humidity 7", Id(8, VP_QTY_HUMIDITY), kNoData},
      {"absent soil moisture 1", Id(9, VP_QTY_SOIL_MOISTURE), kNoData},
      {"leaf wetness 4 reads 0 but is never valid", Id(18, VP_QTY_LEAF_WETNESS), kNoData},
      {"console battery", VP_ID_CONSOLE_VOLTAGE, 819 * 300.0 / 512 / 100},
      {"forecast icons", VP_ID_FORECAST_ICON, 6},
      {"forecast rule", VP_ID_FORECAST_RULE, 75},
      {"no pressure alarm", VP_ID_ALARM_BAR_RISING, 0},
      {"UV 0 is a reading, not a dash", Id(0, VP_QTY_UV), 0},
      {"solar 0", Id(0, VP_QTY_SOLAR), 0},
      {"no LOOP2: THSW unknown", Id(0, VP_QTY_THSW), kNoData},
      {"no LOOP2: gust unknown", Id(26, VP_QTY_WIND_SPEED), kNoData},
      {"station elevation comes from the set-up", Id(2, VP_QTY_BAROMETER), 110},
  };
  for (const Row& row : rows) {
    const Reading r = CurrentValueById(now, row.id, 110.0);
    EXPECT_EQ(r.code, VP_OK) << row.legend;
    EXPECT_NEAR(r.value, row.expected, 1e-6) << row.legend;
  }
  ASSERT_TRUE(now.sunrise && now.sunset);
  EXPECT_EQ(*now.sunrise, 716);
  EXPECT_EQ(*now.sunset, 1625);
}

TEST(CapturedLoop, WithoutLoop2DerivesDewPointAndWindChill) {
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, {}, kHundredthInchMm);
  // 43.5 °F and 78 %: dew point about 37 °F; 15 mph of wind chills 43.5 °F to about 36 °F.
  EXPECT_NEAR(CurrentValueById(now, Id(0, VP_QTY_DEW_POINT), {}).value, 37.0, 0.5);
  EXPECT_NEAR(CurrentValueById(now, Id(0, VP_QTY_WIND_CHILL), {}).value, 36.3, 0.5);
  // THW: heat index (simple formula below 80 °F) less 1.072 °F per mph.
  EXPECT_NEAR(CurrentValueById(now, Id(0, VP_QTY_THW), {}).value, 41.4 - 1.072 * 15, 0.2);
}

TEST(CapturedLoop, TextsByIdentifier) {
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, {}, kHundredthInchMm);
  struct Row {
    const char* legend;
    std::uint32_t id;
    const char* expected;
  } rows[] = {
      {"322° is north-west", Id(0, VP_QTY_WIND_DIR), "NW"},
      {"trend +60", Id(0, VP_QTY_BAR_TREND), "Rising Rapidly"},
      {"battery volts, two decimals", VP_ID_CONSOLE_VOLTAGE, "4.80"},
      {"transmitter batteries, whole number", VP_ID_TX_BATTERY_STATUS, "0"},
      {"no repeater data", VP_ID_REPEATER_STATUS, "0"},
      {"rule 75", VP_ID_FORECAST_TEXT, "PARTLY CLOUDY AND COOLER. "},
      {"a number as text", Id(1, VP_QTY_HUMIDITY), "50"},
      {"a dashed number as text", Id(2, VP_QTY_TEMPERATURE), "-32768"},
  };
  for (const Row& row : rows) {
    std::string text;
    EXPECT_EQ(CurrentTextById(now, row.id, {}, text), VP_OK) << row.legend;
    EXPECT_EQ(text, row.expected) << row.legend;
  }
}

TEST(CurrentIds, UnknownIdentifiersAreRejected) {
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, {}, kHundredthInchMm);
  const std::uint32_t rows[] = {
      Id(13, VP_QTY_TEMPERATURE),                     // no sensor 13
      Id(0, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_HIGH),  // a record, not a current value
      Id(3, VP_QTY_WIND_SPEED),                       // no such wind average
      Id(0, VP_QTY_RAIN),                             // rain needs a total period
      0x7F,                                           // no such quantity
  };
  for (const std::uint32_t id : rows) {
    EXPECT_EQ(CurrentValueById(now, id, {}).code, VP_ERR_BAD_ID) << std::hex << id;
    std::string text;
    EXPECT_EQ(CurrentTextById(now, id, {}, text), VP_ERR_BAD_ID) << std::hex << id;
  }
}

// A LOOP2 packet with the fields the library reads set by hand.
std::vector<std::uint8_t> Loop2Packet() {
  std::vector<std::uint8_t> p(97, 0);
  p[0] = 'L', p[1] = 'O', p[2] = 'O', p[4] = 1;
  auto put16 = [&](int at, int v) {
    p[at] = static_cast<std::uint8_t>(v & 0xFF);
    p[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  put16(18, 123);  // 10-minute average 12.3 mph
  put16(20, 87);   // 2-minute average 8.7 mph
  put16(22, 31);   // gust 31 mph
  put16(24, 180);  // from the south
  put16(30, -4);   // dew point -4 °F (negative whole degrees are values)
  put16(35, 255);  // heat index dashed
  put16(37, 32767);
  put16(39, 52);
  put16(52, 3);       // 15-minute rain
  put16(54, 12);      // last hour
  put16(58, 0xFFFF);  // last 24 hours dashed
  p[95] = 0x0A, p[96] = 0x0D;
  return p;
}

TEST(Loop2, ValuesOnlyItCarries) {
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, Loop2Packet(), 0.2);
  const double click = 0.2 / 20;
  struct Row {
    const char* legend;
    std::uint32_t id;
    double expected;
  } rows[] = {
      {"10-minute average in tenths", Id(1, VP_QTY_WIND_SPEED), 12.3},
      {"2-minute average", Id(25, VP_QTY_WIND_SPEED), 8.7},
      {"10-minute gust", Id(26, VP_QTY_WIND_SPEED), 31},
      {"gust direction", Id(26, VP_QTY_WIND_DIR), 180},
      {"negative dew point", Id(0, VP_QTY_DEW_POINT), -4},
      {"heat index 255 is dashed", Id(0, VP_QTY_HEAT_INDEX), kNoData},
      {"wind chill 32767 is dashed", Id(0, VP_QTY_WIND_CHILL), kNoData},
      {"THSW", Id(0, VP_QTY_THSW), 52},
      {"15-minute rain, 0.2 mm clicks", Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_15_MIN), 3 * click},
      {"last hour", Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_HOUR), 12 * click},
      {"last 24 hours dashed", Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_24_HOURS), kNoData},
      {"day rain from LOOP, 0.2 mm clicks", Id(0, VP_QTY_RAIN, VP_PERIOD_DAY_TOTAL), 7 * click},
  };
  for (const Row& row : rows) {
    const Reading r = CurrentValueById(now, row.id, {});
    EXPECT_EQ(r.code, VP_OK) << row.legend;
    EXPECT_NEAR(r.value, row.expected, 1e-6) << row.legend;
  }
}

TEST(Loop2, ThwIsTakenFromTheHeatIndexTheConsoleSends) {
  // The captured LOOP (43.5 °F, 78 %) gives a computed heat index near 41 °F;
  // the console's own 50 °F must be the one THW starts from.
  std::vector<std::uint8_t> loop2 = Loop2Packet();
  loop2[35] = 50;
  loop2[36] = 0;
  const CurrentConditions now = DecodeCurrent(kCapturedLoop, loop2, 0.2);
  EXPECT_NEAR(CurrentValueById(now, Id(0, VP_QTY_HEAT_INDEX), {}).value, 50, 1e-9);
  EXPECT_NEAR(CurrentValueById(now, Id(0, VP_QTY_THW), {}).value, 50 - 1.072 * 15, 1e-6);
}

TEST(RainUnit, TimesTwentyGivesMillimetresForEachCollector) {
  struct Row {
    const char* legend;
    double click_mm;
    int clicks;
    double mm;
  } rows[] = {
      {"0.2 mm collector: clicks / 100", 0.2, 37, 7.4},
      {"0.01 in collector: clicks x 0.254 / 20", 0.254, 100, 25.4},
      {"0.1 mm collector", 0.1, 15, 1.5},
  };
  for (const Row& row : rows) {
    std::vector<std::uint8_t> loop = kCapturedLoop;
    loop[50] = static_cast<std::uint8_t>(row.clicks);
    loop[51] = 0;
    const CurrentConditions now = DecodeCurrent(loop, {}, row.click_mm);
    EXPECT_NEAR(*now.day_rain * 20, row.mm, 1e-9) << row.legend;
  }
}

TEST(FieldEncodings, NoDataValues) {
  struct Row {
    const char* legend;
    Enc enc;
    std::vector<std::uint8_t> bytes;
    std::optional<double> expected;
  } rows[] = {
      {"0.1 °F, negative", Enc::kTemp10, {0x9C, 0xFF}, -10.0},
      {"0.1 °F 32767 dashed", Enc::kTemp10, {0xFF, 0x7F}, std::nullopt},
      {"0.1 °F -32768 dashed (highs)", Enc::kTemp10, {0x00, 0x80}, std::nullopt},
      {"whole °F -1 is a value", Enc::kTempWhole, {0xFF, 0xFF}, -1.0},
      {"whole °F 255 dashed", Enc::kTempWhole, {0xFF, 0x00}, std::nullopt},
      {"byte temp 0 is -90 °F", Enc::kTempByte, {0x00}, -90.0},
      {"byte temp 169 is 79 °F", Enc::kTempByte, {169}, 79.0},
      {"barometer 0 dashed", Enc::kBarometer, {0, 0}, std::nullopt},
      {"direction 360 is north", Enc::kDirection, {0x68, 0x01}, 360.0},
      {"direction 0 dashed", Enc::kDirection, {0, 0}, std::nullopt},
      {"direction 0x7FFF dashed", Enc::kDirection, {0xFF, 0x7F}, std::nullopt},
      {"UV in tenths", Enc::kUv, {57}, 5.7},
      {"solar 0x7FFF dashed", Enc::kSolar, {0xFF, 0x7F}, std::nullopt},
      {"leaf wetness 15", Enc::kLeafWet, {15}, 15.0},
      {"leaf wetness above 15 dashed", Enc::kLeafWet, {16}, std::nullopt},
      {"time 23:59", Enc::kTimeOfDay, {0x37, 0x09}, 2359.0},
      {"time 0xFFFF dashed", Enc::kTimeOfDay, {0xFF, 0xFF}, std::nullopt},
      {"time 12:60 is not a time", Enc::kTimeOfDay, {0xEC, 0x04}, std::nullopt},
      {"block too short", Enc::kU16, {0x01}, std::nullopt},
  };
  for (const Row& row : rows) {
    const auto v = ReadField(row.bytes, FieldSpec{0, row.enc});
    ASSERT_EQ(v.has_value(), row.expected.has_value()) << row.legend;
    if (v) {
      EXPECT_NEAR(*v, *row.expected, 1e-9) << row.legend;
    }
  }
}

TEST(LoopLayout, FieldsFollowEachOtherWithoutOverlap) {
  // Every field lies within the 95 data bytes and no two fields share a byte.
  std::vector<int> owner(95, -1);
  for (int f = 0; f < static_cast<int>(Loop::kCount); ++f) {
    const FieldSpec& spec = LoopField(static_cast<Loop>(f));
    const std::size_t end = spec.offset + EncSize(spec.enc) * spec.count;
    ASSERT_LE(end, 95u) << "field " << f;
    for (std::size_t i = spec.offset; i < end; ++i) {
      EXPECT_EQ(owner[i], -1) << "byte " << i << " of fields " << owner[i] << " and " << f;
      owner[i] = f;
    }
  }
}

TEST(HiLowLayout, EveryRecordHasItsOwnBytes) {
  std::vector<int> owner(436, -1);
  int row_index = 0;
  for (const HiLowRow& row : HiLowLayout()) {
    const std::size_t size = EncSize(row.enc);
    for (int k = 0; k < row.count; ++k) {
      for (std::size_t b = 0; b < size; ++b) {
        const std::size_t at = row.offset + k * size + b;
        ASSERT_LT(at, 436u) << "row " << row_index;
        EXPECT_EQ(owner[at], -1) << "value byte " << at << " row " << row_index;
        owner[at] = row_index;
      }
      if (row.time_offset >= 0) {
        for (int b = 0; b < 2; ++b) {
          const std::size_t at = static_cast<std::size_t>(row.time_offset + 2 * k + b);
          ASSERT_LT(at, 436u);
          EXPECT_EQ(owner[at], -1) << "time byte " << at << " row " << row_index;
          owner[at] = row_index;
        }
      }
    }
    ++row_index;
  }
}

TEST(HiLows, RecordsAndTimesByIdentifier) {
  std::vector<std::uint8_t> block(436, 0);
  auto put16 = [&](int at, int v) {
    block[at] = static_cast<std::uint8_t>(v & 0xFF);
    block[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  put16(0, 29512);       // barometer day low
  put16(12, 614);        // at 06:14
  put16(49, 785);        // outside day high 78.5 °F
  put16(53, 1432);       // at 14:32
  put16(61, -32768);     // outside year low dashed
  block[126 + 2] = 140;  // extra temperature 3 day low: 50 °F
  put16(156 + 4, 505);   // at 05:05
  block[133 + 1] = 100;  // soil temperature 2 day low: 10 °F
  block[137] = 95;       // leaf temperature 1 day low: 5 °F
  block[285 + 6] = 64;   // extra humidity 7 day high
  put16(116, 250);       // rain rate day high: 250 clicks/h
  block[392 + 3] = 200;  // soil moisture 4 year high
  const double click = 0.2 / 20;
  struct Row {
    const char* legend;
    std::uint32_t id;
    double value;
    double time;  // hour × 100 + minute (zeroed bytes: 00:00), -1 when the record has none
  } rows[] = {
      {"barometer day low", Id(0, VP_QTY_BAROMETER, VP_PERIOD_DAY_LOW), 29.512, 614},
      {"outside day high", Id(0, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_HIGH), 78.5, 1432},
      {"outside year low dashed", Id(0, VP_QTY_TEMPERATURE, VP_PERIOD_YEAR_LOW), kNoData, -1},
      {"extra temp 3 day low", Id(4, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_LOW), 50, 505},
      {"soil temp 2 day low", Id(10, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_LOW), 10, 0},
      {"leaf temp 1 day low", Id(15, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_LOW), 5, 0},
      {"extra hum 7 day high", Id(8, VP_QTY_HUMIDITY, VP_PERIOD_DAY_HIGH), 64, 0},
      {"rain rate in rain unit", Id(0, VP_QTY_RAIN_RATE, VP_PERIOD_DAY_HIGH), 250 * click, 0},
      {"soil moisture 4 year high", Id(12, VP_QTY_SOIL_MOISTURE, VP_PERIOD_YEAR_HIGH), 200, -1},
  };
  for (const Row& row : rows) {
    const Reading v = HiLowValueById(block, row.id, 0.2);
    EXPECT_EQ(v.code, VP_OK) << row.legend;
    EXPECT_NEAR(v.value, row.value, 1e-9) << row.legend;
    const Reading t = HiLowTimeById(block, row.id);
    if (row.time < 0) {
      EXPECT_EQ(t.code, VP_ERR_BAD_ID) << row.legend;
    } else {
      EXPECT_EQ(t.code, VP_OK) << row.legend;
      EXPECT_EQ(t.value, row.time) << row.legend;
    }
  }
  // Heat index has highs only, wind chill lows only; sensor 13 does not exist.
  EXPECT_EQ(HiLowValueById(block, Id(0, VP_QTY_HEAT_INDEX, VP_PERIOD_DAY_LOW), 0.2).code,
            VP_ERR_BAD_ID);
  EXPECT_EQ(HiLowValueById(block, Id(0, VP_QTY_WIND_CHILL, VP_PERIOD_YEAR_HIGH), 0.2).code,
            VP_ERR_BAD_ID);
  EXPECT_EQ(HiLowValueById(block, Id(13, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_LOW), 0.2).code,
            VP_ERR_BAD_ID);
}

TEST(Forecast, RulesBecomeSentencesEachEndingWithPeriodSpace) {
  struct Row {
    const char* legend;
    int rule;
    const char* text;
  } rows[] = {
      {"one sentence", 0, "MOSTLY CLEAR AND COOLER. "},
      {"three sentences", 129,
       "INCREASING CLOUDS AND COOLER. PRECIPITATION POSSIBLE WITHIN 12 HOURS, POSSIBLY HEAVY AT "
       "TIMES. WINDY. "},
      {"not enough data yet", 193, "FORECAST NOT READY YET. "},
      {"last rule", 196, "MOSTLY CLEAR AND COOLER. "},
      {"beyond the table", 197, ""},
      {"negative", -1, ""},
  };
  for (const Row& row : rows) EXPECT_EQ(ForecastText(row.rule), row.text) << row.legend;
}

TEST(Compass, SixteenSectors) {
  struct Row {
    double degrees;
    const char* code;
  } rows[] = {{360, "N"}, {11, "N"},    {12, "NNE"}, {45, "NE"},   {90, "E"},
              {180, "S"}, {202, "SSW"}, {270, "W"},  {337, "NNW"}, {349, "N"}};
  for (const Row& row : rows) EXPECT_STREQ(CompassCode(row.degrees), row.code) << row.degrees;
}

}  // namespace
}  // namespace tv::stationlib
