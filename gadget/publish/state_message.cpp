#include "gadget/publish/state_message.h"

#include <map>
#include <nlohmann/json.hpp>
#include <utility>

namespace tv {
namespace {

using Json = nlohmann::ordered_json;

// The record's value names (the export's) and their state keys.
constexpr std::pair<std::string_view, std::string_view> kKeys[] = {
    {"StationTime", "station_time"},
    {"SunriseTime", "sunrise"},
    {"SunsetTime", "sunset"},
    {"InsideTemp", "inside_temperature"},
    {"OutsideTemp", "outside_temperature"},
    {"InsideHumidity", "inside_humidity"},
    {"InsideHum", "inside_humidity"},
    {"OutsideHumidity", "outside_humidity"},
    {"OutsideHum", "outside_humidity"},
    {"DewPt", "dew_point"},
    {"WindChill", "wind_chill"},
    {"HeatIndex", "heat_index"},
    {"THSWIndex", "thsw_index"},
    {"THSW", "thsw_index"},
    {"THWIndex", "thw_index"},
    {"Barometer", "barometer"},
    {"BarTrendText", "barometer_trend"},
    {"WindSpeed", "wind_speed"},
    {"WindDir", "wind_direction"},
    {"WindDirText", "wind_direction_text"},
    {"WindSpeedAvg2Min", "wind_speed_avg_2min"},
    {"WindSpeedAvg10Min", "wind_speed_avg_10min"},
    {"WindGust10Min", "wind_gust_10min"},
    {"RainRate", "rain_rate"},
    {"RainLastHour", "rain_last_hour"},
    {"RainLast24Hours", "rain_last_24h"},
    {"DailyRain", "rain_day"},
    {"StormRain", "rain_storm"},
    {"MonthlyRain", "rain_month"},
    {"TotalRain", "rain_year"},
    {"SolarRad", "solar_radiation"},
    {"UV", "uv_index"},
    {"ETDay", "et_day"},
    {"ETMonth", "et_month"},
    {"ETYear", "et_year"},
    {"StationElevation", "station_elevation"},
    {"ExtraTemp", "extra_temperature"},
    {"ExtraHum", "extra_humidity"},
    {"SoilTemp", "soil_temperature"},
    {"SoilMoisture", "soil_moisture"},
    {"LeafTemp", "leaf_temperature"},
    {"LeafWet", "leaf_wetness"},
};

// The periods of the records.
constexpr std::pair<std::string_view, std::string_view> kPeriods[] = {
    {"DayHigh", "day_high"},   {"DayLow", "day_low"},     {"MonthHigh", "month_high"},
    {"MonthLow", "month_low"}, {"YearHigh", "year_high"}, {"YearLow", "year_low"},
};

template <typename Table>
std::string_view Lookup(const Table& table, std::string_view name) {
  for (const auto& [from, to] : table) {
    if (from == name) return to;
  }
  return {};
}

std::string_view Lookup(std::string_view name) {
  return Lookup(kKeys, name);
}

Json JsonOf(const ExportValue::Value& value) {
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* whole = std::get_if<long long>(&value)) return *whole;
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return nullptr;
}

std::string Text(const ExportValue& v) {
  const auto* text = std::get_if<std::string>(&v.value);
  return text != nullptr ? *text : std::string();
}

}  // namespace

std::string StateKeyOf(std::string_view record_name) {
  const std::size_t bracket = record_name.find('[');
  if (bracket == std::string_view::npos) return std::string(Lookup(record_name));
  const std::string_view base = Lookup(record_name.substr(0, bracket));
  const std::size_t close = record_name.find(']', bracket);
  if (base.empty() || close == std::string_view::npos || close == bracket + 1) return "";
  int index = 0;
  for (const char c : record_name.substr(bracket + 1, close - bracket - 1)) {
    if (c < '0' || c > '9' || index > 1000) return "";
    index = index * 10 + (c - '0');
  }
  return std::string(base) + "_" + std::to_string(index + 1);
}

StateMessage BuildStateMessage(const StateInput& input) {
  const ExportSource source{.data = input.data,
                            .collected = input.collected,
                            .forecast_sentences = input.forecast_sentences,
                            .program = {},
                            .exported_at = input.collected_at};
  const std::vector<ExportValue> values = ExportValues(source);

  StateMessage out;
  Json root = Json::object();
  Json records = Json::object();
  std::string forecast;
  bool forecast_known = false;
  for (const ExportValue& v : values) {
    if (v.group == "export" && v.name == "ExportedAt") {
      root["collected_at"] = JsonOf(v.value);
    } else if (v.group == "current_conditions") {
      const std::string key = StateKeyOf(v.name);
      if (key.empty()) continue;
      root[key] = JsonOf(v.value);
      out.readings.push_back({key, v.value, v.unit});
    } else if (v.group == "forecast") {
      if (v.name == "Icon") {
        root["forecast_icon"] = JsonOf(v.value);
      } else if (std::holds_alternative<std::string>(v.value)) {
        const std::string sentence = Text(v);
        if (!forecast.empty()) forecast += ' ';
        forecast += sentence;
        forecast_known = true;
      }
    } else if (v.group == "records" && input.records) {
      // "OutsideTemp.DayHigh" → records.outside_temperature.day_high, with
      // day_high_time beside a record of the day.
      const std::size_t dot = v.name.find('.');
      if (dot == std::string::npos) continue;
      const std::string quantity = StateKeyOf(std::string_view(v.name).substr(0, dot));
      const std::string period(Lookup(kPeriods, std::string_view(v.name).substr(dot + 1)));
      if (quantity.empty() || period.empty()) continue;
      Json& item = records[quantity];
      item[period] = JsonOf(v.value);
      if (v.timed) item[period + "_time"] = v.time.empty() ? Json(nullptr) : Json(v.time);
    } else if (v.group == "configuration") {
      if (v.name == "ModelText") out.model = Text(v);
      if (v.name == "FirmwareVersion") out.firmware = Text(v);
    }
  }
  root["forecast"] = forecast_known ? Json(forecast) : Json(nullptr);
  if (input.records) root["records"] = std::move(records);
  // Texts that are not valid UTF-8 are written with replacement characters.
  out.json = root.dump(-1, ' ', false, Json::error_handler_t::replace);
  return out;
}

}  // namespace tv
