// The simulator's weather model: determinism, scenarios, and highs and lows
// that roll over with the console's calendar.

#include "simulator/weather_model.h"

#include <gtest/gtest.h>

#include "protocol/eeprom_map.h"
#include "simulator/eeprom_image.h"
#include "simulator/packet_encoder.h"
#include "simulator/scenario.h"

namespace tv::sim {
namespace {

std::int64_t T(int y, int mo, int d, int h, int mi) {
  return MakeConsoleSeconds(y, mo, d, h, mi, 0);
}

struct Station {
  explicit Station(const char* scenario, std::uint64_t seed = 3)
      : s(*FindScenario(scenario)), ee(EepromImage::ForScenario(s)), model(s, seed) {}
  const Scenario& s;
  EepromImage ee;
  WeatherModel model;
};

TEST(WeatherModel, SameSeedSameWeather) {
  Station a("default", 11), b("default", 11), c("default", 12);
  for (Station* st : {&a, &b, &c}) st->model.Start(T(2024, 6, 1, 14, 0), st->ee);
  EXPECT_EQ(EncodeLoop(a.model.Current()), EncodeLoop(b.model.Current()));
  EXPECT_EQ(EncodeHiLows(a.model.HighsLows()), EncodeHiLows(b.model.HighsLows()));
  EXPECT_NE(EncodeLoop(a.model.Current()), EncodeLoop(c.model.Current()));
}

TEST(WeatherModel, HighsAndLowsRollOver) {
  struct Row {
    const char* legend;
    std::int64_t start, end;
    bool day_reset, month_reset, year_reset;
  };
  const Row rows[] = {
      {"same day", T(2024, 6, 10, 10, 0), T(2024, 6, 10, 20, 0), false, false, false},
      {"midnight", T(2024, 6, 10, 23, 0), T(2024, 6, 11, 1, 0), true, false, false},
      {"end of month", T(2024, 6, 30, 23, 0), T(2024, 7, 1, 1, 0), true, true, false},
      {"end of year", T(2024, 12, 31, 23, 0), T(2025, 1, 1, 1, 0), true, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    Station st("default");
    st.model.Start(row.start, st.ee);
    // A hot spell nobody could forget, then back to the model's own values.
    st.model.Pin("outside_temp", 150.0);
    st.model.AdvanceTo(row.start + 60, st.ee);
    st.model.Unpin("outside_temp");
    const Extremes& e = st.model.HighsLows().outside_temp;
    ASSERT_EQ(*e.day_high, 150.0);
    st.model.AdvanceTo(row.end, st.ee);
    EXPECT_EQ(*e.day_high < 150.0, row.day_reset);
    EXPECT_EQ(*e.month_high < 150.0, row.month_reset);
    EXPECT_EQ(*e.year_high < 150.0, row.year_reset);
    EXPECT_TRUE(e.day_high_time.has_value());
    EXPECT_LE(*e.day_low, *e.day_high);
  }
}

TEST(WeatherModel, DayRainRestartsAtMidnightButNotTheYear) {
  Station st("storm");
  st.model.Start(T(2024, 10, 20, 20, 0), st.ee);
  st.model.AdvanceTo(T(2024, 10, 20, 23, 59), st.ee);
  const double year_before = *st.model.Current().year_rain;
  ASSERT_GT(*st.model.Current().day_rain, 0);
  st.model.AdvanceTo(T(2024, 10, 21, 0, 0) + 10, st.ee);
  EXPECT_LT(*st.model.Current().day_rain, 10);
  EXPECT_GE(*st.model.Current().year_rain, year_before);
}

TEST(WeatherModel, Scenarios) {
  namespace ee = protocol::eeprom;
  struct Row {
    const char* legend;
    const char* scenario;
    bool extras, solar;
  };
  const Row rows[] = {
      {"default: extra, soil and leaf sensors and solar", "default", true, true},
      {"minimal: all of those dashed", "minimal", false, false},
      {"vue: no extra sensors, no solar", "vue", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    Station st(row.scenario);
    st.model.Start(T(2024, 6, 21, 13, 0), st.ee);
    const Readings& r = st.model.Current();
    EXPECT_EQ(r.extra_temp[0].has_value(), row.extras);
    EXPECT_EQ(r.soil_moist[0].has_value(), row.extras);
    EXPECT_EQ(r.leaf_wet[0].has_value(), row.extras);
    EXPECT_FALSE(r.extra_temp[6].has_value());
    EXPECT_EQ(r.solar.has_value(), row.solar);
    EXPECT_EQ(r.uv.has_value(), row.solar);
    if (row.solar) {
      EXPECT_GT(*r.solar, 200) << "midday sun in June";
    }
    EXPECT_EQ(st.ee.U8(ee::kUsedTransmitters) == 0x07, row.extras);
  }
  // The EEPROM's station: 0.2 mm collector, Paris, north-east, Vue without a large cup.
  Station vue("vue");
  EXPECT_EQ(ee::RainCollectorFromSetupBits(vue.ee.U8(ee::kSetupBits)), ee::RainCollector::kFifthMm);
  EXPECT_EQ(vue.ee.U8(ee::kTimeZone), ee::kTimeZoneParis);
  EXPECT_EQ(vue.ee.U8(ee::kSetupBits) & ee::kSetupLargeWindCup, 0);
}

TEST(WeatherModel, StormAndFrostCrossAlarms) {
  // The storm at its height, which is the start time.
  Station storm("storm");
  storm.model.Start(T(2024, 10, 20, 18, 0), storm.ee);
  const Readings& s = storm.model.Current();
  EXPECT_EQ(*s.bar_trend, -60) << "falling rapidly";
  EXPECT_TRUE(static_cast<int>(*s.alarm_inside) & 0x01) << "barometer falling alarm";
  EXPECT_TRUE(static_cast<int>(*s.alarm_rain) & 0x01) << "rain rate alarm";
  EXPECT_GT(*s.rain_24h, 0);
  EXPECT_TRUE(s.storm_start.has_value());

  Station frost("frost");
  frost.model.Start(T(2025, 1, 20, 6, 0), frost.ee);
  const Readings& f = frost.model.Current();
  EXPECT_LT(*f.outside_temp, 32.0);
  EXPECT_TRUE(static_cast<int>(*f.alarm_outside) & 0x0001) << "low outside temperature alarm";
  EXPECT_EQ(*f.solar, 0) << "before sunrise";
}

}  // namespace
}  // namespace tv::sim
