// The simulator's archive memory against its current conditions, in every
// scenario: the newest record leads into them, the records stay plausible over
// the whole memory and go on without a jump once the console runs, and the
// rain counters agree with the records' rain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "simulator/archive_memory.h"
#include "simulator/scenario.h"
#include "simulator/simulator_core.h"
#include "simulator/weather_model.h"

namespace tv::sim {
namespace {

std::int64_t Stamp(const ArchiveEntry& e) {
  return MakeConsoleSeconds(2000 + e.date / 512, (e.date / 32) % 16, e.date % 32, e.time / 100,
                            e.time % 100, 0);
}

// A value of a record and the current value it matches, with how much it can
// change in one 10-minute interval.
struct Field {
  const char* name;
  std::function<Value(const ArchiveEntry&)> record;
  std::function<Value(const Readings&)> current;
  double change;
};

const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = {
      {"outside temperature", [](const ArchiveEntry& e) { return e.out_temp; },
       [](const Readings& r) { return r.outside_temp; }, 4.0},
      {"inside temperature", [](const ArchiveEntry& e) { return e.in_temp; },
       [](const Readings& r) { return r.inside_temp; }, 1.0},
      {"barometer", [](const ArchiveEntry& e) { return e.barometer; },
       [](const Readings& r) { return r.barometer; }, 0.02},
      {"outside humidity", [](const ArchiveEntry& e) { return e.out_hum; },
       [](const Readings& r) { return r.outside_hum; }, 10.0},
      {"inside humidity", [](const ArchiveEntry& e) { return e.in_hum; },
       [](const Readings& r) { return r.inside_hum; }, 5.0},
      {"average wind", [](const ArchiveEntry& e) { return e.avg_wind; },
       [](const Readings& r) { return r.wind_avg10; }, 12.0},
      {"solar radiation", [](const ArchiveEntry& e) { return e.solar; },
       [](const Readings& r) { return r.solar; }, 250.0},
      {"UV", [](const ArchiveEntry& e) { return e.uv; }, [](const Readings& r) { return r.uv; },
       2.5},
      {"extra temperature 1", [](const ArchiveEntry& e) { return e.extra_temp[0]; },
       [](const Readings& r) { return r.extra_temp[0]; }, 4.0},
      {"extra humidity 1", [](const ArchiveEntry& e) { return e.extra_hum[0]; },
       [](const Readings& r) { return r.extra_hum[0]; }, 10.0},
      {"soil temperature 1", [](const ArchiveEntry& e) { return e.soil_temp[0]; },
       [](const Readings& r) { return r.soil_temp[0]; }, 2.0},
      {"soil moisture 1", [](const ArchiveEntry& e) { return e.soil_moist[0]; },
       [](const Readings& r) { return r.soil_moist[0]; }, 12.0},
      {"leaf wetness 1", [](const ArchiveEntry& e) { return e.leaf_wet[0]; },
       [](const Readings& r) { return r.leaf_wet[0]; }, 7.0},
  };
  return fields;
}

std::vector<ArchiveEntry> Records(SimulatorCore& core) {
  ArchiveMemory& m = core.archive();
  std::vector<ArchiveEntry> out;
  for (int age = 0; age < m.Count(); ++age) out.push_back(m.AtAge(age));
  return out;
}

// The rain of the records stamped in (from, to].
int RainBetween(const std::vector<ArchiveEntry>& records, std::int64_t from, std::int64_t to) {
  int clicks = 0;
  for (const ArchiveEntry& e : records) {
    if (Stamp(e) > from && Stamp(e) <= to) clicks += e.rain;
  }
  return clicks;
}

// The rain of the newest records back to the first run of at least `dry`
// records without any.
int RainSinceDrySpell(const std::vector<ArchiveEntry>& records, int dry) {
  int clicks = 0, zeros = 0;
  for (auto it = records.rbegin(); it != records.rend() && zeros < dry; ++it) {
    clicks += it->rain;
    zeros = it->rain == 0 ? zeros + 1 : 0;
  }
  return clicks;
}

TEST(SimulatorArchive, LeadsIntoTheCurrentConditionsAndStaysPlausible) {
  struct Row {
    const char* legend;
    const char* scenario;
    std::int64_t start;
    double low_temp, high_temp;  // °F, over the whole memory
    bool storm;
  };
  const auto T = [](int y, int mo, int d, int h, int mi) {
    return MakeConsoleSeconds(y, mo, d, h, mi, 0);
  };
  const Row rows[] = {
      {"default, a June afternoon", "default", T(2024, 6, 21, 14, 0), 30, 95, false},
      {"default, just after the first midnight of a month", "default", T(2024, 7, 1, 0, 10), 30, 95,
       false},
      {"minimal, dawn", "minimal", T(2024, 3, 10, 6, 30), 25, 90, false},
      {"storm at its height in the evening", "storm", T(2024, 10, 20, 18, 0), 30, 85, true},
      {"storm at its height across midnight", "storm", T(2024, 10, 21, 1, 0), 30, 85, true},
      {"frost before dawn", "frost", T(2025, 1, 20, 6, 0), -10, 45, false},
      {"vue at midnight", "vue", T(2024, 4, 1, 0, 0), 25, 90, false},
  };
  constexpr int kLive = 36 * 3600;  // then the console runs this long
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    const Scenario& scenario = *FindScenario(row.scenario);
    CoreOptions options;
    options.start = row.start;
    SimulatorCore core(scenario, options);
    const Readings now = core.model().Current();
    std::vector<ArchiveEntry> records = Records(core);
    ASSERT_EQ(records.size(), 2560u);
    const ArchiveEntry& newest = records.back();
    ASSERT_EQ(Stamp(newest), row.start);

    // The newest record against the current conditions.
    for (const Field& f : Fields()) {
      SCOPED_TRACE(f.name);
      const Value current = f.current(now), recorded = f.record(newest);
      ASSERT_EQ(current.has_value(), recorded.has_value());
      if (current) {
        EXPECT_NEAR(*recorded, *current, f.change);
      }
    }

    // The rain counters against the records' rain.
    const ConsoleTime c = BreakDown(row.start);
    const std::int64_t midnight = row.start - (c.hour * 3600 + c.minute * 60 + c.second);
    const std::int64_t month = midnight - (c.day - 1) * 86400LL;
    const std::int64_t year = MakeConsoleSeconds(c.year, 1, 1, 0, 0, 0);
    const std::int64_t oldest = Stamp(records.front()) - 600;
    EXPECT_EQ(*now.day_rain, RainBetween(records, midnight, row.start));
    EXPECT_EQ(*now.rain_1h, RainBetween(records, row.start - 3600, row.start));
    EXPECT_EQ(*now.rain_24h, RainBetween(records, row.start - 86400, row.start));
    if (oldest <= month) {
      EXPECT_EQ(*now.month_rain, RainBetween(records, month, row.start));
    } else {
      EXPECT_GE(*now.month_rain, RainBetween(records, month, row.start));
    }
    EXPECT_GE(*now.year_rain, RainBetween(records, year, row.start));
    EXPECT_GE(*now.year_rain, *now.month_rain);
    EXPECT_GE(*now.storm_rain, RainSinceDrySpell(records, 143));
    EXPECT_LE(*now.storm_rain, RainSinceDrySpell(records, 144));
    EXPECT_EQ(now.storm_start.has_value(), *now.storm_rain > 0);

    // Evapotranspiration comes from the solar sensor: none without one.
    double et_today = 0;
    int today = 0;
    for (const ArchiveEntry& e : records) {
      if (Stamp(e) <= midnight) continue;
      et_today += e.et.value_or(0);
      ++today;
    }
    if (scenario.solar_uv) {
      ASSERT_TRUE(now.day_et && now.month_et && now.year_et);
      EXPECT_NEAR(*now.day_et, et_today, 0.001 + 0.0005 * today);
      EXPECT_LE(*now.day_et, 0.4) << "inches in a day";
    } else {
      EXPECT_FALSE(now.day_et || now.month_et || now.year_et);
      EXPECT_EQ(et_today, 0.0);
    }

    // The storm at its height: a downpour, tens of millimetres in all.
    if (row.storm) {
      EXPECT_GE(*now.rain_rate, 200) << "clicks of 0.2 mm an hour";
      EXPECT_GT(*now.rain_24h, 50);
    }

    // The console runs on; the records it closes follow the others.
    ASSERT_EQ(core.HandleControl("HOLD ON"), "OK");
    ASSERT_EQ(core.HandleControl("STEP " + std::to_string(kLive)), "OK");
    records = Records(core);
    ASSERT_EQ(records.size(), 2560u);
    for (const Field& f : Fields()) {
      SCOPED_TRACE(f.name);
      double worst = 0;
      std::string where;
      for (std::size_t i = 1; i < records.size(); ++i) {
        const Value a = f.record(records[i - 1]), b = f.record(records[i]);
        ASSERT_EQ(a.has_value(), b.has_value());
        if (a && std::abs(*b - *a) > worst) {
          worst = std::abs(*b - *a);
          where = DescribeArchiveEntry(records[i]).substr(0, 27);
        }
      }
      EXPECT_LE(worst, f.change) << "from one record to the next, at " << where;
    }

    // Plausible over the whole memory: the barometer nowhere flat on a floor
    // or a ceiling, the day's rain bounded.
    const auto by = [](auto value) {
      return [value](const ArchiveEntry& a, const ArchiveEntry& b) { return value(a) < value(b); };
    };
    const auto bar = [](const ArchiveEntry& e) { return e.barometer.value_or(0); };
    const auto temp = [](const ArchiveEntry& e) { return e.out_temp.value_or(-999); };
    const auto [bar_low, bar_high] = std::minmax_element(records.begin(), records.end(), by(bar));
    const auto [temp_low, temp_high] =
        std::minmax_element(records.begin(), records.end(), by(temp));
    EXPECT_GE(bar(*bar_low), 29.0) << DescribeArchiveEntry(*bar_low);
    EXPECT_LE(bar(*bar_high), 30.9) << DescribeArchiveEntry(*bar_high);
    EXPECT_GE(temp(*temp_low), row.low_temp) << DescribeArchiveEntry(*temp_low);
    EXPECT_LE(temp(*temp_high), row.high_temp) << DescribeArchiveEntry(*temp_high);
    int run = 1, longest = 1;
    for (std::size_t i = 1; i < records.size(); ++i) {
      run = bar(records[i]) == bar(records[i - 1]) ? run + 1 : 1;
      longest = std::max(longest, run);
    }
    EXPECT_LE(longest, 12) << "records of the same barometer in a row";
    const std::int64_t first_day = Stamp(records.front()) / 86400 * 86400;
    for (std::int64_t day = first_day; day <= row.start + kLive; day += 86400) {
      EXPECT_LE(RainBetween(records, day, day + 86400), 500) << "clicks of 0.2 mm in a day";
    }

    // A storm ends: tens of millimetres over its two days, then a dry spell.
    if (row.storm) {
      const int storm = RainBetween(records, row.start - 86400, row.start + 86400);
      EXPECT_GE(storm, 100);
      EXPECT_LE(storm, 600);
      EXPECT_EQ(RainBetween(records, row.start + 9 * 3600, row.start + 19 * 3600), 0);
    }
  }
}

}  // namespace
}  // namespace tv::sim
