#include "gadget/display/current_conditions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gadget/display/image_sets.h"
#include "gadget/display/state_indicators.h"
#include "gadget/window/memory_window.h"
#include "lib/common/named_handles.h"
#include "tests/support/temp_dir.h"

namespace tv {
namespace {

constexpr float kMissing = -32768.0F;

// Every current value with a reading.
StationData FullStation() {
  StationData d;
  CurrentDataGroup& c = d.CurrentData;
  c.WindSpeed = 12.5F;
  c.WindDir = 45;
  c.RainRate = 2.4F;
  c.WindDirText = "NE";
  c.InsideTemp = 19.84F;
  c.OutsideTemp = -3.0F;
  c.InsideHumidity = 44;
  c.OutsideHumidity = 91;
  c.Barometer = 1013.256F;
  c.WindChill = -6.25F;
  c.DewPt = -4.46F;
  c.DailyRain = 1.2F;
  c.MonthlyRain = 30.4F;
  c.StormRain = 5.0F;
  c.TotalRain = 412.6F;
  c.WindSpeedAvg2Min = 11.27F;
  c.WindSpeedAvg10Min = 30.0F;
  c.WindGust10Min = 45.08F;
  c.RainLastHour = 0.6F;
  c.RainLast24Hours = 3.0F;
  c.SolarRad = 299;
  c.UV = 4;
  c.THSWIndex = -2;
  c.THWIndex = -5;
  c.HeatIndex = -3.0F;
  c.StationElevation = 1000;
  c.BarTrendText = "Steady";
  c.ETDay = 2.2F;
  c.ETMonth = 67.8F;
  c.ETYear = 385.3F;
  c.ExtraTemp = {1.5F, 2.5F, 3.5F, 4.5F, 5.5F, 6.5F, 7.5F};
  c.ExtraHum = {61, 62, 63, 64, 65, 66, 67};
  c.SoilTemp = {16.7F, 16.1F, 15.0F, 14.0F};
  c.SoilMoisture = {35.5F, 36.5F, 0.0F, 200.0F};
  c.LeafTemp = {21.1F, 20.6F};
  c.LeafWet = {0.0F, 14.0F};
  d.Forecast = {6, "2;15;"};
  d.SunriseTime = {55, 4, 21, 6, 2024};
  d.SunsetTime = {26, 20, 21, 6, 2024};
  d.StationTime = {5, 14, 21, 6, 2024};
  return d;
}

class CurrentConditions : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterGeneralSet();
    RegisterForecastSet();
    RegisterTrendSet();
    std::ofstream(dir_ / "langue.pack") << "[PREV_METEO]\n2=Ciel clair.\n15=Prévision à venir.\n";
    ResetDisplayedValues(window_);
  }
  void Show(const StationData& d) { ShowCurrentConditions(window_, d, *pack_, rain_hook_); }

  // The whole tooltip handed to the window (which shows its first 63
  // characters), from the window's call log.
  std::string FullTooltip() const {
    std::string text;
    for (const std::string& line : window_.Log()) {
      if (line.rfind("SetTrayTooltip ", 0) == 0) text = line.substr(15);
    }
    std::replace(text.begin(), text.end(), '|', '\n');
    return text;
  }

  tv::testing::TempDir tmp_{"tv-cc"};
  const std::filesystem::path& dir_ = tmp_.path;
  std::unique_ptr<LanguagePack> pack_ =
      std::make_unique<LanguagePack>((std::filesystem::temp_directory_path() / "none").string());
  MemoryWindow window_;
  std::vector<float> rain_rates_;
  RainNotifyHook rain_hook_ = [this](float rate) { rain_rates_.push_back(rate); };
};

TEST_F(CurrentConditions, EveryReadingInItsFormat) {
  const struct Row {
    Field field;
    const char* text;
    const char* legend;
  } rows[] = {
      {Field::IndoorTempValue, "19.8", "1 decimal"},
      {Field::OutdoorTempValue, "-3.0", "minus sign, decimal point"},
      {Field::IndoorHumValue, "44", "whole"},
      {Field::OutdoorHumValue, "91", "whole"},
      {Field::BaroValue, "1013.26", "2 decimals"},
      {Field::FeelsLikeValue, "-6.2", "1 decimal of the stored float (-6.25 exactly: to even)"},
      {Field::ElevationValue, "305", "1000 ft in whole metres"},
      {Field::DewPointValue, "-4.5", ""},
      {Field::RainDayValue, "1.2", ""},
      {Field::RainMonthValue, "30.4", ""},
      {Field::RainStormValue, "5.0", ""},
      {Field::RainYearValue, "412.6", ""},
      {Field::WindAvg2Value, "11.3", ""},
      {Field::WindAvg10Value, "30.0", ""},
      {Field::WindGust10Value, "45.1", ""},
      {Field::BeaufortValue, "5", "30 km/h"},
      {Field::BeaufortDesc, "Bonne brise.", ""},
      {Field::RainLastHourValue, "0.6", ""},
      {Field::RainLast24hValue, "3.0", ""},
      {Field::RainRateValue, "2.4", ""},
      {Field::SolarRadValue, "299.0", "whole W/m2 with its zero decimal"},
      {Field::UvValue, "4", ""},
      {Field::IndexFrame, "THSV", "THSW index valid"},
      {Field::IndexValue, "-2", ""},
      {Field::HeatIndexValue, "-3.0", ""},
      {Field::WindSpeedValue, "12.5", "km/h"},
      {Field::WindSpeedMsValue, "3.33", "12.5 rounds to 12 km/h, then m/s"},
      {Field::WindDirDegrees, "45°", ""},
      {Field::WindDirName, "Nord-Est", ""},
      {Field::EtDayValue, "2.2", ""},
      {Field::EtMonthValue, "67.8", ""},
      {Field::EtYearValue, "385.3", ""},
      {Field::ExtraTempValue1, "1.5", ""},
      {Field::ExtraTempValue7, "7.5", ""},
      {Field::ExtraHumValue1, "61", ""},
      {Field::ExtraHumValue7, "67", ""},
      {Field::LeafTempValue2, "20.6", ""},
      {Field::LeafWetValue1, "0.0", ""},
      {Field::LeafWetValue2, "14.0", ""},
      {Field::SoilTempValue1, "16.7", ""},
      {Field::SoilTempValue4, "14.0", ""},
      {Field::SoilMoistValue1, "36", "35.5 rounds to even"},
      {Field::SoilMoistValue2, "36", "36.5 rounds to even"},
      {Field::SoilMoistValue4, "200", ""},
      {Field::ForecastText, " Ciel clair. Prévision à venir.", "a space before each sentence"},
      {Field::SunriseValue, "21/06/2024 04h55", ""},
      {Field::SunsetValue, "21/06/2024 20h26", ""},
      {Field::LastCollectValue, "21/06/2024 14h05", "the console clock"},
  };
  pack_ = std::make_unique<LanguagePack>((dir_ / "langue.pack").string());
  Show(FullStation());
  for (const Row& row : rows) {
    EXPECT_EQ(window_.Text(row.field), row.text) << FieldName(row.field) << ": " << row.legend;
  }
  EXPECT_EQ(window_.Picture(Field::ForecastIcon),
            LookupHandle("ICO_ForeCast_SoleilNuage", kHandleKindImage));
  EXPECT_EQ(window_.Picture(Field::BaroTrendIcon),
            LookupHandle("ICO_Tendance_Pression_stable", kHandleKindImage));
  EXPECT_EQ(window_.Text(Field::TrendHorizonText), "---") << "sentence 15";
  const std::string forecast = " Ciel clair. Prévision à venir.";
  EXPECT_EQ(FullTooltip(), forecast +
                               "\r\n\r\nTempérature intérieur : 19.8°c\r\nTempérature extérieur : "
                               "-3.0°c\r\nPrévision : " +
                               forecast);
  EXPECT_EQ(FullTooltip().rfind(window_.TrayTooltip(), 0), 0U) << "the window shows its start";
  EXPECT_EQ(rain_rates_, std::vector<float>{2.4F});
}

TEST_F(CurrentConditions, MissingReadingsKeepTheirFields) {
  StationData d;
  CurrentDataGroup& c = d.CurrentData;
  for (float* v : {&c.WindSpeed,         &c.RainRate,      &c.InsideTemp,   &c.OutsideTemp,
                   &c.Barometer,         &c.WindChill,     &c.DewPt,        &c.DailyRain,
                   &c.MonthlyRain,       &c.StormRain,     &c.TotalRain,    &c.WindSpeedAvg2Min,
                   &c.WindSpeedAvg10Min, &c.WindGust10Min, &c.RainLastHour, &c.RainLast24Hours,
                   &c.HeatIndex,         &c.ETDay,         &c.ETMonth,      &c.ETYear}) {
    *v = kMissing;
  }
  c.WindDir = c.InsideHumidity = c.OutsideHumidity = -32768;
  c.SolarRad = c.UV = c.THSWIndex = c.THWIndex = c.StationElevation = -32768;
  c.ExtraTemp.fill(kMissing);
  c.ExtraHum.fill(-32768);
  c.SoilTemp.fill(kMissing);
  c.SoilMoisture.fill(kMissing);
  c.LeafTemp.fill(kMissing);
  c.LeafWet.fill(kMissing);
  c.WindDirText = "---";
  d.SunriseTime = d.SunsetTime = d.StationTime = {-1, -1, -1, -1, -1};
  Show(d);

  for (Field field : ResetTextFields()) {
    if (field == Field::TrendHorizonText) continue;  // the forecast trend empties it
    EXPECT_EQ(window_.Text(field), "---") << FieldName(field);
  }
  EXPECT_EQ(window_.Text(Field::IndexFrame), "Indice ---") << "caption unchanged";
  EXPECT_EQ(window_.Text(Field::BeaufortDesc), "N/A") << "no force without a speed";
  EXPECT_TRUE(window_.WindRoseDrawings().empty());
  EXPECT_TRUE(rain_rates_.empty()) << "no rain signal without a rain rate";
  EXPECT_EQ(window_.Text(Field::ForecastText), "");
  EXPECT_EQ(
      FullTooltip(),
      "\r\n\r\nTempérature intérieur : ---°c\r\nTempérature extérieur : ---°c\r\nPrévision : ")
      << "no forecast, and never the raw code of a missing temperature";
}

TEST_F(CurrentConditions, IndexCaptionFollowsTheValidIndex) {
  const struct Row {
    std::int16_t thsw;
    std::int16_t thw;
    const char* caption;
    const char* value;
  } rows[] = {
      {24, 22, "THSV", "24"},
      {-32768, 22, "THV", "22"},
      {-32768, -32768, "THV", "22"},  // both missing: the last look stays
  };
  for (const Row& row : rows) {
    StationData d = FullStation();
    d.CurrentData.THSWIndex = row.thsw;
    d.CurrentData.THWIndex = row.thw;
    Show(d);
    EXPECT_EQ(window_.Text(Field::IndexFrame), row.caption) << row.thsw << "/" << row.thw;
    EXPECT_EQ(window_.Text(Field::IndexValue), row.value) << row.thsw << "/" << row.thw;
  }
}

TEST_F(CurrentConditions, WindRoseArrowPointsTowardTheDirection) {
  const struct Row {
    int direction;
    double angle;
    int start_x;
  } rows[] = {{0, 90, 90}, {90, 0, 90}, {180, -90, 90}, {270, -180, 90}, {-45, 135, 100}};
  for (const Row& row : rows) {
    StationData d = FullStation();
    d.CurrentData.WindDir = row.direction;
    Show(d);
    const auto drawings = window_.WindRoseDrawings();
    ASSERT_FALSE(drawings.empty());
    const auto& last = drawings.back();
    EXPECT_EQ(last.field, Field::WindRose);
    EXPECT_EQ(last.background, NumberedImage(kWindRoseImageNumber));
    EXPECT_NE(last.background, kNoImage);
    EXPECT_EQ(last.text, "             ->");
    EXPECT_EQ(last.angle_degrees, row.angle) << row.direction;
    EXPECT_EQ(last.start_x, row.start_x) << row.direction;
    EXPECT_EQ(last.start_y, 100);
  }
}

TEST_F(CurrentConditions, ForecastSentencesFromThePack) {
  pack_ = std::make_unique<LanguagePack>((dir_ / "langue.pack").string());
  const struct Row {
    const char* list;
    const char* text;
  } rows[] = {
      {"2;", " Ciel clair."},
      {"2;41;15;", " Ciel clair.  Prévision à venir."},  // 41 is not in the pack: its space only
      {";", " "},                                        // an unknown console sentence
      {"2", ""},                                         // no ";": no sentence
      {"", ""},
  };
  for (const Row& row : rows) {
    StationData d = FullStation();
    d.Forecast.Text = row.list;
    Show(d);
    EXPECT_EQ(window_.Text(Field::ForecastText), row.text) << '"' << row.list << '"';
  }
}

}  // namespace
}  // namespace tv
