// The library's operations against the console simulator, over TCP and over
// a pseudo-terminal: every value against the simulator's own read-back.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "stationlib/vantagepro.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

using tv::testing::SimulatorProcess;

constexpr float kNoData = VP_NO_DATA;

constexpr std::int32_t Id(std::uint32_t sensor, std::uint32_t quantity, std::uint32_t period = 0) {
  return static_cast<std::int32_t>(sensor * 0x1000000u + quantity + period);
}

std::unique_ptr<SimulatorProcess> StartSimulator(const std::string& scenario) {
  auto sim = std::make_unique<SimulatorProcess>();
  std::string error;
  if (!sim->Start({"--tcp", "127.0.0.1:0", "--pty", "--scenario", scenario}, &error)) {
    ADD_FAILURE() << "simulator: " << error;
    return nullptr;
  }
  EXPECT_EQ(sim->Control("HOLD ON"), "OK");
  return sim;
}

enum class Via { kTcp, kPty };

std::int16_t Open(SimulatorProcess& sim, Via via) {
  if (via == Via::kTcp) {
    return OpenTCPIPPort_V(std::to_string(sim.tcp_port()).c_str(), "127.0.0.1");
  }
  return OpenCommPortByName_V(sim.pty_path().c_str(), 19200);
}

void CloseAll() {
  CloseTCPIPPort_V();
  CloseCommPort_V();
  CloseUSBPort_V();
}

// Expected value in the library's units from a read-back; dashed → -32768.
float Expected(SimulatorProcess& sim, const std::string& name, double scale = 1.0) {
  const double v = sim.GetNumber(name);
  return std::isnan(v) ? kNoData : static_cast<float>(v * scale);
}

double ClickMm(SimulatorProcess& sim) {
  const int code = (static_cast<int>(sim.GetNumber("ee.SETUP_BITS")) >> 4) & 3;
  return code == 1 ? 0.2 : code == 2 ? 0.1 : 0.254;
}

void ExpectClose(float actual, float expected, const std::string& legend) {
  const double e = expected;
  EXPECT_NEAR(static_cast<double>(actual), e, std::fabs(e) * 1e-5 + 1e-4) << legend;
}

class CurrentData : public ::testing::TestWithParam<Via> {
 protected:
  static void SetUpTestSuite() { sim_ = StartSimulator("default").release(); }
  static void TearDownTestSuite() {
    CloseAll();
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(sim_, nullptr);
    sim_->Control("FAULT CLEAR");
    ASSERT_EQ(Open(*sim_, GetParam()), VP_OK);
    ASSERT_EQ(InitStation_V(), VP_OK);
  }
  void TearDown() override { CloseAll(); }
  static SimulatorProcess* sim_;
};
SimulatorProcess* CurrentData::sim_ = nullptr;

TEST_P(CurrentData, EveryGetterEqualsTheModel) {
  SimulatorProcess& sim = *sim_;
  ASSERT_EQ(IsNewLoopPackageSupported_V(), 1);
  ASSERT_EQ(LoadCurrentVantageData_V(), VP_OK);
  const double rain = ClickMm(sim) / 20;  // clicks to the library's rain unit
  const double inch = 25.4 / 20;
  struct Plain {
    const char* legend;
    float (*get)();
    const char* name;
    double scale;
  } plain[] = {
      {"outside temperature", GetOutsideTemp_V, "outside_temp", 1},
      {"inside temperature", GetInsideTemp_V, "inside_temp", 1},
      {"dew point", GetDewPt_V, "dew_point", 1},
      {"wind chill", GetWindChill_V, "wind_chill", 1},
      {"barometer", GetBarometer_V, "barometer", 1},
      {"wind speed", GetWindSpeed_V, "wind_speed", 1},
      {"rain rate", GetRainRate_V, "rain_rate", rain},
      {"day rain", GetDailyRain_V, "day_rain", rain},
      {"month rain", GetMonthlyRain_V, "month_rain", rain},
      {"storm rain", GetStormRain_V, "storm_rain", rain},
      {"year rain", GetTotalRain_V, "year_rain", rain},
  };
  for (const Plain& p : plain) ExpectClose(p.get(), Expected(sim, p.name, p.scale), p.legend);
  EXPECT_EQ(GetInsideHumidity_V(), Expected(sim, "inside_hum"));
  EXPECT_EQ(GetOutsideHumidity_V(), Expected(sim, "outside_hum"));
  EXPECT_EQ(GetWindDir_V(), Expected(sim, "wind_dir"));

  struct ById {
    std::int32_t id;
    std::string name;
    double scale;
  };
  std::vector<ById> by_id = {
      {Id(1, VP_QTY_WIND_SPEED), "wind_avg10", 1},
      {Id(25, VP_QTY_WIND_SPEED), "wind_avg2", 1},
      {Id(26, VP_QTY_WIND_SPEED), "wind_gust10", 1},
      {Id(26, VP_QTY_WIND_DIR), "wind_gust10_dir", 1},
      {Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_HOUR), "rain_1h", rain},
      {Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_24_HOURS), "rain_24h", rain},
      {Id(0, VP_QTY_RAIN, VP_PERIOD_LAST_15_MIN), "rain_15min", rain},
      {Id(0, VP_QTY_SOLAR), "solar", 1},
      {Id(0, VP_QTY_UV), "uv", 1},
      {Id(0, VP_QTY_THSW), "thsw", 1},
      {Id(0, VP_QTY_HEAT_INDEX), "heat_index", 1},
      {Id(0, VP_QTY_ET, VP_PERIOD_DAY_TOTAL), "day_et", inch},
      {Id(0, VP_QTY_ET, VP_PERIOD_MONTH_TOTAL), "month_et", inch},
      {Id(0, VP_QTY_ET, VP_PERIOD_YEAR_TOTAL), "year_et", inch},
      {Id(2, VP_QTY_BAROMETER), "ee.ELEVATION", 1},
      {Id(0, VP_QTY_BAR_TREND), "bar_trend", 1},
      {VP_ID_FORECAST_ICON, "forecast_icons", 1},
      {VP_ID_FORECAST_RULE, "forecast_rule", 1},
      {VP_ID_TX_BATTERY_STATUS, "tx_battery", 1},
      {VP_ID_ALARMS_INSIDE, "alarm_inside", 1},
      {VP_ID_ALARMS_RAIN, "alarm_rain", 1},
      {VP_ID_ALARMS_OUTSIDE, "alarm_outside", 1},
  };
  for (int i = 1; i <= 7; ++i) {
    by_id.push_back({Id(1 + i, VP_QTY_TEMPERATURE), "extra_temp" + std::to_string(i), 1});
    by_id.push_back({Id(1 + i, VP_QTY_HUMIDITY), "extra_hum" + std::to_string(i), 1});
  }
  for (int i = 1; i <= 4; ++i) {
    by_id.push_back({Id(8 + i, VP_QTY_TEMPERATURE), "soil_temp" + std::to_string(i), 1});
    by_id.push_back({Id(8 + i, VP_QTY_SOIL_MOISTURE), "soil_moist" + std::to_string(i), 1});
    by_id.push_back({Id(14 + i, VP_QTY_TEMPERATURE), "leaf_temp" + std::to_string(i), 1});
  }
  for (int i = 1; i <= 2; ++i) {
    by_id.push_back({Id(14 + i, VP_QTY_LEAF_WETNESS), "leaf_wet" + std::to_string(i), 1});
  }
  for (const ById& b : by_id) {
    ExpectClose(GetCurrentDataByID_V(b.id), Expected(sim, b.name, b.scale), b.name);
  }
  // The console's own alarm bits, one by one.
  const int inside = static_cast<int>(sim.GetNumber("alarm_inside"));
  EXPECT_EQ(GetCurrentDataByID_V(VP_ID_ALARM_BAR_FALLING), (inside & 1) ? 1.0f : 0.0f);
  EXPECT_EQ(GetCurrentDataByID_V(VP_ID_ALARM_BAR_RISING), (inside & 2) ? 1.0f : 0.0f);
  EXPECT_EQ(GetCurrentDataByID_V(VP_ID_ALARM_FLASH_FLOOD),
            (static_cast<int>(sim.GetNumber("alarm_rain")) & 2) ? 1.0f : 0.0f);

  char text[VP_TEXT_MAX];
  ASSERT_EQ(GetCurrentDataStrByID_V(VP_ID_CONSOLE_VOLTAGE, text, 10), VP_OK);
  EXPECT_NEAR(std::atof(text), sim.GetNumber("console_battery"), 0.006);
  ASSERT_EQ(GetCurrentDataStrByID_V(VP_ID_FORECAST_TEXT, text, 350), VP_OK);
  const std::string forecast = text;
  EXPECT_GE(forecast.size(), 3u);
  EXPECT_EQ(forecast.substr(forecast.size() - 2), ". ");
  EXPECT_EQ(GetCurrentDataStrByID_V(VP_ID_FORECAST_TEXT, text, 5), VP_ERR_TOO_SMALL);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(GetCurrentDataStrByID_V(0x7F, text, 10), VP_ERR_BAD_ID);
  EXPECT_EQ(GetCurrentDataByID_V(0x7F), static_cast<float>(VP_ERR_BAD_ID));
}

TEST_P(CurrentData, TextsFollowTheModel) {
  SimulatorProcess& sim = *sim_;
  struct Row {
    const char* legend;
    const char* set;
    std::int32_t id;
    const char* text;
  } rows[] = {
      {"north-west", "SET wind_dir 315", Id(0, VP_QTY_WIND_DIR), "NW"},
      {"north at 360", "SET wind_dir 360", Id(0, VP_QTY_WIND_DIR), "N"},
      {"no wind direction", "SET wind_dir --", Id(0, VP_QTY_WIND_DIR), ""},
      {"falling rapidly", "SET bar_trend -60", Id(0, VP_QTY_BAR_TREND), "Falling Rapidly"},
      {"rising", "SET bar_trend 20", Id(0, VP_QTY_BAR_TREND), "Rising"},
      {"steady", "SET bar_trend 0", Id(0, VP_QTY_BAR_TREND), "Steady"},
      {"not enough history", "SET bar_trend 7", Id(0, VP_QTY_BAR_TREND), ""},
      {"forecast rule 193", "SET forecast_rule 193", VP_ID_FORECAST_TEXT,
       "FORECAST NOT READY YET. "},
      {"transmitter 2 battery low", "SET tx_battery 2", VP_ID_TX_BATTERY_STATUS, "2"},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(sim.Control(row.set), "OK") << row.legend;
    ASSERT_EQ(LoadCurrentVantageData_V(), VP_OK) << row.legend;
    char text[VP_TEXT_MAX];
    ASSERT_EQ(GetCurrentDataStrByID_V(row.id, text, sizeof text), VP_OK) << row.legend;
    EXPECT_STREQ(text, row.text) << row.legend;
  }
  sim.Control("UNSET ALL");
}

TEST_P(CurrentData, RecordsOfTheDayMonthAndYear) {
  SimulatorProcess& sim = *sim_;
  ASSERT_EQ(LoadVantageHiLows_V(), VP_OK);
  VantageDateTime now{};
  ASSERT_EQ(GetStationTime_V(&now), VP_OK);
  const double rain = ClickMm(sim) / 20;
  struct Quantity {
    std::string name;
    std::uint32_t quantity;
    std::uint32_t sensor;
    double scale;
  };
  std::vector<Quantity> quantities = {
      {"barometer", VP_QTY_BAROMETER, 0, 1},
      {"wind_speed", VP_QTY_WIND_SPEED, 0, 1},
      {"inside_temp", VP_QTY_TEMPERATURE, 1, 1},
      {"inside_hum", VP_QTY_HUMIDITY, 1, 1},
      {"outside_temp", VP_QTY_TEMPERATURE, 0, 1},
      {"outside_hum", VP_QTY_HUMIDITY, 0, 1},
      {"dew_point", VP_QTY_DEW_POINT, 0, 1},
      {"wind_chill", VP_QTY_WIND_CHILL, 0, 1},
      {"heat_index", VP_QTY_HEAT_INDEX, 0, 1},
      {"thsw", VP_QTY_THSW, 0, 1},
      {"solar", VP_QTY_SOLAR, 0, 1},
      {"uv", VP_QTY_UV, 0, 1},
      {"rain_rate", VP_QTY_RAIN_RATE, 0, rain},
  };
  for (std::uint32_t i = 1; i <= 7; ++i) {
    quantities.push_back({"extra_temp" + std::to_string(i), VP_QTY_TEMPERATURE, 1 + i, 1});
    quantities.push_back({"extra_hum" + std::to_string(i), VP_QTY_HUMIDITY, 1 + i, 1});
  }
  for (std::uint32_t i = 1; i <= 4; ++i) {
    quantities.push_back({"soil_temp" + std::to_string(i), VP_QTY_TEMPERATURE, 8 + i, 1});
    quantities.push_back({"leaf_temp" + std::to_string(i), VP_QTY_TEMPERATURE, 14 + i, 1});
    quantities.push_back({"soil_moist" + std::to_string(i), VP_QTY_SOIL_MOISTURE, 8 + i, 1});
    quantities.push_back({"leaf_wet" + std::to_string(i), VP_QTY_LEAF_WETNESS, 14 + i, 1});
  }
  const struct {
    const char* slot;
    std::uint32_t period;
    const char* time_slot;
  } periods[] = {
      {"day_high", VP_PERIOD_DAY_HIGH, "day_high_time"},
      {"day_low", VP_PERIOD_DAY_LOW, "day_low_time"},
      {"month_high", VP_PERIOD_MONTH_HIGH, nullptr},
      {"month_low", VP_PERIOD_MONTH_LOW, nullptr},
      {"year_high", VP_PERIOD_YEAR_HIGH, nullptr},
      {"year_low", VP_PERIOD_YEAR_LOW, nullptr},
  };
  int compared = 0;
  for (const Quantity& q : quantities) {
    for (const auto& p : periods) {
      const std::string name = "hl." + q.name + "." + p.slot;
      const std::string reply = sim.Control("GET " + name);
      if (reply.rfind("OK", 0) != 0) continue;  // no such record on the console
      const std::int32_t id = Id(q.sensor, q.quantity, p.period);
      // The read-back names every slot; those the console does not keep read "--".
      if (reply == "OK --" && GetHiLowDataByID_V(id) == VP_ERR_BAD_ID) continue;
      ExpectClose(GetHiLowDataByID_V(id), Expected(sim, name, q.scale), name);
      ++compared;
      if (p.time_slot == nullptr) continue;
      VantageDateTime t{};
      ASSERT_EQ(GetHiLowTimeByID_V(id, &t), VP_OK) << name;
      const double hhmm = sim.GetNumber("hl." + q.name + "." + p.time_slot);
      if (std::isnan(hhmm)) {
        EXPECT_EQ(t.Hour, -1) << name;
      } else {
        EXPECT_EQ(t.Hour * 100 + t.Minute, static_cast<int>(hhmm)) << name;
        EXPECT_EQ(t.Day, now.Day) << name;
        EXPECT_EQ(t.Year, now.Year) << name;
      }
    }
  }
  EXPECT_GE(compared, 200);
}

TEST_P(CurrentData, AlarmThresholds) {
  SimulatorProcess& sim = *sim_;
  ASSERT_EQ(LoadVantageAlarms_V(), VP_OK);
  const double rain = ClickMm(sim) / 20;
  auto ee = [&](const std::string& field, int index = 0) {
    std::stringstream in(sim.Get("ee." + field));
    std::string item;
    for (int i = 0; i <= index; ++i) std::getline(in, item, ',');
    return std::atof(item.c_str());
  };
  auto or_dash = [](double raw, double value, double not_set = 255) {
    return raw == not_set ? kNoData : static_cast<float>(value);
  };
  const struct {
    const char* legend;
    float actual;
    float expected;
  } rows[] = {
      {"bar rise", GetBarRiseAlarm_V(),
       or_dash(ee("ALARM_BAR_RISE"), ee("ALARM_BAR_RISE") / 1000, 0)},
      {"bar fall", GetBarFallAlarm_V(),
       or_dash(ee("ALARM_BAR_FALL"), ee("ALARM_BAR_FALL") / 1000, 0)},
      {"inside low", GetInsideLowTempAlarm_V(),
       or_dash(ee("ALARM_LOW_IN_TEMP"), ee("ALARM_LOW_IN_TEMP") - 90)},
      {"inside high", GetInsideHiTempAlarm_V(),
       or_dash(ee("ALARM_HIGH_IN_TEMP"), ee("ALARM_HIGH_IN_TEMP") - 90)},
      {"outside low", GetOutsideLowTempAlarm_V(),
       or_dash(ee("ALARM_LOW_OUT_TEMP"), ee("ALARM_LOW_OUT_TEMP") - 90)},
      {"outside high", GetOutsideHiTempAlarm_V(),
       or_dash(ee("ALARM_HIGH_OUT_TEMP"), ee("ALARM_HIGH_OUT_TEMP") - 90)},
      {"low wind chill", GetLowWindChillAlarm_V(),
       or_dash(ee("ALARM_LOW_CHILL"), ee("ALARM_LOW_CHILL") - 120)},
      {"low dew point", GetLowDewPtAlarm_V(),
       or_dash(ee("ALARM_LOW_DEW"), ee("ALARM_LOW_DEW") - 120)},
      {"high dew point", GetHiDewPtAlarm_V(),
       or_dash(ee("ALARM_HIGH_DEW"), ee("ALARM_HIGH_DEW") - 120)},
      {"high outside hum", GetHiOutsideHumAlarm_V(),
       or_dash(ee("ALARM_HIGH_HUMS"), ee("ALARM_HIGH_HUMS"))},
      {"low outside hum", GetLowOutsideHumAlarm_V(),
       or_dash(ee("ALARM_LOW_HUMS"), ee("ALARM_LOW_HUMS"))},
      {"rain rate", GetHiRainRateAlarm_V(),
       or_dash(ee("ALARM_HIGH_RAIN_RATE"), ee("ALARM_HIGH_RAIN_RATE") * rain, 65535)},
      {"24-hour rain", GetHiDailyRainAlarm_V(),
       or_dash(ee("ALARM_RAIN_24HOUR"), ee("ALARM_RAIN_24HOUR") * rain, 65535)},
      {"storm", GetHiRainStormAlarm_V(),
       or_dash(ee("ALARM_STORM_TOTAL"), ee("ALARM_STORM_TOTAL") * rain, 65535)},
      {"flash flood", GetFlashFloodAlarm_V(),
       or_dash(ee("ALARM_RAIN_15MIN"), ee("ALARM_RAIN_15MIN") * rain, 65535)},
      {"UV", GetHiUVAlarm_V(), or_dash(ee("ALARM_HIGH_UV"), ee("ALARM_HIGH_UV") / 10)},
      {"inside hum low", static_cast<float>(GetLowInsideHumAlarm_V()),
       or_dash(ee("ALARM_LOW_IN_HUM"), ee("ALARM_LOW_IN_HUM"))},
      {"solar", static_cast<float>(GetHiSolarRadAlarm_V()),
       or_dash(ee("ALARM_HIGH_SOLAR"), ee("ALARM_HIGH_SOLAR"), 65535)},
      {"wind", static_cast<float>(GetHiWindSpeedAlarm_V()),
       or_dash(ee("ALARM_WIND_SPEED"), ee("ALARM_WIND_SPEED"))},
      {"heat index", static_cast<float>(GetHiHeatIndexAlarm_V()),
       or_dash(ee("ALARM_HIGH_HEAT"), ee("ALARM_HIGH_HEAT") - 90)},
      {"THSW", static_cast<float>(GetHiTHSWAlarm_V()),
       or_dash(ee("ALARM_HIGH_THSW"), ee("ALARM_HIGH_THSW") - 90)},
      {"extra temp 1 low", GetLowExtraTempAlarm_V(2),
       or_dash(ee("ALARM_LOW_TEMPS", 0), ee("ALARM_LOW_TEMPS", 0) - 90)},
      {"extra temp 7 high", GetHiExtraTempAlarm_V(8),
       or_dash(ee("ALARM_HIGH_TEMPS", 6), ee("ALARM_HIGH_TEMPS", 6) - 90)},
      {"soil temp 2 low", GetLowSoilTempAlarm_V(2),
       or_dash(ee("ALARM_LOW_TEMPS", 8), ee("ALARM_LOW_TEMPS", 8) - 90)},
      {"leaf temp 1 high", GetHiLeafTempAlarm_V(1),
       or_dash(ee("ALARM_HIGH_TEMPS", 11), ee("ALARM_HIGH_TEMPS", 11) - 90)},
      {"extra hum 3 high", GetHiExtraHumAlarm_V(4),
       or_dash(ee("ALARM_HIGH_HUMS", 3), ee("ALARM_HIGH_HUMS", 3))},
      {"soil moisture 4 low", GetLowSoilMoistureAlarm_V(4),
       or_dash(ee("ALARM_LOW_SOIL_MOIST", 3), ee("ALARM_LOW_SOIL_MOIST", 3))},
      {"leaf wetness 2 low", GetLowLeafWetAlarm_V(2),
       or_dash(ee("ALARM_LOW_LEAF_WET", 1), ee("ALARM_LOW_LEAF_WET", 1))},
      {"sensor out of range", GetLowExtraTempAlarm_V(1), static_cast<float>(VP_ERR_BAD_PARAM)},
  };
  for (const auto& row : rows) ExpectClose(row.actual, row.expected, row.legend);
  const int time = static_cast<int>(ee("ALARM_TIME"));
  EXPECT_EQ(GetTimeAlarm_V(), time);
  char text[16];
  ASSERT_EQ(GetTimeAlarmStr_V(text), VP_OK);
  char expected[16];
  std::snprintf(expected, sizeof expected, "%02d:%02d", time / 100, time % 100);
  EXPECT_STREQ(text, expected);
  // Cleared on the console: not set.
  ASSERT_EQ(sim.Control("SET ee.ALARM_TIME 65535"), "OK");
  ASSERT_EQ(sim.Control("SET ee.ALARM_TIME_COMP 0"), "OK");
  ASSERT_EQ(LoadVantageAlarms_V(), VP_OK);
  EXPECT_EQ(GetTimeAlarm_V(), VP_NO_DATA);
  ASSERT_EQ(GetTimeAlarmStr_V(text), VP_OK);
  EXPECT_STREQ(text, "-32768");
  sim.Control("SET ee.ALARM_TIME " + std::to_string(time));
  sim.Control("SET ee.ALARM_TIME_COMP " + std::to_string(~time & 0xFFFF));
}

template <typename T>
T At(const std::uint8_t* record, std::size_t offset) {
  T v{};
  std::memcpy(&v, record + offset, sizeof v);
  return v;
}

TEST_P(CurrentData, ConfigurationRecordsAreByteExact) {
  SimulatorProcess& sim = *sim_;
  EXPECT_EQ(GetModelNo_V(), Expected(sim, "model"));
  EXPECT_EQ(GetArchivePeriod_V(), Expected(sim, "ee.ARCHIVE_PERIOD"));
  const int setup_bits = static_cast<int>(sim.GetNumber("ee.SETUP_BITS"));
  EXPECT_EQ(GetWindCupSize_V(), (setup_bits & 0x08) ? 1 : 2);

  char version[16];
  ASSERT_EQ(GetStationFirmwareVersion_V(version), VP_OK);
  EXPECT_EQ(version, sim.Get("nver"));
  VantageDateTime fw{};
  ASSERT_EQ(GetStationFirmwareDate_V(&fw), VP_OK);
  std::istringstream ver(sim.Get("ver"));
  std::string month;
  int day = 0, year = 0;
  ver >> month >> day >> year;
  EXPECT_EQ(fw.Day, day);
  EXPECT_EQ(fw.Year, year);
  EXPECT_EQ(fw.Hour, 0);

  std::uint8_t rec[56];
  for (const bool latitude : {true, false}) {
    std::memset(rec, 0, sizeof rec);
    ASSERT_EQ(latitude ? GetVantageLat_V(rec) : GetVantageLon_V(rec), VP_OK);
    const double tenths = sim.GetNumber(latitude ? "ee.LATITUDE" : "ee.LONGITUDE");
    EXPECT_FLOAT_EQ(At<float>(rec, 4), static_cast<float>(tenths / 10));
    EXPECT_EQ(At<std::uint16_t>(rec, 8), tenths < 0 ? 1 : 0);
    EXPECT_EQ(At<std::uint16_t>(rec, 10), static_cast<int>(std::fabs(tenths)) / 10);
    EXPECT_EQ(At<std::int32_t>(rec, 12), static_cast<int>(std::fabs(tenths)) % 10 * 6);
  }

  std::memset(rec, 0, sizeof rec);
  ASSERT_EQ(GetTimeZoneSettings_V(rec), VP_OK);
  EXPECT_EQ(At<std::uint16_t>(rec, 0), sim.GetNumber("ee.GMT_OR_ZONE") == 1 ? 0 : 1);
  EXPECT_EQ(At<std::uint16_t>(rec, 2), sim.GetNumber("ee.TIME_ZONE"));
  EXPECT_FLOAT_EQ(At<float>(rec, 4), static_cast<float>(sim.GetNumber("ee.GMT_OFFSET") / 100));
  EXPECT_EQ(At<std::uint16_t>(rec, 8), sim.GetNumber("ee.MANUAL_OR_AUTO") == 1 ? 0 : 1);
  EXPECT_EQ(At<std::uint16_t>(rec, 10), sim.GetNumber("ee.DAYLIGHT_SAVINGS") == 1 ? 1 : 0);

  std::memset(rec, 0, sizeof rec);
  ASSERT_EQ(GetReceptionData_V(rec), VP_OK);
  const char* rx[5] = {"rx_total", "rx_missed", "rx_resync", "rx_longest", "rx_crc_errors"};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(At<std::int32_t>(rec, 4 * i), sim.GetNumber(rx[i])) << rx[i];

  std::memset(rec, 0, sizeof rec);
  ASSERT_EQ(GetBarometerData_V(rec), VP_OK);
  EXPECT_EQ(At<std::int32_t>(rec, 0), sim.GetNumber("bd.bar"));
  EXPECT_EQ(At<std::int32_t>(rec, 4), sim.GetNumber("bd.elevation"));
  EXPECT_EQ(At<std::int32_t>(rec, 8), sim.GetNumber("bd.dew_point"));
  EXPECT_EQ(At<std::int32_t>(rec, 12), sim.GetNumber("bd.virtual_temp"));
  EXPECT_EQ(At<std::int32_t>(rec, 16), sim.GetNumber("bd.c"));
  EXPECT_EQ(At<std::int32_t>(rec, 20), sim.GetNumber("bd.r"));
  EXPECT_FLOAT_EQ(At<float>(rec, 24), static_cast<float>(sim.GetNumber("bd.barcal") / 1000));

  // Transmitters: the kind of each ID from the console's station list.
  std::memset(rec, 0xAA, sizeof rec);
  ASSERT_EQ(GetVantageTxConfig_V(rec), VP_OK);
  std::istringstream list(sim.Get("ee.STATION_LIST"));
  const int kinds[16] = {1, 2, 3, 3, 7, 13, 8, 9, 10, 11, 0, 0, 0, 0, 0, 0};
  const int retransmit = static_cast<int>(sim.GetNumber("ee.RETRANSMIT_ID"));
  for (int id = 1; id <= 7; ++id) {
    std::string first, second;
    std::getline(list, first, ',');
    std::getline(list, second, ',');
    const int byte = std::atoi(first.c_str());
    int kind = (byte >> 4) == 0 ? 0 : kinds[byte & 0x0F];
    if (id == retransmit) kind = 12;
    EXPECT_EQ(At<std::int32_t>(rec, 4 * (id - 1)), kind) << "ID " << id;
    EXPECT_EQ(At<std::int32_t>(rec, 28 + 4 * (id - 1)), kind != 0 ? id : 0) << "ID " << id;
  }

  // Calibration: temperature offsets as °F around 32, humidity bytes, wind offset.
  std::memset(rec, 0, sizeof rec);
  ASSERT_EQ(LoadVantageCalibration_V(rec), VP_OK);
  EXPECT_FLOAT_EQ(
      At<float>(rec, 10),
      static_cast<float>(32 + static_cast<std::int8_t>(sim.GetNumber("ee.TEMP_IN_CAL")) / 10.0));
  EXPECT_FLOAT_EQ(
      At<float>(rec, 14),
      static_cast<float>(32 + static_cast<std::int8_t>(sim.GetNumber("ee.TEMP_OUT_CAL")) / 10.0));
  EXPECT_EQ(rec[18], static_cast<std::uint8_t>(sim.GetNumber("ee.HUM_IN_CAL")));
  std::int32_t offset = 0;
  ASSERT_EQ(GetWindDirCalibrationOffset_V(&offset), VP_OK);
  EXPECT_EQ(offset, sim.GetNumber("ee.DIR_CAL"));
  EXPECT_EQ(At<std::int16_t>(reinterpret_cast<std::uint8_t*>(&offset), 0),
            sim.GetNumber("ee.DIR_CAL"));
}

TEST_P(CurrentData, ConsoleClockAndSunTimes) {
  SimulatorProcess& sim = *sim_;
  ASSERT_EQ(sim.Control("CLOCK 2024-06-04 15:27:00"), "OK");
  VantageDateTime t{};
  ASSERT_EQ(GetStationTime_V(&t), VP_OK);
  EXPECT_EQ(t.Year, 2024);
  EXPECT_EQ(t.Month, 6);
  EXPECT_EQ(t.Day, 4);
  EXPECT_EQ(t.Hour, 15);
  EXPECT_LE(t.Minute, 28);
  ASSERT_EQ(sim.Control("SET sunrise 612"), "OK");
  ASSERT_EQ(LoadCurrentVantageData_V(), VP_OK);
  ASSERT_EQ(GetSunriseTime_V(&t), VP_OK);
  EXPECT_EQ(t.Hour, 6);
  EXPECT_EQ(t.Minute, 12);
  EXPECT_EQ(t.Day, 4);
  EXPECT_EQ(t.Month, 6);
  ASSERT_EQ(GetSunsetTime_V(&t), VP_OK);
  EXPECT_EQ(t.Hour * 100 + t.Minute, sim.GetNumber("sunset"));
  sim.Control("UNSET ALL");
}

TEST_P(CurrentData, RainInMillimetresForBothCollectors) {
  SimulatorProcess& sim = *sim_;
  const int bits = static_cast<int>(sim.GetNumber("ee.SETUP_BITS"));
  const struct {
    const char* legend;
    int collector;
    int clicks;
    double mm;
  } rows[] = {
      {"0.2 mm collector", 1, 37, 7.4},
      {"0.01 in collector", 0, 100, 25.4},
  };
  for (const auto& row : rows) {
    CloseAll();
    ASSERT_EQ(
        sim.Control("SET ee.SETUP_BITS " + std::to_string((bits & ~0x30) | (row.collector << 4))),
        "OK");
    ASSERT_EQ(sim.Control("SET day_rain " + std::to_string(row.clicks)), "OK");
    ASSERT_EQ(sim.Control("SET rain_rate " + std::to_string(row.clicks)), "OK");
    ASSERT_EQ(Open(sim, GetParam()), VP_OK);
    ASSERT_EQ(InitStation_V(), VP_OK);
    ASSERT_EQ(LoadCurrentVantageData_V(), VP_OK);
    EXPECT_NEAR(GetDailyRain_V() * 20, row.mm, 1e-4) << row.legend;
    EXPECT_NEAR(GetRainRate_V() * 20, row.mm, 1e-4) << row.legend;
  }
  sim.Control("SET ee.SETUP_BITS " + std::to_string(bits));
  sim.Control("UNSET ALL");
}

INSTANTIATE_TEST_SUITE_P(Links, CurrentData, ::testing::Values(Via::kTcp, Via::kPty),
                         [](const ::testing::TestParamInfo<Via>& param_info) {
                           return param_info.param == Via::kTcp ? std::string("Tcp")
                                                                : std::string("Pty");
                         });

TEST(MinimalConsole, AbsentSensorsAreDashed) {
  auto sim = StartSimulator("minimal");
  ASSERT_TRUE(sim);
  ASSERT_EQ(Open(*sim, Via::kTcp), VP_OK);
  ASSERT_EQ(InitStation_V(), VP_OK);
  ASSERT_EQ(LoadCurrentVantageData_V(), VP_OK);
  const std::int32_t dashed[] = {
      Id(2, VP_QTY_TEMPERATURE),   Id(8, VP_QTY_TEMPERATURE),
      Id(9, VP_QTY_TEMPERATURE),   Id(15, VP_QTY_TEMPERATURE),
      Id(2, VP_QTY_HUMIDITY),      Id(8, VP_QTY_HUMIDITY),
      Id(9, VP_QTY_SOIL_MOISTURE), Id(15, VP_QTY_LEAF_WETNESS),
      Id(0, VP_QTY_SOLAR),         Id(0, VP_QTY_UV),
  };
  using AsShort = std::int16_t (*)(std::int32_t);
  const auto as_short = reinterpret_cast<AsShort>(reinterpret_cast<void*>(&GetCurrentDataByID_V));
  for (const std::int32_t id : dashed) {
    EXPECT_EQ(GetCurrentDataByID_V(id), kNoData) << std::hex << id;
    EXPECT_EQ(as_short(id), VP_NO_DATA) << std::hex << id;
  }
  ASSERT_EQ(LoadVantageHiLows_V(), VP_OK);
  EXPECT_EQ(GetHiLowDataByID_V(Id(2, VP_QTY_TEMPERATURE, VP_PERIOD_DAY_HIGH)), kNoData);
  EXPECT_EQ(GetHiLowDataByID_V(Id(0, VP_QTY_SOLAR, VP_PERIOD_YEAR_HIGH)), kNoData);
  CloseAll();
}

// --- Faults -------------------------------------------------------------------------

class Faults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = StartSimulator("default").release(); }
  static void TearDownTestSuite() {
    CloseAll();
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(sim_, nullptr);
    ASSERT_EQ(sim_->Control("FAULT CLEAR"), "OK");
  }
  void TearDown() override {
    sim_->Control("FAULT CLEAR");
    CloseAll();
  }
  static SimulatorProcess* sim_;
};
SimulatorProcess* Faults::sim_ = nullptr;

TEST_F(Faults, NoListenerFailsToOpen) {
  // A port that was free a moment ago and has no listener now.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  EXPECT_EQ(OpenTCPIPPort_V(std::to_string(ntohs(addr.sin_port)).c_str(), "127.0.0.1"),
            VP_ERR_OPEN);
  EXPECT_EQ(OpenTCPIPPort_V("not-a-port", "127.0.0.1"), VP_ERR_OPEN);
}

TEST_F(Faults, ConsoleThatNeverWakes) {
  ASSERT_EQ(Open(*sim_, Via::kTcp), VP_OK);
  ASSERT_EQ(sim_->Control("FAULT SILENT"), "OK");
  EXPECT_EQ(InitStation_V(), VP_ERR_COMM);
  EXPECT_EQ(IsNewLoopPackageSupported_V(), VP_ERR_COMM);
}

TEST_F(Faults, CorruptCrcsAreReAskedThenFail) {
  ASSERT_EQ(Open(*sim_, Via::kTcp), VP_OK);
  ASSERT_EQ(InitStation_V(), VP_OK);
  ASSERT_EQ(sim_->Control("FAULT BAD_CRC 2"), "OK");
  EXPECT_EQ(LoadVantageHiLows_V(), VP_OK) << "two bad blocks are answered by re-asking";
  ASSERT_EQ(sim_->Control("FAULT BAD_CRC 100"), "OK");
  EXPECT_EQ(LoadVantageHiLows_V(), VP_ERR_COMM);
  ASSERT_EQ(sim_->Control("FAULT CLEAR"), "OK");
  EXPECT_EQ(LoadVantageHiLows_V(), VP_OK) << "the link stays usable";
}

TEST_F(Faults, DroppedConnectionMidPacket) {
  ASSERT_EQ(Open(*sim_, Via::kTcp), VP_OK);
  ASSERT_EQ(InitStation_V(), VP_OK);
  ASSERT_EQ(sim_->Control("FAULT DROP_MID"), "OK");
  EXPECT_EQ(LoadVantageHiLows_V(), VP_ERR_COMM);
  EXPECT_EQ(LoadCurrentVantageData_V(), VP_ERR_COMM) << "the dropped link stays failed";
  CloseTCPIPPort_V();
  ASSERT_EQ(sim_->Control("FAULT CLEAR"), "OK");
  ASSERT_EQ(Open(*sim_, Via::kTcp), VP_OK);
  EXPECT_EQ(InitStation_V(), VP_OK);
  EXPECT_EQ(LoadVantageHiLows_V(), VP_OK);
}

TEST_F(Faults, CloseFromAnotherThreadEndsARunningLoad) {
  for (const Via via : {Via::kTcp, Via::kPty}) {
    ASSERT_EQ(Open(*sim_, via), VP_OK);
    ASSERT_EQ(InitStation_V(), VP_OK);
    const std::int64_t before = GetLinkBytesExchanged_V();
    ASSERT_EQ(sim_->Control("FAULT SLOW 50"), "OK");  // HILOWS would take over 20 s
    std::atomic<int> result{0};
    std::thread loader([&] { result = LoadVantageHiLows_V(); });
    // Wait until the command is on the wire and some of the reply has come.
    while (GetLinkBytesExchanged_V() < before + 12) std::this_thread::yield();
    EXPECT_EQ(via == Via::kTcp ? CloseTCPIPPort_V() : CloseCommPort_V(), VP_OK);
    loader.join();
    EXPECT_EQ(result.load(), VP_ERR_COMM);
    ASSERT_EQ(sim_->Control("FAULT CLEAR"), "OK");
  }
  ASSERT_EQ(Open(*sim_, Via::kTcp), VP_OK);
  EXPECT_EQ(InitStation_V(), VP_OK);
}

// --- USB ------------------------------------------------------------------------------

TEST_F(Faults, UsbLoggerFoundBySerialNumberInSysfs) {
  namespace fs = std::filesystem;
  const tv::testing::TempDir folder("stl-usb");
  const fs::path& root = folder.path;
  const fs::path iface = root / "devices" / "usb1" / "1-2" / "1-2:1.0" / "ttyUSB0";
  fs::create_directories(iface);
  std::ofstream(root / "devices" / "usb1" / "1-2" / "idVendor") << "10c4\n";
  std::ofstream(root / "devices" / "usb1" / "1-2" / "serial") << "4242\n";
  fs::create_directories(root / "class" / "tty" / "ttyUSB0");
  fs::create_directory_symlink(iface, root / "class" / "tty" / "ttyUSB0" / "device");
  ASSERT_EQ(sim_->pty_path().rfind("/dev/", 0), 0u);
  std::ofstream(root / "class" / "tty" / "ttyUSB0" / "uevent")
      << "DEVNAME=" << sim_->pty_path().substr(5) << "\n";

  SetSysfsRoot_V(root.c_str());
  EXPECT_EQ(GetUSBDevSerialNumber_V(), 4242);
  EXPECT_EQ(OpenUSBPort_V(4243), VP_ERR_OPEN);
  ASSERT_EQ(OpenUSBPort_V(4242), VP_OK);
  EXPECT_EQ(InitStation_V(), VP_OK);
  EXPECT_EQ(LoadCurrentVantageData_V(), VP_OK);
  CloseCommPort_V();  // another kind: the USB link stays open
  EXPECT_EQ(LoadCurrentVantageData_V(), VP_OK);
  CloseUSBPort_V();
  EXPECT_EQ(LoadCurrentVantageData_V(), VP_ERR_COMM);
  SetSysfsRoot_V(nullptr);
}

}  // namespace
