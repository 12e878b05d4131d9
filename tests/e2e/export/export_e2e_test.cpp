// The export of the collected data against the console simulator: a record
// filled by one collection of the five services, written as JSON and as CSV
// and read back; an export running while the engine collects.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gadget/agent/agent.h"
#include "gadget/window/memory_window.h"
#include "lib/common/unit_conversions.h"
#include "lib/station/result_codes.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace tv {
namespace {

using TempDir = testing::TempDir;

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// RFC 4180 records, written here on their own: quoted fields may hold
// commas, doubled quotes and line ends; records end with CRLF.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::exchange(field, {}));
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(std::exchange(field, {}));
      rows.push_back(std::exchange(row, {}));
      ++i;
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(field.empty() && row.empty()) << "the last record ends with CRLF";
  return rows;
}

class ExportE2e : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& services) {
    std::string error;
    ASSERT_TRUE(sim_.Start({"--tcp", "127.0.0.1:0", "--scenario", "minimal"}, &error)) << error;
    ASSERT_EQ(sim_.Control("HOLD ON"), "OK");
    config_.Set("CONSOLE", "type", "IP");
    config_.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim_.tcp_port()));
    config_.Set("CONSOLE", "ConnectionTimeout", "10");
    config_.Set("GENERAL", "RefreshServices", "1");
    for (const std::string& service : services) config_.Set("SERVICES", service, "3600");
    agent_ = std::make_unique<Agent>(config_, gui_);
  }
  void TearDown() override {
    if (agent_) {
      agent_->Quit(std::chrono::seconds{5});
      agent_->Stop();
    }
  }
  std::string LastLogLine() {
    const auto lines = window_.Lines(Field::AppLogList);
    return lines.empty() ? "" : lines.front();
  }

  testing::SimulatorProcess sim_;
  ConfigTable config_;
  MemoryWindow window_;
  testing::GuiThreadWindow gui_{window_};
  std::unique_ptr<Agent> agent_;
  TempDir dir_;
};

// The JSON value of a number as the record's float, NaN for null.
float AsFloat(const json& value) {
  return value.is_null() ? NAN : value.get<float>();
}

TEST_F(ExportE2e, JsonAndCsvReadBackAsTheRecordWithMissingSensorsNull) {
  Start({"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"});
  agent_->engine().RunCycle();
  const StationData d = agent_->record().Snapshot();

  const fs::path json_path = dir_.path / "données.json";
  ASSERT_TRUE(agent_->ExportData(json_path.string()));
  EXPECT_EQ(LastLogLine(), "Données exportées dans " + json_path.string());
  const json j = json::parse(ReadFile(json_path));

  std::vector<std::string> groups;
  for (const auto& [name, _] : j.items()) groups.push_back(name);
  EXPECT_EQ(groups, (std::vector<std::string>{"export", "current_conditions", "forecast", "records",
                                              "thresholds", "configuration", "calibration"}));

  // Current conditions: each member of the record under its own name.
  const json& cc = j["current_conditions"];
  const CurrentDataGroup& c = d.CurrentData;
  const std::pair<const char*, float> numbers[] = {
      {"InsideTemp", c.InsideTemp},
      {"OutsideTemp", c.OutsideTemp},
      {"DewPt", c.DewPt},
      {"WindChill", c.WindChill},
      {"HeatIndex", c.HeatIndex},
      {"Barometer", c.Barometer},
      {"WindSpeed", c.WindSpeed},
      {"WindSpeedAvg2Min", c.WindSpeedAvg2Min},
      {"RainRate", c.RainRate},
      {"WindSpeedAvg10Min", c.WindSpeedAvg10Min},
      {"DailyRain", c.DailyRain},
      {"WindGust10Min", c.WindGust10Min},
      {"MonthlyRain", c.MonthlyRain},
      {"RainLastHour", c.RainLastHour},
      {"StormRain", c.StormRain},
      {"RainLast24Hours", c.RainLast24Hours},
      {"TotalRain", c.TotalRain},
  };
  for (const auto& [name, value] : numbers) {
    ASSERT_TRUE(cc.contains(name)) << name;
    ASSERT_TRUE(IsValidResult(value) == 1) << name << " has a reading in every scenario";
    EXPECT_EQ(AsFloat(cc[name]["value"]), value) << name;
  }
  EXPECT_EQ(cc["OutsideTemp"]["unit"], "°C");
  EXPECT_EQ(cc["Barometer"]["unit"], "hPa");
  EXPECT_EQ(cc["OutsideHumidity"]["value"], c.OutsideHumidity);
  EXPECT_EQ(cc["WindDir"]["value"], c.WindDir);
  EXPECT_EQ(cc["WindDirText"]["value"], c.WindDirText);
  EXPECT_NEAR(AsFloat(cc["StationElevation"]["value"]), FeetToMetres(c.StationElevation), 1e-4);
  // The minimal console has no extra, soil or leaf sensor, no solar or UV, and
  // so no evapotranspiration.
  for (const char* missing :
       {"SolarRad", "UV", "ETDay", "ETMonth", "ETYear", "ExtraTemp[0]", "ExtraTemp[6]",
        "ExtraHum[3]", "SoilTemp[0]", "SoilMoisture[3]", "LeafTemp[1]", "LeafWet[0]"}) {
    ASSERT_TRUE(cc.contains(missing)) << missing;
    EXPECT_TRUE(cc[missing]["value"].is_null()) << missing << ": " << cc[missing];
  }

  // Records, in the window's units, the day's with their times.
  const json& records = j["records"];
  EXPECT_EQ(records.size(), HiLowEntries().size());
  const HiLowValue* high = d.HiLow.Find("OutsideTemp", HiLowPeriod::DayHigh);
  ASSERT_NE(high, nullptr);
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", high->time.Hour, high->time.Minute);
  EXPECT_EQ(AsFloat(records["OutsideTemp.DayHigh"]["value"]), FahrenheitToCelsius(high->value));
  EXPECT_EQ(records["OutsideTemp.DayHigh"]["time"], time);
  EXPECT_EQ(AsFloat(records["OutsideHum.YearLow"]["value"]),
            d.HiLow.Find("OutsideHum", HiLowPeriod::YearLow)->value);
  EXPECT_FALSE(records["OutsideTemp.MonthHigh"].contains("time"));
  EXPECT_TRUE(records["ExtraTemp[0].DayHigh"]["value"].is_null());
  EXPECT_TRUE(records["ExtraTemp[0].DayHigh"]["time"].is_null());

  // Thresholds, configuration, calibration, forecast.
  EXPECT_EQ(AsFloat(j["thresholds"]["OutsideHiTemp"]["value"]), d.Alarms.outsideHiTemp);
  EXPECT_EQ(AsFloat(j["thresholds"]["HiRainRate"]["value"]), d.Alarms.HiRainRate);
  EXPECT_EQ(j["configuration"]["FirmwareVersion"]["value"], "3.12");
  EXPECT_EQ(j["configuration"]["ModelText"]["value"], d.Config.ModelText);
  EXPECT_EQ(j["calibration"]["WindDirOffset"]["value"], d.Calibration.WindDirOffset);
  const std::string first = d.Forecast.Text.substr(0, d.Forecast.Text.find(';'));
  EXPECT_EQ(j["forecast"]["Sentence[0]"]["value"], agent_->language().Text("PREV_METEO_" + first));

  // The CSV holds the same values, one row each (and a row per time).
  const fs::path csv_path = dir_.path / "données.CSV";
  ASSERT_TRUE(agent_->ExportData(csv_path.string()));
  const auto rows = ParseCsv(ReadFile(csv_path));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], (std::vector<std::string>{"group", "name", "value", "unit"}));
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> csv;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 4U) << "row " << i;
    csv[{rows[i][0], rows[i][1]}] = rows[i];
  }
  std::size_t expected_rows = 0;
  for (const auto& [group, values] : j.items()) {
    for (const auto& [name, item] : values.items()) {
      ++expected_rows;
      const auto it = csv.find({group, name});
      ASSERT_NE(it, csv.end()) << group << "," << name;
      const std::string& text = it->second[2];
      const json& value = item["value"];
      if (value.is_null()) {
        EXPECT_EQ(text, "") << name;
      } else if (value.is_string()) {
        EXPECT_EQ(text, value.get<std::string>()) << name;
      } else if (group != "export") {
        EXPECT_EQ(std::stod(text), value.get<double>()) << name;
      }
      EXPECT_EQ(it->second[3], item["unit"].get<std::string>()) << name;
      if (item.contains("time")) {
        ++expected_rows;
        const auto t = csv.find({group, name + ".Time"});
        ASSERT_NE(t, csv.end()) << name;
        EXPECT_EQ(t->second[2], item["time"].is_null() ? "" : item["time"].get<std::string>());
      }
    }
  }
  EXPECT_EQ(rows.size() - 1, expected_rows);
}

TEST_F(ExportE2e, GroupsOfServicesNotYetCollectedAreNull) {
  Start({"CurrentData"});
  agent_->engine().RunCycle();
  const fs::path path = dir_.path / "partiel.json";
  ASSERT_TRUE(agent_->ExportData(path.string()));
  const json j = json::parse(ReadFile(path));
  EXPECT_FALSE(j["current_conditions"]["OutsideTemp"]["value"].is_null());
  for (const char* group : {"thresholds", "records", "configuration", "calibration"}) {
    for (const auto& [name, item] : j[group].items()) {
      EXPECT_TRUE(item["value"].is_null()) << group << "." << name << " is not the record's zero";
    }
  }
}

TEST_F(ExportE2e, ExportsWhileTheEngineCollectsNeverHoldItBack) {
  Start({"CurrentData", "HiLow"});
  std::atomic<int> cycles{0};
  AgentOptions options;
  options.after_cycle = [&cycles] { ++cycles; };
  agent_ = std::make_unique<Agent>(config_, gui_, DefaultClock(), std::move(options));
  agent_->Start();
  // Exports back to back until the engine has run three more cycles: a lock
  // held across the writing would stall it (and the thread checker sees every
  // access of both sides).
  const int from = cycles;
  int exports = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{60};
  while (cycles < from + 3 && std::chrono::steady_clock::now() < deadline) {
    const fs::path path = dir_.path / (exports % 2 == 0 ? "a.json" : "b.csv");
    ASSERT_TRUE(agent_->ExportData(path.string())) << LastLogLine();
    ++exports;
  }
  EXPECT_GE(cycles, from + 3) << "after " << exports << " exports";
  agent_->Stop();
  EXPECT_EQ(agent_->record().LinkConnected, 1);
  EXPECT_TRUE(json::parse(ReadFile(dir_.path / "a.json"))["current_conditions"].is_object());
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2U) << "no temporary file left behind";
}

}  // namespace
}  // namespace tv
