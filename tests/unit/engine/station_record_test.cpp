#include "gadget/engine/station_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <set>
#include <thread>

#include "gadget/agent/headless_agent.h"
#include "gadget/display/current_conditions.h"
#include "gadget/display/state_indicators.h"
#include "gadget/engine/services.h"
#include "gadget/window/memory_window.h"
#include "lib/config/language_pack.h"
#include "tests/support/comma_locale.h"

namespace tv {
namespace {

TEST(HiLowEntries, TwoHundredTenRecordsSeventyOfThemDated) {
  const auto& entries = HiLowEntries();
  ASSERT_EQ(entries.size(), 210U);
  std::set<std::int32_t> ids;
  for (const auto& e : entries) ids.insert(e.Id());
  EXPECT_EQ(ids.size(), 210U) << "every identifier is distinct";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].HasTime(), i < 70) << "day records come first: " << entries[i].FullName();
  }
}

TEST(HiLowEntries, IdentifiersAndTypes) {
  struct Row {
    const char* name;
    HiLowPeriod period;
    std::int32_t id;
    bool integer;
  };
  const Row rows[] = {
      {"OutsideTemp", HiLowPeriod::DayHigh, 0x1000, false},
      {"InsideTemp", HiLowPeriod::YearLow, 0x1000000 + 0x5000, false},
      {"ExtraTemp[6]", HiLowPeriod::MonthHigh, 0x8000000 + 0x2800, false},
      {"ExtraHum[3]", HiLowPeriod::MonthLow, 0x5000000 + 0x101C0 + 0x3000, true},
      {"SoilTemp[0]", HiLowPeriod::DayLow, 0x9000000 + 0x1800, false},
      {"SoilMoisture[3]", HiLowPeriod::YearHigh, 0xC000000 + 0x901E0 + 0x4C00, true},
      {"LeafTemp[1]", HiLowPeriod::DayHigh, 0x10000000 + 0x1000, true},
      {"LeafWet[0]", HiLowPeriod::DayLow, 0xF000000 + 0xA0200 + 0x1800, true},
      {"DewPt", HiLowPeriod::MonthLow, 1 + 0x3000, false},
      {"WindChill", HiLowPeriod::DayLow, 2 + 0x1800, false},
      {"HeatIndex", HiLowPeriod::YearHigh, 3 + 0x4C00, false},
      {"WindSpeed", HiLowPeriod::DayHigh, 0x20080 + 0x1000, false},
      {"Barometer", HiLowPeriod::YearLow, 0x400E0 + 0x5000, false},
      {"RainRate", HiLowPeriod::MonthHigh, 0x60060 + 0x2800, false},
      {"SolarRad", HiLowPeriod::DayHigh, 0x70140 + 0x1000, true},
      {"UV", HiLowPeriod::YearHigh, 0x80180 + 0x4C00, false},
  };
  for (const Row& row : rows) {
    const int index = HiLowGroup::IndexOf(row.name, row.period);
    ASSERT_GE(index, 0) << row.name << " " << HiLowPeriodName(row.period);
    const auto& e = HiLowEntries()[static_cast<std::size_t>(index)];
    EXPECT_EQ(e.Id(), row.id) << e.FullName();
    EXPECT_EQ(e.integer, row.integer) << e.FullName();
  }
}

TEST(RoundToWholeNumber, NoDataNeverTurnsIntoAReading) {
  struct Row {
    const char* legend;
    float in;
    std::int16_t out16;
    std::int32_t out32;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Row rows[] = {
      {"rounds to nearest", 20.6F, 21, 21},
      {"negative", -3.4F, -3, -3},
      {"no-data passes", -32768.0F, -32768, -32768},
      {"data error too large for 16 bits", 32768.0F, -32768, 32768},
      {"huge", 1e12F, -32768, -32768},
      {"not a number", nan, -32768, -32768},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RoundToInt16(row.in), row.out16) << row.legend;
    EXPECT_EQ(RoundToInt32(row.in), row.out32) << row.legend;
    EXPECT_EQ(IsValidResult(static_cast<float>(RoundToInt16(row.in))),
              IsValidResult(row.in) == 1 && std::abs(row.in) < 32767.0F ? 1 : 0)
        << row.legend;
  }
}

TEST(StationRecord, StartsEmpty) {
  StationRecord record;
  const StationData d = record.Snapshot();
  EXPECT_EQ(d.CurrentData, CurrentDataGroup{});
  EXPECT_EQ(d.Config, ConfigGroup{});
  EXPECT_EQ(d.Alarms, AlarmsGroup{});
  EXPECT_EQ(d.HiLow.values.size(), 210U);
  EXPECT_EQ(record.LinkConnected, 0);
  EXPECT_EQ(record.CycleSuccessCount, 0);
}

TEST(StationRecord, ReadersNeverSeeAGroupHalfWritten) {
  StationRecord record;
  std::atomic<bool> done{false};
  std::jthread writer([&] {
    for (int i = 0; i < 2000; ++i) {
      record.Update([i](StationData& d) {
        d.CurrentData.OutsideTemp = static_cast<float>(i);
        d.CurrentData.InsideHumidity = i;
        d.CurrentData.WindDirText = std::string(static_cast<std::size_t>(i % 50), 'N');
      });
    }
    done = true;
  });
  int mismatches = 0;
  while (!done) {
    const StationData d = record.Snapshot();
    const int i = d.CurrentData.InsideHumidity;
    if (d.CurrentData.OutsideTemp != static_cast<float>(i) ||
        d.CurrentData.WindDirText.size() != static_cast<std::size_t>(i % 50)) {
      ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(LeadingDecimal, NumberAtTheStartOfAText) {
  struct Row {
    const char* text;
    float value;
  };
  const Row rows[] = {{"4.72", 4.72F},   {"4.72V", 4.72F}, {"", 0.0F},      {"abc", 0.0F},
                      {"-1.5 x", -1.5F}, {"nan", 0.0F},    {" 4.80", 4.8F}, {"+2.5", 2.5F},
                      {"--5", 0.0F},     {"1e40", 0.0F},   {".5", 0.5F}};
  for (const Row& row : rows) EXPECT_FLOAT_EQ(LeadingDecimal(row.text), row.value) << row.text;
}

// The configuration page shows the console voltage with its decimals whatever
// the desktop's language: a comma locale must not cut "4.80" to 4.
TEST(LeadingDecimal, DecimalPointWhateverTheLocale) {
  const testing::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.why_not();
  EXPECT_FLOAT_EQ(LeadingDecimal("4.80"), 4.8F);
  EXPECT_FLOAT_EQ(LeadingDecimal("4,80"), 4.0F);
}

// The terminal summary is what the current conditions wrote into the window.
std::string SummaryOf(const StationData& d) {
  MemoryWindow window;
  ResetDisplayedValues(window);
  LanguagePack no_pack("/nonexistent/langue.pack");
  ShowCurrentConditions(window, d, no_pack);
  return CurrentConditionsSummary([&](Field f) { return window.Text(f); });
}

// The terminal summary writes decimal points on a French desktop too.
TEST(CurrentConditionsSummary, DecimalPointWhateverTheLocale) {
  StationData d;
  d.CurrentData.OutsideTemp = 12.6F;
  d.CurrentData.Barometer = 1016.7F;
  const testing::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.why_not();
  const std::string s = SummaryOf(d);
  EXPECT_NE(s.find("extérieur 12.6 °C"), std::string::npos) << s;
  EXPECT_NE(s.find("pression 1016.70 hPa"), std::string::npos) << s;
}

TEST(CurrentConditionsSummary, ValuesWithoutReadingShowDashes) {
  StationData d;
  d.CurrentData.InsideTemp = 21.34F;
  d.CurrentData.InsideHumidity = 45;
  d.CurrentData.OutsideTemp = -32768.0F;
  d.CurrentData.OutsideHumidity = -32768;
  d.CurrentData.DewPt = 8.0F;
  d.CurrentData.Barometer = 1013.25F;
  d.CurrentData.WindSpeed = 12.88F;
  d.CurrentData.WindDirText = "NNE";
  d.CurrentData.WindDir = 22;
  d.CurrentData.DailyRain = 1.2F;
  d.CurrentData.RainRate = 0.0F;
  const std::string s = SummaryOf(d);
  EXPECT_NE(s.find("intérieur 21.3 °C 45 %"), std::string::npos) << s;
  EXPECT_NE(s.find("extérieur --- °C --- %"), std::string::npos) << s;
  EXPECT_NE(s.find("pression 1013.25 hPa"), std::string::npos) << s;
  EXPECT_NE(s.find("vent 12.9 km/h Nord / Nord-Est (22°)"), std::string::npos) << s;
  EXPECT_NE(s.find("pluie du jour 1.2 mm, intensité 0.0 mm/h"), std::string::npos) << s;
}

}  // namespace
}  // namespace tv
