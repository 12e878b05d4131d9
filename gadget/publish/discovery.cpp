#include "gadget/publish/discovery.h"

#include <nlohmann/json.hpp>
#include <string_view>
#include <variant>

#include "lib/common/app_values.h"

namespace tv {
namespace {

using Json = nlohmann::ordered_json;

// How Home Assistant is told about a reading, by its key without the
// sensor number.
struct SensorKind {
  std::string_view base;
  std::string_view name;  // French, as the window names it
  std::string_view device_class;
  std::string_view state_class;
  int precision;  // decimals Home Assistant shows
};

constexpr SensorKind kSensors[] = {
    {"outside_temperature", "Température extérieure", "temperature", "measurement", 1},
    {"inside_temperature", "Température intérieure", "temperature", "measurement", 1},
    {"outside_humidity", "Humidité extérieure", "humidity", "measurement", 0},
    {"inside_humidity", "Humidité intérieure", "humidity", "measurement", 0},
    {"dew_point", "Point de rosée", "temperature", "measurement", 1},
    {"wind_chill", "Refroidissement éolien", "temperature", "measurement", 1},
    {"heat_index", "Indice de chaleur", "temperature", "measurement", 1},
    {"thsw_index", "Indice THSW", "temperature", "measurement", 1},
    {"thw_index", "Indice THW", "temperature", "measurement", 1},
    {"barometer", "Pression", "atmospheric_pressure", "measurement", 1},
    {"barometer_trend", "Tendance barométrique", "", "", 0},
    {"wind_speed", "Vent", "wind_speed", "measurement", 1},
    // Directions are not averaged: no state class.
    {"wind_direction", "Direction du vent", "", "", 0},
    {"wind_direction_text", "Direction du vent (rose)", "", "", 0},
    {"wind_speed_avg_2min", "Vent moyen sur 2 min", "wind_speed", "measurement", 1},
    {"wind_speed_avg_10min", "Vent moyen sur 10 min", "wind_speed", "measurement", 1},
    {"wind_gust_10min", "Rafale sur 10 min", "wind_speed", "measurement", 1},
    {"rain_rate", "Intensité de pluie", "precipitation_intensity", "measurement", 1},
    {"rain_last_hour", "Pluie de la dernière heure", "precipitation", "measurement", 1},
    {"rain_last_24h", "Pluie des dernières 24 h", "precipitation", "measurement", 1},
    // Totals that start again from zero (day, storm, month, year).
    {"rain_day", "Pluie du jour", "precipitation", "total_increasing", 1},
    {"rain_storm", "Pluie de l'averse", "precipitation", "total_increasing", 1},
    {"rain_month", "Pluie du mois", "precipitation", "total_increasing", 1},
    {"rain_year", "Pluie de l'année", "precipitation", "total_increasing", 1},
    {"solar_radiation", "Rayonnement solaire", "irradiance", "measurement", 0},
    {"uv_index", "Indice UV", "", "measurement", 1},
    {"et_day", "Évapotranspiration du jour", "", "total_increasing", 2},
    {"et_month", "Évapotranspiration du mois", "", "total_increasing", 1},
    {"et_year", "Évapotranspiration de l'année", "", "total_increasing", 1},
    {"extra_temperature", "Température supplémentaire", "temperature", "measurement", 1},
    {"extra_humidity", "Humidité supplémentaire", "humidity", "measurement", 0},
    {"soil_temperature", "Température du sol", "temperature", "measurement", 1},
    {"soil_moisture", "Humidité du sol", "", "measurement", 0},
    {"leaf_temperature", "Température foliaire", "temperature", "measurement", 1},
    {"leaf_wetness", "Humectation foliaire", "", "measurement", 0},
};

// The kind of `key` and its sensor number ("" for none): "extra_humidity_2"
// → extra_humidity, "2".
const SensorKind* KindOf(const std::string& key, std::string* number) {
  for (const SensorKind& kind : kSensors) {
    if (key == kind.base) {
      number->clear();
      return &kind;
    }
    if (key.size() > kind.base.size() + 1 && key.starts_with(kind.base) &&
        key[kind.base.size()] == '_') {
      const std::string rest = key.substr(kind.base.size() + 1);
      if (rest.find_first_not_of("0123456789") != std::string::npos) continue;
      *number = rest;
      return &kind;
    }
  }
  return nullptr;
}

}  // namespace

std::string DiscoveryNodeId(const std::string& prefix) {
  std::string out = prefix;
  for (char& c : out) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
    if (!keep) c = '_';
  }
  return out.empty() ? std::string("teskaro-ventaro") : out;
}

std::vector<DiscoveryConfig> DiscoveryConfigs(const StateMessage& state,
                                              const MqttSettings& settings) {
  const std::string node = DiscoveryNodeId(settings.prefix);
  Json device = {{"identifiers", Json::array({node})}, {"name", "Station météo " + node}};
  if (!state.model.empty()) device["model"] = state.model;
  if (!state.firmware.empty()) device["sw_version"] = state.firmware;
  const Json origin = {{"name", AppName()}, {"sw_version", AppVersion()}};

  std::vector<DiscoveryConfig> out;
  for (const StateReading& reading : state.readings) {
    if (std::holds_alternative<std::monostate>(reading.value)) continue;
    std::string number;
    const SensorKind* kind = KindOf(reading.key, &number);
    if (kind == nullptr) continue;
    std::string name(kind->name);
    if (!number.empty()) name += " " + number;
    Json config = {
        {"name", name},
        {"unique_id", node + "_" + reading.key},
        {"state_topic", settings.StateTopic()},
        {"value_template", "{{ value_json." + reading.key + " }}"},
        {"availability_topic", settings.StatusTopic()},
        {"payload_available", "online"},
        {"payload_not_available", "offline"},
    };
    if (!reading.unit.empty()) config["unit_of_measurement"] = reading.unit;
    if (!kind->device_class.empty()) config["device_class"] = kind->device_class;
    if (!kind->state_class.empty()) config["state_class"] = kind->state_class;
    // The window's precision; the state keeps every digit of the reading.
    if (std::holds_alternative<double>(reading.value)) {
      config["suggested_display_precision"] = kind->precision;
    }
    config["device"] = device;
    config["origin"] = origin;
    out.push_back({reading.key,
                   settings.discovery_prefix + "/sensor/" + node + "/" + reading.key + "/config",
                   config.dump(-1, ' ', false, Json::error_handler_t::replace)});
  }
  return out;
}

}  // namespace tv
