// Every packet the simulator encodes must decode, with decoders written
// separately from the packet tables, back to the model values it came from.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "protocol/crc.h"
#include "simulator/packet_encoder.h"
#include "simulator/scenario.h"
#include "simulator/simulator_core.h"
#include "tests/support/console_decoder.h"

namespace tv::sim {
namespace {

using testing::Decoded;

CoreOptions At(int y, int mo, int d, int h, int mi, std::uint64_t seed = 7) {
  CoreOptions o;
  o.seed = seed;
  o.start = MakeConsoleSeconds(y, mo, d, h, mi, 0);
  o.rate = 1e-9;  // the clock stands still during the test
  return o;
}

// Compares decoded values with the model's, name by name. `tolerance` covers
// fields the packet carries at a coarser resolution than the model.
void ExpectMatches(const Decoded& decoded, std::vector<NamedValue> model,
                   const std::map<std::string, double>& tolerance = {}) {
  for (const auto& [name, value] : decoded) {
    const NamedValue* found = nullptr;
    for (const auto& nv : model) {
      if (nv.name == name) found = &nv;
    }
    if (found == nullptr) continue;  // decoder-only names (none expected)
    SCOPED_TRACE(name);
    const Value& want = *found->value;
    ASSERT_EQ(value.has_value(), want.has_value())
        << "decoded " << FormatValue(value) << " model " << FormatValue(want);
    if (!want) continue;
    const auto t = tolerance.find(name);
    EXPECT_NEAR(*value, *want, t == tolerance.end() ? 1e-6 : t->second);
  }
}

struct Case {
  const char* legend;
  const char* scenario;
  CoreOptions options;
};

const Case kCases[] = {
    {"default station on a June afternoon", "default", At(2024, 6, 21, 15, 30)},
    {"default station at night in winter", "default", At(2025, 1, 15, 3, 10)},
    {"no extra sensors, no solar", "minimal", At(2024, 9, 2, 12, 0)},
    {"storm: rain counters and storm date", "storm", At(2024, 10, 20, 18, 45)},
    {"frost: negative derived temperatures", "frost", At(2025, 2, 3, 6, 0)},
    {"Vue console", "vue", At(2024, 4, 1, 10, 0)},
};

TEST(EncoderRoundTrip, LoopAndLoop2CarryEveryCurrentValue) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.legend);
    SimulatorCore core(*FindScenario(c.scenario), c.options);
    Readings& r = core.model().Current();
    const auto loop = testing::DecodeLoop(EncodeLoop(r));
    const auto loop2 = testing::DecodeLoop2(EncodeLoop2(r, 17));
    ASSERT_TRUE(loop.ok) << loop.error;
    ASSERT_TRUE(loop2.ok) << loop2.error;
    // LOOP rounds the 10-minute average to whole mph.
    ExpectMatches(loop.values, NameReadings(r), {{"wind_avg10", 0.5}});
    ExpectMatches(loop2.values, NameReadings(r));
    // Between them the two packets carry every current value.
    for (const auto& nv : NameReadings(r)) {
      EXPECT_TRUE(loop.values.count(nv.name) || loop2.values.count(nv.name))
          << nv.name << " is in neither packet";
    }
  }
}

TEST(EncoderRoundTrip, HiLowsCarryTheAccumulatedExtremes) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.legend);
    SimulatorCore core(*FindScenario(c.scenario), c.options);
    const auto block = EncodeHiLows(core.model().HighsLows());
    ASSERT_EQ(block.size(), 438U);
    const auto decoded = testing::DecodeHiLows(block);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    ExpectMatches(decoded.values, NameHiLows(core.model().HighsLows()));
    // The model ran since midnight: the day's outside extremes exist.
    EXPECT_TRUE(decoded.values.at("hl.outside_temp.day_high").has_value());
    EXPECT_LE(*decoded.values.at("hl.outside_temp.day_low"),
              *decoded.values.at("hl.outside_temp.day_high"));
  }
}

TEST(EncoderRoundTrip, EdgeValues) {
  struct Row {
    const char* legend;
    const char* name;
    Value value;
  };
  const Row rows[] = {
      {"negative outside temperature keeps its sign", "outside_temp", -12.3},
      {"dashed outside temperature", "outside_temp", std::nullopt},
      {"dashed inside humidity", "inside_hum", std::nullopt},
      {"lowest one-byte temperature", "extra_temp1", -90.0},
      {"highest one-byte temperature", "extra_temp2", 164.0},
      {"dashed soil temperature", "soil_temp1", std::nullopt},
      {"negative dew point", "dew_point", -15.0},
      {"dashed wind chill", "wind_chill", std::nullopt},
      {"north is 360, not 0", "wind_dir", 360.0},
      {"UV in tenths", "uv", 11.5},
      {"dashed solar radiation", "solar", std::nullopt},
      {"dashed barometer", "barometer", std::nullopt},
      {"no storm running", "storm_start", std::nullopt},
      {"storm date packing", "storm_start", 20171110.0},
      {"large yearly rain", "year_rain", 65000.0},
      {"day ET in thousandths", "day_et", 0.187},
      {"negative barometer offset", "bar_offset", -0.125},
      {"outside alarms use both bytes", "alarm_outside", 0x1204},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    SimulatorCore core(*FindScenario("default"), At(2024, 6, 21, 12, 0));
    ASSERT_TRUE(core.model().Pin(row.name, row.value));
    Readings& r = core.model().Current();
    Decoded both = testing::DecodeLoop(EncodeLoop(r)).values;
    for (auto& [k, v] : testing::DecodeLoop2(EncodeLoop2(r, 0)).values) {
      both[k] = v;  // LOOP2 carries the 10-minute average in tenths
    }
    ASSERT_TRUE(both.count(row.name));
    const auto& got = both.at(row.name);
    ASSERT_EQ(got.has_value(), row.value.has_value());
    if (row.value) {
      EXPECT_NEAR(*got, *row.value, 1e-6);
    }
  }
}

TEST(EncoderRoundTrip, TimeBlock) {
  struct Row {
    const char* legend;
    int y, mo, d, h, mi, s;
  };
  const Row rows[] = {
      {"15:27:00 on 4 June 2003", 2003, 6, 4, 15, 27, 0},
      {"last second of a year", 2024, 12, 31, 23, 59, 59},
      {"leap day", 2028, 2, 29, 0, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    const auto block =
        EncodeTime(BreakDown(MakeConsoleSeconds(row.y, row.mo, row.d, row.h, row.mi, row.s)));
    const auto t = testing::DecodeTime(block);
    ASSERT_TRUE(t.ok) << t.error;
    EXPECT_EQ(*t.values.at("year"), row.y);
    EXPECT_EQ(*t.values.at("month"), row.mo);
    EXPECT_EQ(*t.values.at("day"), row.d);
    EXPECT_EQ(*t.values.at("hour"), row.h);
    EXPECT_EQ(*t.values.at("minute"), row.mi);
    EXPECT_EQ(*t.values.at("second"), row.s);
  }
  // The worked example of the protocol, byte for byte.
  const std::vector<std::uint8_t> expected = {0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67, 0x56, 0x6C};
  EXPECT_EQ(EncodeTime(BreakDown(MakeConsoleSeconds(2003, 6, 4, 15, 27, 0))), expected);
}

TEST(EncoderRoundTrip, RealConsolePacketIsReproducedByteForByte) {
  // The values of a LOOP packet captured from a real console.
  Readings r;
  r.bar_trend = 60;
  r.archive_pointer = 2438;
  r.barometer = 29.987;
  r.inside_temp = 69.2;
  r.inside_hum = 50;
  r.outside_temp = 43.5;
  r.outside_hum = 78;
  r.wind_speed = 15;
  r.wind_avg10 = 7;
  r.wind_dir = 322;
  r.rain_rate = 0;
  r.uv = 0;
  r.solar = 0;
  r.storm_rain = 43;
  r.storm_start = 20171110;
  r.day_rain = 7;
  r.month_rain = 135;
  r.year_rain = 2914;
  r.day_et = 0.035;
  r.month_et = 0.32;
  r.year_et = 5.58;
  r.leaf_wet[3] = 0;
  r.alarm_inside = r.alarm_rain = r.alarm_outside = 0;
  for (auto& a : r.alarm_extra) a = 0;
  for (auto& a : r.alarm_soilleaf) a = 0;
  r.tx_battery = 0;
  r.console_battery = 819 * 300.0 / 512.0 / 100.0;
  r.forecast_icons = 6;
  r.forecast_rule = 75;
  r.sunrise = 716;
  r.sunset = 1625;
  const std::vector<std::uint8_t> capture = {
      0x4C, 0x4F, 0x4F, 0x3C, 0x00, 0x86, 0x09, 0x23, 0x75, 0xB4, 0x02, 0x32, 0xB3, 0x01, 0x0F,
      0x07, 0x42, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
      0xFF, 0xFF, 0xFF, 0x4E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x2B, 0x00, 0x11, 0xB5, 0x07, 0x00, 0x87, 0x00, 0x62, 0x0B, 0x23, 0x00, 0x20, 0x00,
      0x2E, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x03, 0x06,
      0x4B, 0xCC, 0x02, 0x59, 0x06, 0x0A, 0x0D, 0x80, 0x50};
  EXPECT_EQ(EncodeLoop(r), capture);
}

TEST(Decoders, RejectDamagedBlocksWithoutReadingPastThem) {
  SimulatorCore core(*FindScenario("default"), At(2024, 6, 21, 12, 0));
  const auto good = EncodeLoop(core.model().Current());
  std::vector<std::uint8_t> flipped = good;
  flipped[20] ^= 0x01;
  std::vector<std::uint8_t> loop2_as_loop = EncodeLoop2(core.model().Current(), 0);
  std::vector<std::uint8_t> bad_signature = good;
  bad_signature[0] = 'X';
  bad_signature.resize(97);
  protocol::AppendCrc(bad_signature);
  struct Row {
    const char* legend;
    std::vector<std::uint8_t> block;
    const char* error;
  };
  const Row rows[] = {
      {"empty", {}, "block too short"},
      {"one byte short", {good.begin(), good.end() - 1}, "block too short"},
      {"one byte long",
       [&] {
         auto b = good;
         b.push_back(0);
         return b;
       }(),
       "block too long"},
      {"a flipped bit", flipped, "bad CRC"},
      {"a LOOP2 packet where LOOP is expected", loop2_as_loop, "wrong packet type"},
      {"valid CRC, wrong signature", bad_signature, "bad signature"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    const auto r = testing::DecodeLoop(row.block);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, row.error);
    EXPECT_TRUE(r.values.empty());
  }
  EXPECT_FALSE(testing::DecodeHiLows(good).ok);
  EXPECT_FALSE(testing::DecodeTime(good).ok);
}

}  // namespace
}  // namespace tv::sim
