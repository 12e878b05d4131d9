// The MQTT messages built from a snapshot (state, discovery, alert events),
// the queue between the collection and the publishing thread, the settings.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "gadget/publish/alert_events.h"
#include "gadget/publish/discovery.h"
#include "gadget/publish/mqtt_settings.h"
#include "gadget/publish/publish_queue.h"
#include "gadget/publish/state_message.h"
#include "lib/common/date_format.h"
#include "lib/station/result_codes.h"

namespace tv {
namespace {

using Json = nlohmann::json;

constexpr float kNoData = static_cast<float>(kResultNegativeValue);

StateInput SampleInput(bool records) {
  StateInput in;
  CurrentDataGroup& c = in.data.CurrentData;
  c.OutsideTemp = 20.5F;
  c.InsideTemp = 22.1F;
  c.OutsideHumidity = 55;
  c.InsideHumidity = kResultNegativeValue;
  c.Barometer = 1013.2F;
  c.BarTrendText = "---";
  c.WindSpeed = 16.1F;
  c.WindDir = 270;
  c.WindDirText = "O";
  c.RainRate = 0;
  c.DailyRain = 1.2F;
  c.ExtraTemp.fill(kNoData);
  c.ExtraTemp[1] = 15.5F;
  c.ExtraHum.fill(kResultNegativeValue);
  in.data.Config.ModelText = "Vantage Pro2";
  in.data.Config.FirmwareVersion = "3.12";
  const int high = HiLowGroup::IndexOf("OutsideTemp", HiLowPeriod::DayHigh);
  HiLowValue& day_high = in.data.HiLow.values[static_cast<std::size_t>(high)];
  day_high.value = 77.0F;
  day_high.time = {.Minute = 5, .Hour = 14, .Day = 21, .Month = 6, .Year = 2024};
  const int year_low = HiLowGroup::IndexOf("OutsideTemp", HiLowPeriod::YearLow);
  in.data.HiLow.values[static_cast<std::size_t>(year_low)].value = kNoData;
  in.collected = {"CurrentData", "ConfigStation"};
  if (records) in.collected.insert("HiLow");
  in.records = records;
  in.forecast_sentences = {"Assez nuageux.", "Peu de changement."};
  in.collected_at = 1'718'971'200;
  return in;
}

TEST(StateMessage, EveryReadingUnderItsFlatKeyAndNullWithoutReading) {
  const Json state = Json::parse(BuildStateMessage(SampleInput(false)).json);
  struct Row {
    const char* legend;
    const char* key;
    Json expected;
  };
  const Row rows[] = {
      {"outdoor temperature in °C", "outside_temperature", 20.5},
      {"indoor temperature", "inside_temperature", 22.1},
      {"humidity, whole percent", "outside_humidity", 55},
      {"humidity without reading", "inside_humidity", nullptr},
      {"pressure in hPa", "barometer", 1013.2},
      {"trend dashed by the vocabulary", "barometer_trend", nullptr},
      {"wind in km/h", "wind_speed", 16.1},
      {"wind direction in degrees", "wind_direction", 270},
      {"rain of the day", "rain_day", 1.2},
      {"a zero rain rate is a reading", "rain_rate", 0.0},
      {"second extra sensor, counted from 1", "extra_temperature_2", 15.5},
      {"absent extra sensor", "extra_temperature_1", nullptr},
      {"forecast sentences joined", "forecast", "Assez nuageux. Peu de changement."},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(state.contains(row.key)) << row.legend;
    EXPECT_EQ(state[row.key], row.expected) << row.legend;
  }
  // No reading is ever a dash code or a no-data number.
  for (const auto& [key, value] : state.items()) {
    if (value.is_string()) {
      EXPECT_NE(value.get<std::string>().substr(0, 2), "--") << key;
    }
    if (value.is_number()) {
      EXPECT_GT(value.get<double>(), -32000) << key;
    }
  }
  EXPECT_FALSE(state.contains("records"));
}

TEST(StateMessage, RecordsOnlyWhenTheirServiceIsCollected) {
  struct Row {
    const char* legend;
    bool records;
    bool present;
  };
  const Row rows[] = {{"records collected", true, true}, {"records not collected", false, false}};
  for (const Row& row : rows) {
    const Json state = Json::parse(BuildStateMessage(SampleInput(row.records)).json);
    ASSERT_EQ(state.contains("records"), row.present) << row.legend;
    if (!row.present) continue;
    const Json& t = state["records"]["outside_temperature"];
    EXPECT_EQ(t["day_high"], 25.0) << row.legend;  // 77 °F
    EXPECT_EQ(t["day_high_time"], "14:05") << row.legend;
    EXPECT_TRUE(t["year_low"].is_null()) << row.legend;
    EXPECT_TRUE(state["records"].contains("extra_humidity_7")) << row.legend;
  }
}

TEST(StateMessage, KeysOfRecordNames) {
  struct Row {
    const char* name;
    const char* key;
  };
  const Row rows[] = {{"OutsideTemp", "outside_temperature"},
                      {"ExtraTemp[2]", "extra_temperature_3"},
                      {"LeafWet[0]", "leaf_wetness_1"},
                      {"TotalRain", "rain_year"},
                      {"InsideHum", "inside_humidity"},
                      {"Unknown", ""},
                      {"ExtraTemp[]", ""},
                      {"ExtraTemp[x]", ""}};
  for (const Row& row : rows) EXPECT_EQ(StateKeyOf(row.name), row.key) << row.name;
}

TEST(Discovery, OneConfigPerSensorWithAReading) {
  MqttSettings settings;
  settings.prefix = "maison/station meteo";
  const StateMessage state = BuildStateMessage(SampleInput(false));
  std::map<std::string, Json> configs;
  for (const DiscoveryConfig& c : DiscoveryConfigs(state, settings)) {
    configs[c.key] = Json::parse(c.payload);
    EXPECT_EQ(c.topic, "homeassistant/sensor/maison_station_meteo/" + c.key + "/config");
  }
  struct Row {
    const char* key;
    const char* device_class;  // "" none
    const char* unit;          // "" none
    const char* state_class;   // "" none
  };
  const Row rows[] = {
      {"outside_temperature", "temperature", "°C", "measurement"},
      {"outside_humidity", "humidity", "%", "measurement"},
      {"barometer", "atmospheric_pressure", "hPa", "measurement"},
      {"wind_speed", "wind_speed", "km/h", "measurement"},
      {"rain_rate", "precipitation_intensity", "mm/h", "measurement"},
      {"rain_day", "precipitation", "mm", "total_increasing"},
      {"wind_direction", "", "°", ""},
      {"extra_temperature_2", "temperature", "°C", "measurement"},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(configs.contains(row.key)) << row.key;
    const Json& c = configs[row.key];
    const auto field = [&c](const char* name) {
      return c.contains(name) ? c[name].get<std::string>() : std::string();
    };
    EXPECT_EQ(field("device_class"), row.device_class) << row.key;
    EXPECT_EQ(field("unit_of_measurement"), row.unit) << row.key;
    EXPECT_EQ(field("state_class"), row.state_class) << row.key;
    EXPECT_EQ(c["state_topic"], "maison/station meteo/state") << row.key;
    EXPECT_EQ(c["value_template"], std::string("{{ value_json.") + row.key + " }}") << row.key;
    EXPECT_EQ(c["availability_topic"], "maison/station meteo/status") << row.key;
    EXPECT_EQ(c["unique_id"], std::string("maison_station_meteo_") + row.key) << row.key;
    EXPECT_EQ(c["device"]["model"], "Vantage Pro2") << row.key;
    EXPECT_EQ(c["device"]["sw_version"], "3.12") << row.key;
  }
  // Sensors without a reading, and values that are not sensors, are not announced.
  for (const char* key : {"inside_humidity", "extra_temperature_1", "barometer_trend",
                          "station_time", "station_elevation"}) {
    EXPECT_FALSE(configs.contains(key)) << key;
  }
}

TEST(PublishQueue, NewestStateWinsAndDropsAreCounted) {
  PublishQueue queue(2);
  int wakes = 0;
  queue.SetWaker([&wakes] { ++wakes; });
  for (long long t = 1; t <= 3; ++t) {
    StateInput s;
    s.collected_at = t;
    queue.PushState(std::move(s));
  }
  for (const char* e : {"a", "b", "c"}) queue.PushEvent(e);
  EXPECT_EQ(wakes, 6);
  const auto state = queue.TakeState();
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->collected_at, 3);
  EXPECT_FALSE(queue.TakeState().has_value());
  EXPECT_EQ(queue.TakeEvents(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(queue.TakeDropped(), 3U);  // two states replaced, one event pushed out
  EXPECT_EQ(queue.TakeDropped(), 0U);
}

TEST(AlertEvents, RaisedAndClearedByItemName) {
  const FoundAlarm hot{"outsideHiTemp", "Température extérieure haute", "35 °c"};
  const FoundAlarm hotter{"outsideHiTemp", "Température extérieure haute", "36 °c"};
  const FoundAlarm wind{"HiWindSpeed", "Vent fort", "80 km/h"};
  struct Row {
    const char* legend;
    std::vector<FoundAlarm> before, now;
    std::vector<std::pair<bool, std::string>> events;
  };
  const Row rows[] = {
      {"first alarm", {}, {hot}, {{true, "outsideHiTemp"}}},
      {"value moves, alarm holds", {hot}, {hotter}, {}},
      {"one clears, one raises", {hot}, {wind}, {{false, "outsideHiTemp"}, {true, "HiWindSpeed"}}},
      {"all clear", {hot, wind}, {}, {{false, "outsideHiTemp"}, {false, "HiWindSpeed"}}},
  };
  for (const Row& row : rows) {
    std::vector<std::pair<bool, std::string>> got;
    for (const AlertEvent& e : AlertChanges(row.before, row.now)) {
      got.emplace_back(e.raised, e.alarm.name);
    }
    EXPECT_EQ(got, row.events) << row.legend;
  }
  const Json event = Json::parse(AlertEventJson({true, hot}, 1'718'971'200));
  EXPECT_EQ(event["event"], "raised");
  EXPECT_EQ(event["label"], "Température extérieure haute");
  EXPECT_EQ(event["value"], "35 °c");
  EXPECT_EQ(event["time"], LocalIsoTime(1'718'971'200));
}

TEST(MqttSettings, DefaultsAndWrittenValues) {
  struct Row {
    const char* legend;
    std::vector<std::pair<const char*, const char*>> keys;
    bool active;
    int port;
    std::string prefix;
    bool discovery;
    std::string discovery_prefix;
  };
  const Row rows[] = {
      {"nothing written", {}, false, 1883, "teskaro-ventaro", true, "homeassistant"},
      {"on, port, prefix with a trailing slash",
       {{"Active", "1"}, {"Port", "8883"}, {"Prefix", "maison/meteo/"}},
       true,
       8883,
       "maison/meteo",
       true,
       "homeassistant"},
      {"a switch is on only for 1",
       {{"Active", "yes"}, {"Discovery", "0"}},
       false,
       1883,
       "teskaro-ventaro",
       false,
       "homeassistant"},
      {"port out of range, empty prefixes",
       {{"Port", "70000"}, {"Prefix", ""}, {"DiscoveryPrefix", "ha/"}},
       false,
       1883,
       "teskaro-ventaro",
       true,
       "ha"},
  };
  for (const Row& row : rows) {
    ConfigTable config;
    for (const auto& [key, value] : row.keys) config.Set("MQTT", key, value);
    const MqttSettings s = ReadMqttSettings(config);
    EXPECT_EQ(s.active, row.active) << row.legend;
    EXPECT_EQ(s.port, row.port) << row.legend;
    EXPECT_EQ(s.prefix, row.prefix) << row.legend;
    EXPECT_EQ(s.StateTopic(), row.prefix + "/state") << row.legend;
    EXPECT_EQ(s.discovery, row.discovery) << row.legend;
    EXPECT_EQ(s.discovery_prefix, row.discovery_prefix) << row.legend;
    EXPECT_EQ(s.host, "127.0.0.1") << row.legend;
    EXPECT_TRUE(s.client_id.starts_with("teskaro-ventaro-")) << row.legend;
  }
}

TEST(MqttSettings, WarnsWhenThePasswordFileIsReadableByOthers) {
  const std::string path = ::testing::TempDir() + "tv-mqtt-settings.ini";
  std::ofstream(path) << "[MQTT]\nPassword=secret\n";
  struct Row {
    const char* legend;
    mode_t mode;
    bool warned;
  };
  const Row rows[] = {
      {"owner only", 0600, false}, {"group may read", 0640, true}, {"anyone may read", 0644, true}};
  for (const Row& row : rows) {
    ASSERT_EQ(chmod(path.c_str(), row.mode), 0);
    EXPECT_EQ(!PasswordFileWarning(path).empty(), row.warned) << row.legend;
  }
  EXPECT_EQ(PasswordFileWarning(path + ".missing"), "");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tv
