// The whole road of a reading: the console simulator, the real station
// library, the collection engine and the views of the agent, into the
// in-memory window through a GUI thread. After one collection and one pass of
// the display, every field is compared with the simulator's own read-back.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/display/image_sets.h"
#include "gadget/window/memory_window.h"
#include "lib/common/balloon.h"
#include "lib/common/named_handles.h"
#include "lib/vocabulary/beaufort_scale.h"
#include "lib/vocabulary/data_item_labels.h"
#include "lib/vocabulary/station_config_text.h"
#include "lib/vocabulary/wind_direction.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using Values = std::map<std::string, std::string>;
using Rows = std::vector<std::string>;

// "OK a=1 b=--" as a map.
Values Parse(const std::string& reply) {
  Values out;
  std::istringstream words(reply.substr(reply.rfind("OK", 0) == 0 ? 2 : 0));
  std::string word;
  while (words >> word) {
    const auto eq = word.find('=');
    if (eq != std::string::npos) out[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return out;
}

// Numbers as the window writes them, computed here on their own: fixed
// decimals, no sign on a value that rounds to zero.
std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// The conversions of the console's units, in single precision as the agent
// computes them.
float Celsius(float f) {
  return (f - 32.0F) * 5.0F / 9.0F;
}
float Kmh(float mph) {
  return static_cast<float>(std::nearbyint(mph)) * 1.61F;
}
double Mm(double clicks) {
  return clicks * 0.2;  // the simulated console has a 0.2 mm collector
}

std::string TwoDigits(int v) {
  return (v < 10 ? "0" : "") + std::to_string(v);
}

// "14h05" from hour × 100 + minute.
std::string HourMinute(const std::string& hhmm) {
  if (hhmm == "--") return "---";
  const int t = std::stoi(hhmm);
  return TwoDigits(t / 100) + "h" + TwoDigits(t % 100);
}

class DisplayE2e : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    RegisterGeneralSet();
    RegisterForecastSet();
    RegisterTrendSet();
    std::string error;
    ASSERT_TRUE(sim_.Start(
        {"--tcp", "127.0.0.1:0", "--scenario", GetParam(), "--start", "2024-06-21 14:00:00"},
        &error))
        << error;
    ASSERT_EQ(sim_.Control("HOLD ON"), "OK");
    config_.Set("CONSOLE", "type", "IP");
    config_.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim_.tcp_port()));
    config_.Set("CONSOLE", "ConnectionTimeout", "10");
    for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
      config_.Set("SERVICES", service, "3600");
    }
    agent_ = std::make_unique<Agent>(config_, gui_);
    agent_->Open();
    clock_before_ = sim_.Control("CLOCK").substr(3);
    agent_->engine().RunCycle();
    clock_after_ = sim_.Control("CLOCK").substr(3);
    agent_->display_refresh().RunPass();
    now_ = Parse(sim_.Control("DUMP"));
    hilows_ = Parse(sim_.Control("DUMP HILOWS"));
  }
  void TearDown() override {
    if (agent_) {
      agent_->Quit(std::chrono::seconds{5});
      agent_->Stop();
    }
  }

  std::optional<float> Now(const std::string& name) const {
    const auto it = now_.find(name);
    if (it == now_.end()) ADD_FAILURE() << "no read-back of " << name;
    if (it == now_.end() || it->second == "--") return std::nullopt;
    return std::stof(it->second);
  }
  std::optional<float> HiLow(const std::string& name) const {
    const auto it = hilows_.find("hl." + name);
    if (it == hilows_.end()) ADD_FAILURE() << "no read-back of hl." << name;
    if (it == hilows_.end() || it->second == "--") return std::nullopt;
    return std::stof(it->second);
  }
  int Eeprom(const std::string& name, std::size_t index = 0) {
    std::string values = sim_.Get("ee." + name);
    for (std::size_t i = 0; i < index; ++i) values = values.substr(values.find(',') + 1);
    return std::stoi(values);
  }
  std::string Text(Field field) const { return window_.Text(field); }

  // "---" when the simulator sends no reading, else the value shown.
  template <typename F>
  std::string Shown(const std::optional<float>& value, F&& format) const {
    return value ? format(*value) : std::string("---");
  }

  void CheckCurrentConditions();
  void CheckRecords();
  void CheckThresholds();
  void CheckStationPages();

  testing::SimulatorProcess sim_;
  ConfigTable config_;
  MemoryWindow window_;
  testing::GuiThreadWindow gui_{window_};
  std::unique_ptr<Agent> agent_;
  std::string clock_before_;
  std::string clock_after_;
  Values now_;
  Values hilows_;
};

void DisplayE2e::CheckCurrentConditions() {
  const auto decimal = [](int d) { return [d](float v) { return Fixed(v, d); }; };
  const auto celsius = [](float f) { return Fixed(Celsius(f), 1); };
  const auto whole = [](float v) { return Fixed(std::nearbyint(v), 0); };
  const auto rain = [](float clicks) { return Fixed(Mm(clicks), 1); };
  const auto speed = [](float mph) { return Fixed(Kmh(mph), 1); };
  const auto et = [](float inches) { return Fixed(static_cast<double>(inches) * 25.4, 1); };
  const struct Row {
    Field field;
    std::string want;
  } rows[] = {
      {Field::IndoorTempValue, Shown(Now("inside_temp"), celsius)},
      {Field::OutdoorTempValue, Shown(Now("outside_temp"), celsius)},
      {Field::IndoorHumValue, Shown(Now("inside_hum"), whole)},
      {Field::OutdoorHumValue, Shown(Now("outside_hum"), whole)},
      {Field::BaroValue, Shown(Now("barometer"), [](float v) { return Fixed(v * 33.865F, 2); })},
      {Field::FeelsLikeValue, Shown(Now("wind_chill"), celsius)},
      {Field::DewPointValue, Shown(Now("dew_point"), celsius)},
      {Field::HeatIndexValue, Shown(Now("heat_index"), celsius)},
      {Field::RainDayValue, Shown(Now("day_rain"), rain)},
      {Field::RainMonthValue, Shown(Now("month_rain"), rain)},
      {Field::RainStormValue, Shown(Now("storm_rain"), rain)},
      {Field::RainYearValue, Shown(Now("year_rain"), rain)},
      {Field::RainRateValue, Shown(Now("rain_rate"), rain)},
      {Field::RainLastHourValue, Shown(Now("rain_1h"), rain)},
      {Field::RainLast24hValue, Shown(Now("rain_24h"), rain)},
      {Field::WindSpeedValue, Shown(Now("wind_speed"), speed)},
      {Field::WindSpeedMsValue,
       Shown(Now("wind_speed"),
             [](float mph) { return Fixed(std::nearbyint(Kmh(mph)) * 0.27777779F, 2); })},
      {Field::WindAvg2Value, Shown(Now("wind_avg2"), speed)},
      {Field::WindAvg10Value, Shown(Now("wind_avg10"), speed)},
      {Field::WindGust10Value, Shown(Now("wind_gust10"), speed)},
      {Field::BeaufortValue,
       Shown(Now("wind_avg10"), [](float mph) { return std::to_string(BeaufortForce(Kmh(mph))); })},
      {Field::BeaufortDesc,
       Shown(Now("wind_avg10"), [](float mph) { return BeaufortName(BeaufortForce(Kmh(mph))); })},
      {Field::WindDirDegrees, Shown(Now("wind_dir"), [](float d) { return Fixed(d, 0) + "°"; })},
      {Field::SolarRadValue, Shown(Now("solar"), decimal(1))},
      {Field::UvValue, Shown(Now("uv"), whole)},
      {Field::EtDayValue, Shown(Now("day_et"), et)},
      {Field::EtMonthValue, Shown(Now("month_et"), et)},
      {Field::EtYearValue, Shown(Now("year_et"), et)},
      {Field::ElevationValue, Fixed(std::nearbyint(Eeprom("ELEVATION") * 0.30478513F), 0)},
      {Field::ExtraTempValue1, Shown(Now("extra_temp1"), celsius)},
      {Field::ExtraTempValue2, Shown(Now("extra_temp2"), celsius)},
      {Field::ExtraTempValue7, Shown(Now("extra_temp7"), celsius)},
      {Field::ExtraHumValue1, Shown(Now("extra_hum1"), whole)},
      {Field::ExtraHumValue2, Shown(Now("extra_hum2"), whole)},
      {Field::ExtraHumValue7, Shown(Now("extra_hum7"), whole)},
      {Field::LeafTempValue1, Shown(Now("leaf_temp1"), celsius)},
      {Field::LeafTempValue2, Shown(Now("leaf_temp2"), celsius)},
      {Field::LeafWetValue1, Shown(Now("leaf_wet1"), decimal(1))},
      {Field::LeafWetValue2, Shown(Now("leaf_wet2"), decimal(1))},
      {Field::SoilTempValue1, Shown(Now("soil_temp1"), celsius)},
      {Field::SoilTempValue2, Shown(Now("soil_temp2"), celsius)},
      {Field::SoilTempValue4, Shown(Now("soil_temp4"), celsius)},
      {Field::SoilMoistValue1, Shown(Now("soil_moist1"), whole)},
      {Field::SoilMoistValue2, Shown(Now("soil_moist2"), whole)},
      {Field::SoilMoistValue4, Shown(Now("soil_moist4"), whole)},
  };
  for (const Row& row : rows) EXPECT_EQ(Text(row.field), row.want) << FieldName(row.field);

  // The index: THSW where the station measures the sun, THW otherwise.
  const std::optional<float> thsw = Now("thsw");
  EXPECT_EQ(Text(Field::IndexFrame), thsw ? "THSV" : "THV");
  const float index = thsw ? Celsius(*thsw) : agent_->record().Snapshot().CurrentData.THWIndex;
  EXPECT_EQ(Text(Field::IndexValue), Fixed(std::nearbyint(index), 0));

  // Direction: the name of its compass point and the arrow of the rose.
  const int direction = static_cast<int>(*Now("wind_dir"));
  static const char* const kPoints[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                        "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  EXPECT_EQ(Text(Field::WindDirName),
            WindDirectionName(kPoints[static_cast<int>((direction + 11.25) / 22.5) % 16]));
  const auto roses = window_.WindRoseDrawings();
  ASSERT_EQ(roses.size(), 1U);
  EXPECT_EQ(roses[0].angle_degrees, 90 - direction);

  // Sun and console times; the console clock as read by the collection.
  const std::string date = clock_before_.substr(8, 2) + "/" + clock_before_.substr(5, 2) + "/" +
                           clock_before_.substr(0, 4) + " ";
  EXPECT_EQ(Text(Field::SunriseValue), date + HourMinute(now_.at("sunrise")));
  EXPECT_EQ(Text(Field::SunsetValue), date + HourMinute(now_.at("sunset")));
  const auto clock_text = [&](const std::string& c) {
    return date + c.substr(11, 2) + "h" + c.substr(14, 2);
  };
  EXPECT_TRUE(Text(Field::LastCollectValue) == clock_text(clock_before_) ||
              Text(Field::LastCollectValue) == clock_text(clock_after_))
      << Text(Field::LastCollectValue) << " read between " << clock_before_ << " and "
      << clock_after_;

  // The forecast: every sentence translated by the pack beside the program.
  const std::string list = agent_->record().Snapshot().Forecast.Text;
  ASSERT_FALSE(list.empty());
  std::string sentences;
  for (std::size_t start = 0, end; (end = list.find(';', start)) != std::string::npos;
       start = end + 1) {
    const std::string text =
        agent_->language().Text("PREV_METEO_" + list.substr(start, end - start));
    EXPECT_FALSE(text.empty()) << "sentence " << list.substr(start, end - start);
    sentences += " " + text;
  }
  EXPECT_EQ(Text(Field::ForecastText), sentences);
  const int icon = static_cast<int>(*Now("forecast_icons"));
  const std::map<int, const char*> pictures = {{8, "ICO_ForeCast_Soleil"},
                                               {6, "ICO_ForeCast_SoleilNuage"},
                                               {2, "ICO_ForeCast_Nuage"},
                                               {3, "ICO_ForeCast_Pluie"},
                                               {7, "ICO_ForeCast_SoleilNuage_Pluie"},
                                               {18, "ICO_ForeCast_Neige"},
                                               {19, "ICO_ForeCast_Pluie_Neige"},
                                               {22, "ICO_ForeCast_SoleilNuage_Neige"},
                                               {23, "ICO_ForeCast_SoleilNuage_Pluie_Neige"}};
  ASSERT_TRUE(pictures.count(icon)) << "forecast icons " << icon;
  EXPECT_EQ(window_.Picture(Field::ForecastIcon),
            LookupHandle(pictures.at(icon), kHandleKindImage));
  EXPECT_EQ(window_.TrayTooltip(),
            TrayTooltipText(sentences +
                            "\r\n\r\nTempérature intérieur : " + Text(Field::IndoorTempValue) +
                            "°c\r\nTempérature extérieur : " + Text(Field::OutdoorTempValue) +
                            "°c\r\nPrévision : " + sentences));
}

void DisplayE2e::CheckRecords() {
  enum Kind { kTemp, kHum, kSoil, kLeaf };
  struct Row {
    std::string quantity;  // simulator name
    Kind kind;
    std::string label;
    bool high = true;
    bool low = true;
  };
  std::vector<Row> temp_rows = {{"outside_temp", kTemp, "Exterieur "},
                                {"inside_temp", kTemp, "Intérieure "},
                                {"dew_point", kTemp, "Point de Rosé "},
                                {"heat_index", kTemp, "Indice Chaleur ", true, false},
                                {"wind_chill", kTemp, "Ressentis ", false, true}};
  std::vector<Row> hum_rows = {{"outside_hum", kHum, "Exterieur "},
                               {"inside_hum", kHum, "Intérieure "}};
  for (int i = 1; i <= 7; ++i) {
    temp_rows.push_back(
        {"extra_temp" + std::to_string(i), kTemp, "Capteur " + std::to_string(i + 1)});
    hum_rows.push_back({"extra_hum" + std::to_string(i), kHum, "Capteur " + std::to_string(i + 1)});
  }
  for (int i = 1; i <= 4; ++i) {
    hum_rows.push_back({"soil_moist" + std::to_string(i), kSoil, "Sol " + std::to_string(i)});
  }
  for (int i = 1; i <= 4; ++i) {
    temp_rows.push_back({"soil_temp" + std::to_string(i), kTemp, "Sol " + std::to_string(i)});
  }
  for (int i = 1; i <= 2; ++i) {
    hum_rows.push_back({"leaf_wet" + std::to_string(i), kLeaf, "Feuillage " + std::to_string(i)});
  }
  for (int i = 1; i <= 2; ++i) {
    temp_rows.push_back({"leaf_temp" + std::to_string(i), kTemp, "Feuillage " + std::to_string(i)});
  }

  const auto line = [&](const Row& row, const std::string& slot, bool day) {
    const std::optional<float> v = HiLow(row.quantity + "." + slot);
    std::string text;
    switch (row.kind) {
      case kTemp:
        text = Shown(v, [](float f) { return Fixed(Celsius(f), 1); }) + "°C";
        break;
      case kHum:
        text = Shown(v, [](float f) { return Fixed(f, 0); }) + "%";
        break;
      case kSoil:
        text = Shown(v, [](float f) { return Fixed(f, 0); }) + "cb";
        break;
      case kLeaf:
        text = Shown(v, [](float f) { return Fixed(f, 0); }) + "lf";
        break;
    }
    if (day) text += " à " + HourMinute(hilows_.at("hl." + row.quantity + "." + slot + "_time"));
    return text;
  };
  const auto tree = [&](const std::vector<Row>& rows) {
    Rows out;
    const struct {
      const char* header;
      const char* prefix;
    } periods[] = {{"Record journalier", "day"},
                   {"Record du mois", "month"},
                   {"Record de cette année", "year"}};
    for (const auto& period : periods) {
      const bool day = std::string(period.prefix) == "day";
      out.push_back(std::string("0 ") + period.header);
      for (const Row& row : rows) {
        const std::string high = std::string(period.prefix) + "_high";
        const std::string low = std::string(period.prefix) + "_low";
        if (!HiLow(row.quantity + "." + (row.high ? high : low))) continue;
        out.push_back("1 " + row.label);
        if (row.high) out.push_back("2 " + line(row, high, day));
        if (row.low) out.push_back("2 " + line(row, low, day));
      }
    }
    return out;
  };
  const auto shown = [&](Field field) {
    Rows out;
    for (const auto& item : window_.TreeItems(field)) {
      out.push_back(std::to_string(item.level) + " " + item.text);
    }
    return out;
  };
  EXPECT_EQ(shown(Field::TempPeakTree), tree(temp_rows));
  EXPECT_EQ(shown(Field::HumPeakTree), tree(hum_rows));

  const struct Peak {
    std::string quantity;
    Field day, day_time, month, year;
    std::string (*format)(float);
  } peaks[] = {
      {"wind_speed", Field::WindPeakDayValue, Field::WindPeakDayTime, Field::WindPeakMonthValue,
       Field::WindPeakYearValue, [](float mph) { return Fixed(Kmh(mph), 1); }},
      {"rain_rate", Field::RainPeakDayValue, Field::RainPeakDayTime, Field::RainPeakMonthValue,
       Field::RainPeakYearValue, [](float clicks) { return Fixed(Mm(clicks), 1); }},
      {"solar", Field::SolarPeakDayValue, Field::SolarPeakDayTime, Field::SolarPeakMonthValue,
       Field::SolarPeakYearValue, [](float v) { return Fixed(v, 0); }},
      {"uv", Field::UvPeakDayValue, Field::UvPeakDayTime, Field::UvPeakMonthValue,
       Field::UvPeakYearValue, [](float v) { return Fixed(v, 0); }},
  };
  for (const Peak& p : peaks) {
    EXPECT_EQ(Text(p.day), Shown(HiLow(p.quantity + ".day_high"), p.format)) << p.quantity;
    EXPECT_EQ(Text(p.day_time), HiLow(p.quantity + ".day_high")
                                    ? HourMinute(hilows_.at("hl." + p.quantity + ".day_high_time"))
                                    : "---")
        << p.quantity;
    EXPECT_EQ(Text(p.month), Shown(HiLow(p.quantity + ".month_high"), p.format)) << p.quantity;
    EXPECT_EQ(Text(p.year), Shown(HiLow(p.quantity + ".year_high"), p.format)) << p.quantity;
  }
}

void DisplayE2e::CheckThresholds() {
  // Each threshold as the console stores it: its EEPROM setting, the value
  // that means "not set", and the text the page shows for a set value.
  struct Threshold {
    const char* item;
    const char* setting;
    int not_set;
    std::string (*text)(int raw);
  };
  const auto temp = [](int raw) { return Fixed(Celsius(static_cast<float>(raw - 90)), 0) + " °c"; };
  const auto dew = [](int raw) { return Fixed(Celsius(static_cast<float>(raw - 120)), 0) + " °c"; };
  const auto percent = [](int raw) { return std::to_string(raw) + " %"; };
  const auto bar = [](int raw) {
    return Fixed(static_cast<float>(raw / 1000.0) * 33.865F, 1) + " Hpa / mb";
  };
  const auto rain = [](int clicks) { return Fixed(Mm(clicks), 1) + " mm"; };
  const auto wind = [](int mph) {
    return Fixed(std::nearbyint(Kmh(static_cast<float>(mph))), 0) + " Km/h";
  };
  const Threshold thresholds[] = {
      {"BarRise", "ALARM_BAR_RISE", 0, bar},
      {"BarFall", "ALARM_BAR_FALL", 0, bar},
      {"InsideLowTemp", "ALARM_LOW_IN_TEMP", 255, temp},
      {"InsideHiTemp", "ALARM_HIGH_IN_TEMP", 255, temp},
      {"OutsideLowTemp", "ALARM_LOW_OUT_TEMP", 255, temp},
      {"OutsideHiTemp", "ALARM_HIGH_OUT_TEMP", 255, temp},
      {"LowInsideHum", "ALARM_LOW_IN_HUM", 255, percent},
      {"HiInsideHum", "ALARM_HIGH_IN_HUM", 255, percent},
      {"LowOutsideHum", "ALARM_LOW_HUMS", 255, percent},
      {"HiOutsideHum", "ALARM_HIGH_HUMS", 255, percent},
      {"LowWindChill", "ALARM_LOW_CHILL", 255, dew},
      {"LowDewPt", "ALARM_LOW_DEW", 255, dew},
      {"HiDewPt", "ALARM_HIGH_DEW", 255, dew},
      {"HiSolarRad", "ALARM_HIGH_SOLAR", 0xFFFF, percent},
      {"HiWindSpeed", "ALARM_WIND_SPEED", 255, wind},
      {"Hi10MinWindSpeed", "ALARM_WIND_AVG10", 255, wind},
      {"HiHeatIndex", "ALARM_HIGH_HEAT", 255, temp},
      {"HiTHSW", "ALARM_HIGH_THSW", 255, temp},
      {"HiRainRate", "ALARM_HIGH_RAIN_RATE", 0xFFFF, rain},
      {"HiDailyRain", "ALARM_RAIN_24HOUR", 0xFFFF, rain},
      {"HiRainStorm", "ALARM_STORM_TOTAL", 0xFFFF, rain},
      {"FlashFlood", "ALARM_RAIN_15MIN", 0xFFFF, rain},
      {"HiUV", "ALARM_HIGH_UV", 255,
       [](int tenths) { return Fixed(std::nearbyint(tenths / 10.0), 0) + " %"; }},
      {"HiUVMed", "ALARM_UV_DOSE", 255,
       [](int tenths) { return Fixed(tenths / 10.0, 1) + " Med"; }},
  };
  Rows want;
  const auto add = [&](const char* item, const char* setting, std::size_t index, int not_set,
                       std::string (*text)(int)) {
    const int raw = Eeprom(setting, index);
    if (raw != not_set) want.push_back(DataItemLabel(item) + "\n" + text(raw));
  };
  for (const Threshold& t : thresholds) {
    add(t.item, t.setting, 0, t.not_set, t.text);
    if (std::string(t.item) == "BarFall") {
      const int time = Eeprom("ALARM_TIME");
      if (time != 0xFFFF) {
        want.push_back("Date\n" + std::to_string(time));
        want.push_back("Date texte\n" + TwoDigits(time / 100) + ":" + TwoDigits(time % 100));
      }
    }
  }
  // Per sensor, low thresholds then high ones: extra temperatures 1-7, soil
  // 1-4 and leaf 1-2 share the temperature blocks; extra humidities follow
  // the outside one.
  const auto sensors = [&](const char* base, const char* block, std::size_t count,
                           std::size_t first, std::string (*text)(int)) {
    for (const char* side : {"LOW", "HIGH"}) {
      for (std::size_t i = 0; i < count; ++i) {
        const std::string item =
            std::string(side[0] == 'L' ? "Low" : "Hi") + base + "[" + std::to_string(i) + "]";
        add(item.c_str(), (std::string("ALARM_") + side + block).c_str(), first + i, 255, text);
      }
    }
  };
  sensors("ExtraTemp", "_TEMPS", 7, 0, temp);
  sensors("ExtraHum", "_HUMS", 7, 1, percent);
  sensors("SoilTemp", "_TEMPS", 4, 7, temp);
  sensors("SoilMoisture", "_SOIL_MOIST", 4, 0, percent);
  sensors("LeafTemp", "_TEMPS", 2, 11, temp);
  for (std::size_t i = 0; i < 2; ++i) {
    add(("LowLeafWet[" + std::to_string(i) + "]").c_str(), "ALARM_LOW_LEAF_WET", i, 255, percent);
  }
  EXPECT_EQ(window_.Rows(Field::AlarmThresholdList), want);
}

void DisplayE2e::CheckStationPages() {
  EXPECT_EQ(Text(Field::ConsoleBatteryValue), Fixed(*Now("console_battery"), 2));
  EXPECT_EQ(Text(Field::TransmitterStatusValue), Fixed(*Now("tx_battery"), 0));
  EXPECT_EQ(Text(Field::FirmwareVersionValue), sim_.Get("nver"));
  const std::string ver = sim_.Get("ver");  // "Apr 24 2012"
  const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const std::string firmware_day =
      TwoDigits(std::stoi(ver.substr(4, 2))) + "/" +
      TwoDigits(static_cast<int>(months.find(ver.substr(0, 3)) / 3 + 1)) + "/" + ver.substr(7, 4);
  EXPECT_EQ(Text(Field::FirmwareDateValue).substr(0, 10), firmware_day);
  EXPECT_EQ(Text(Field::PacketsRecvValue), sim_.Get("rx_total"));
  EXPECT_EQ(Text(Field::PacketsLostValue), sim_.Get("rx_missed"));
  EXPECT_EQ(Text(Field::ResyncValue), sim_.Get("rx_resync"));
  EXPECT_EQ(Text(Field::CrcErrorsValue), sim_.Get("rx_crc_errors"));
  const auto position = [](int tenths) {
    const int abs = std::abs(tenths);
    PositionRecord p;
    p.degrees = static_cast<float>(tenths / 10.0);
    p.south_or_west = tenths < 0 ? 1 : 0;
    p.whole_degrees = static_cast<std::uint16_t>(abs / 10);
    p.minutes = static_cast<std::uint16_t>(abs % 10 * 6);
    return p;
  };
  EXPECT_EQ(Text(Field::LatitudeValue), LatitudeText(position(Eeprom("LATITUDE"))));
  EXPECT_EQ(Text(Field::LongitudeValue), LongitudeText(position(Eeprom("LONGITUDE"))));
  EXPECT_EQ(Text(Field::ArchiveIntervalValue), std::to_string(Eeprom("ARCHIVE_PERIOD")));
  EXPECT_EQ(Text(Field::TimeZoneUseValue), Eeprom("GMT_OR_ZONE") == 0 ? "Oui" : "Non");
  EXPECT_EQ(Text(Field::AutoDstValue), Eeprom("MANUAL_OR_AUTO") == 0 ? "Activé" : "Désactivé");
  EXPECT_EQ(Text(Field::DstModeValue), Eeprom("DAYLIGHT_SAVINGS") == 1 ? "Oui" : "Non");
  EXPECT_EQ(Text(Field::TimeZoneValue), TimeZoneText(Eeprom("TIME_ZONE")));
  EXPECT_EQ(Text(Field::TimeCorrectionValue),
            Fixed(std::nearbyint(Eeprom("GMT_OFFSET") / 100.0), 0));

  Rows transmitters;
  for (std::size_t id = 1; id <= 6; ++id) {
    const int first = Eeprom("STATION_LIST", 2 * (id - 1));
    std::string kind = "Pas de transmetteur";
    int sends_on = 0;
    if (first >> 4 != 0) {
      const std::map<int, const char*> kinds = {{0x0, "Station ISS"},
                                                {0x3, "Station d'humidité / température"},
                                                {0x8, "Station Foliaire / Humus"}};
      ASSERT_TRUE(kinds.count(first & 0x0F)) << "station type " << (first & 0x0F);
      kind = kinds.at(first & 0x0F);
      sends_on = static_cast<int>(id);
    }
    transmitters.insert(transmitters.begin(),
                        std::to_string(id) + "\n" + kind + "\n" + std::to_string(sends_on));
  }
  EXPECT_EQ(window_.Rows(Field::TransmitterList), transmitters);

  const auto tenths_f = [](int tenths) {
    return Fixed(Celsius(32.0F + static_cast<float>(tenths / 10.0)), 0);
  };
  EXPECT_EQ(Text(Field::InTempCorrValue), tenths_f(Eeprom("TEMP_IN_CAL")));
  EXPECT_EQ(Text(Field::OutTempCorrValue), tenths_f(Eeprom("TEMP_OUT_CAL")));
  EXPECT_EQ(Text(Field::InHumCorrValue), std::to_string(Eeprom("HUM_IN_CAL")));
  EXPECT_EQ(Text(Field::OutHumCorrValue), std::to_string(Eeprom("HUM_CAL", 0)));
  EXPECT_EQ(Text(Field::WindDirCorrValue), std::to_string(Eeprom("DIR_CAL")));
}

TEST_P(DisplayE2e, EveryViewShowsWhatTheConsoleSends) {
  ASSERT_EQ(agent_->record().LinkConnected, 1);
  ASSERT_TRUE(agent_->display_refresh().DisplayFilled());
  {
    SCOPED_TRACE("current conditions");
    CheckCurrentConditions();
  }
  {
    SCOPED_TRACE("records");
    CheckRecords();
  }
  {
    SCOPED_TRACE("alarm thresholds");
    CheckThresholds();
  }
  {
    SCOPED_TRACE("station configuration and calibration");
    CheckStationPages();
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DisplayE2e,
                         ::testing::Values("default", "minimal", "storm", "frost", "vue"),
                         [](const auto& p) { return std::string(p.param); });

}  // namespace
}  // namespace tv
