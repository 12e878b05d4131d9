#include "gadget/export/data_export.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "lib/common/date_format.h"
#include "lib/common/unit_conversions.h"
#include "lib/config/text_encoding.h"
#include "lib/station/result_codes.h"
#include "lib/vocabulary/station_config_text.h"

namespace tv {
namespace {

constexpr std::string_view kCelsius = "°C";
constexpr std::string_view kPercent = "%";
constexpr std::string_view kHpa = "hPa";
constexpr std::string_view kKmh = "km/h";
constexpr std::string_view kMm = "mm";
constexpr std::string_view kMmPerHour = "mm/h";
constexpr std::string_view kSolar = "W/m²";
constexpr std::string_view kCentibar = "cb";
constexpr std::string_view kDegrees = "°";

// The float as the shortest decimal that reads back as the same float, so
// that 20.1f is written 20.1 and not 20.100000381469727.
double Shortest(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double out = 0;
  std::from_chars(text, written.ptr, out);
  return out;
}

std::string Indexed(std::string_view base, std::size_t index) {
  return std::string(base) + "[" + std::to_string(index) + "]";
}

// Builds the values of one group, each missing when the group's service has
// never filled the record.
class Group {
 public:
  Group(std::vector<ExportValue>& out, std::string_view name, bool collected)
      : out_(out), name_(name), collected_(collected) {}

  void Number(std::string_view name, float value, std::string_view unit = "") {
    Add(name, IsValidResult(value) == 1 ? ExportValue::Value{Shortest(value)} : Missing(), unit);
  }
  void Whole(std::string_view name, long long value, std::string_view unit = "") {
    const bool valid = IsValidResult(static_cast<float>(value)) == 1;
    Add(name, valid ? ExportValue::Value{value} : Missing(), unit);
  }
  // "---" is what the vocabularies give for a value the console does not have.
  void Text(std::string_view name, const std::string& text) {
    const bool missing = text.empty() || text == "---";
    Add(name, missing ? Missing() : ExportValue::Value{TextFileToUtf8(text)}, "");
  }
  template <typename T, std::size_t N>
  void Numbers(std::string_view base, const std::array<T, N>& values, std::string_view unit) {
    for (std::size_t i = 0; i < N; ++i)
      Number(Indexed(base, i), static_cast<float>(values[i]), unit);
  }
  template <typename T, std::size_t N>
  void Wholes(std::string_view base, const std::array<T, N>& values, std::string_view unit) {
    for (std::size_t i = 0; i < N; ++i) Whole(Indexed(base, i), values[i], unit);
  }
  void Timed(std::string_view name, ExportValue::Value value, std::string_view unit,
             std::string time) {
    Add(name, std::move(value), unit);
    out_.back().timed = true;
    if (collected_) out_.back().time = std::move(time);
  }
  static ExportValue::Value Missing() { return std::monostate{}; }

  void Add(std::string_view name, ExportValue::Value value, std::string_view unit) {
    if (!collected_) value = std::monostate{};
    out_.push_back({name_, std::string(name), std::move(value), std::string(unit), false, {}});
  }

 private:
  std::vector<ExportValue>& out_;
  std::string name_;
  bool collected_;
};

bool Collected(const ExportSource& source, std::string_view service) {
  return source.collected.find(service) != source.collected.end();
}

std::string TimeOfDay(const StationDateTime& when) {
  if (when.Hour < 0 || when.Hour > 23 || when.Minute < 0 || when.Minute > 59) return "";
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(when.Hour),
                static_cast<int>(when.Minute));
  return text;
}

void AddCurrentConditions(std::vector<ExportValue>& out, const ExportSource& source) {
  const CurrentDataGroup& c = source.data.CurrentData;
  Group g(out, "current_conditions", Collected(source, "CurrentData"));
  g.Text("StationTime", IsoStationTime(source.data.StationTime));
  g.Text("SunriseTime", IsoStationTime(source.data.SunriseTime));
  g.Text("SunsetTime", IsoStationTime(source.data.SunsetTime));
  g.Number("InsideTemp", c.InsideTemp, kCelsius);
  g.Number("OutsideTemp", c.OutsideTemp, kCelsius);
  g.Whole("InsideHumidity", c.InsideHumidity, kPercent);
  g.Whole("OutsideHumidity", c.OutsideHumidity, kPercent);
  g.Number("DewPt", c.DewPt, kCelsius);
  g.Number("WindChill", c.WindChill, kCelsius);
  g.Number("HeatIndex", c.HeatIndex, kCelsius);
  g.Whole("THSWIndex", c.THSWIndex, kCelsius);
  g.Whole("THWIndex", c.THWIndex, kCelsius);
  g.Number("Barometer", c.Barometer, kHpa);
  g.Text("BarTrendText", c.BarTrendText);
  g.Number("WindSpeed", c.WindSpeed, kKmh);
  g.Whole("WindDir", c.WindDir, kDegrees);
  g.Text("WindDirText", c.WindDirText);
  g.Number("WindSpeedAvg2Min", c.WindSpeedAvg2Min, kKmh);
  g.Number("WindSpeedAvg10Min", c.WindSpeedAvg10Min, kKmh);
  g.Number("WindGust10Min", c.WindGust10Min, kKmh);
  g.Number("RainRate", c.RainRate, kMmPerHour);
  g.Number("RainLastHour", c.RainLastHour, kMm);
  g.Number("RainLast24Hours", c.RainLast24Hours, kMm);
  g.Number("DailyRain", c.DailyRain, kMm);
  g.Number("StormRain", c.StormRain, kMm);
  g.Number("MonthlyRain", c.MonthlyRain, kMm);
  g.Number("TotalRain", c.TotalRain, kMm);
  g.Whole("SolarRad", c.SolarRad, kSolar);
  g.Whole("UV", c.UV);
  g.Number("ETDay", c.ETDay, kMm);
  g.Number("ETMonth", c.ETMonth, kMm);
  g.Number("ETYear", c.ETYear, kMm);
  // The console gives its elevation in feet; the window shows metres.
  const bool elevation = IsValidResult(static_cast<float>(c.StationElevation)) == 1;
  g.Number("StationElevation",
           elevation ? FeetToMetres(static_cast<float>(c.StationElevation))
                     : static_cast<float>(kResultNegativeValue),
           "m");
  g.Numbers("ExtraTemp", c.ExtraTemp, kCelsius);
  g.Wholes("ExtraHum", c.ExtraHum, kPercent);
  g.Numbers("SoilTemp", c.SoilTemp, kCelsius);
  g.Numbers("SoilMoisture", c.SoilMoisture, kCentibar);
  g.Numbers("LeafTemp", c.LeafTemp, kCelsius);
  g.Numbers("LeafWet", c.LeafWet, "");
}

void AddForecast(std::vector<ExportValue>& out, const ExportSource& source) {
  Group g(out, "forecast", Collected(source, "CurrentData"));
  g.Whole("Icon", source.data.Forecast.Icon);
  for (std::size_t i = 0; i < source.forecast_sentences.size(); ++i) {
    g.Text(Indexed("Sentence", i), source.forecast_sentences[i]);
  }
}

// How a record is converted from the station library's units.
struct RecordUnit {
  std::string_view unit;
  float (*convert)(float);
};

float Same(float value) {
  return value;
}
float Celsius(float value) {
  return FahrenheitToCelsius(value);
}
float Kmh(float value) {
  // Peak speeds enter the conversion as whole mph, as on the records page.
  return MphToKmh(RoundToInt32(value));
}
float MmPerHour(float value) {
  return RainToMm(value);
}
float Hpa(float value) {
  return InHgToHpa(value);
}

RecordUnit UnitOfRecord(std::string_view name) {
  const auto starts = [name](std::string_view prefix) {
    return name.substr(0, prefix.size()) == prefix;
  };
  if (starts("WindSpeed")) return {kKmh, Kmh};
  if (starts("RainRate")) return {kMmPerHour, MmPerHour};
  if (starts("Barometer")) return {kHpa, Hpa};
  if (starts("SolarRad")) return {kSolar, Same};
  if (starts("UV")) return {"", Same};
  if (starts("SoilMoisture")) return {kCentibar, Same};
  if (starts("LeafWet")) return {"", Same};
  if (name.find("Hum") != std::string_view::npos) return {kPercent, Same};
  return {kCelsius, Celsius};  // temperatures, dew point, heat index, wind chill
}

void AddRecords(std::vector<ExportValue>& out, const ExportSource& source) {
  Group g(out, "records", Collected(source, "HiLow"));
  const std::vector<HiLowEntryDef>& entries = HiLowEntries();
  const std::vector<HiLowValue>& values = source.data.HiLow.values;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const HiLowEntryDef& e = entries[i];
    const RecordUnit unit = UnitOfRecord(e.name);
    ExportValue::Value value;
    std::string time;
    if (i < values.size()) {
      const HiLowValue& v = values[i];
      // A leaf wetness high of -1 is the console's "no reading today".
      const bool no_leaf_reading =
          e.period == HiLowPeriod::DayHigh && e.name.starts_with("LeafWet") && v.value == -1.0F;
      if (IsValidResult(v.value) == 1 && !no_leaf_reading) {
        value = Shortest(unit.convert(v.value));
        time = TimeOfDay(v.time);
      }
    }
    if (e.HasTime()) {
      g.Timed(e.FullName(), std::move(value), unit.unit, std::move(time));
    } else {
      g.Add(e.FullName(), std::move(value), unit.unit);
    }
  }
}

void AddThresholds(std::vector<ExportValue>& out, const ExportSource& source) {
  const AlarmsGroup& a = source.data.Alarms;
  Group g(out, "thresholds", Collected(source, "Alarm"));
  g.Number("BarRise", a.BarRise, kHpa);
  g.Number("BarFall", a.BarFall, kHpa);
  g.Whole("Time", a.TimeAlarm);
  g.Text("TimeStr", a.TimeAlarmStr);
  g.Number("InsideLowTemp", a.InsideLowTemp, kCelsius);
  g.Number("InsideHiTemp", a.InsideHiTemp, kCelsius);
  g.Number("OutsideLowTemp", a.OutsideLowTemp, kCelsius);
  g.Number("OutsideHiTemp", a.outsideHiTemp, kCelsius);
  g.Whole("LowInsideHum", a.LowInsideHum, kPercent);
  g.Whole("HiInsideHum", a.HiInsideHum, kPercent);
  g.Whole("LowOutsideHum", a.LowOutsideHum, kPercent);
  g.Whole("HiOutsideHum", a.HiOutsideHum, kPercent);
  g.Number("LowWindChill", a.LowWindChill, kCelsius);
  g.Number("LowDewPt", a.LowDewPt, kCelsius);
  g.Number("HiDewPt", a.HiDewPt, kCelsius);
  g.Number("HiSolarRad", a.HiSolarRad, kSolar);
  g.Number("HiWindSpeed", a.HiWindSpeed, kKmh);
  g.Number("Hi10MinWindSpeed", a.Hi10MinWindSpeed, kKmh);
  g.Number("HiHeatIndex", a.HiHeatIndex, kCelsius);
  g.Number("HiTHSW", a.HiTHSW, kCelsius);
  g.Number("HiRainRate", a.HiRainRate, kMmPerHour);
  g.Number("HiDailyRain", a.HiDailyRain, kMm);
  g.Number("HiRainStorm", a.HiRainStorm, kMm);
  g.Number("FlashFlood", a.FlashFlood, kMm);
  g.Number("HiUV", a.HiUV);
  g.Number("HiUVMed", a.HiUVMed, "MED");
  g.Numbers("LowExtraTemp", a.LowExtraTemp, kCelsius);
  g.Numbers("HiExtraTemp", a.HiExtraTemp, kCelsius);
  g.Wholes("LowExtraHum", a.LowExtraHum, kPercent);
  g.Wholes("HiExtraHum", a.HiExtraHum, kPercent);
  g.Numbers("LowSoilTemp", a.LowSoilTemp, kCelsius);
  g.Numbers("HiSoilTemp", a.HiSoilTemp, kCelsius);
  g.Numbers("LowSoilMoisture", a.LowSoilMoisture, kCentibar);
  g.Numbers("HiSoilMoisture", a.HiSoilMoisture, kCentibar);
  g.Numbers("LowLeafTemp", a.LowLeafTemp, kCelsius);
  g.Numbers("HiLeafTemp", a.HiLeafTemp, kCelsius);
  g.Numbers("LowLeafWet", a.LowLeafWet, "");
}

void AddConfiguration(std::vector<ExportValue>& out, const ExportSource& source) {
  const ConfigGroup& c = source.data.Config;
  Group g(out, "configuration", Collected(source, "ConfigStation"));
  g.Text("ModelText", c.ModelText);
  g.Text("FirmwareVersion", c.FirmwareVersion);
  g.Text("FirmwareDateText", c.FirmwareDateText);
  g.Text("LatitudeText", c.LatitudeText);
  g.Text("LongitudeText", c.LongitudeText);
  g.Text("WindCupText", c.WindCupText);
  g.Whole("ArchivePeriod", c.ArchivePeriod, "min");
  g.Number("ConsoleVoltage", c.ConsoleVoltage, "V");
  g.Number("TransmitterStatus", c.TransmitterStatus);
  g.Number("RepeaterStatus", c.RepeaterStatus);
  g.Whole("TimeZone.UseTimeZone", c.TimeZone.UseTimeZone);
  g.Whole("TimeZone.TimeZoneIndex", c.TimeZone.TimeZoneIndex);
  g.Text("TimeZone.TimeZoneText", TimeZoneText(c.TimeZone.TimeZoneIndex));
  g.Number("TimeZone.TimeCorrection", c.TimeZone.TimeCorrection);
  g.Whole("TimeZone.AutoDaylightSaving", c.TimeZone.AutoDaylightSaving);
  g.Whole("TimeZone.DaylightSavingMode", c.TimeZone.DaylightSavingMode);
  g.Whole("Reception.PacketsReceived", c.Reception.PacketsReceived);
  g.Whole("Reception.PacketsLost", c.Reception.PacketsLost);
  g.Whole("Reception.Resyncs", c.Reception.Resyncs);
  g.Whole("Reception.CrcErrors", c.Reception.CrcErrors);
  for (int id = 1; id <= 7; ++id) {
    const TransmitterEntry tx = TransmitterAt(c, id);
    const std::string name = "Transmitter[" + std::to_string(id) + "]";
    g.Text(name + ".Type", TransmitterTypeText(tx.kind));
    g.Whole(name + ".StationId", tx.station_id);
  }
}

float FloatAt(const std::array<std::uint8_t, kCalibrationDataSize>& record, std::size_t offset) {
  float value = 0;
  std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

void AddCalibration(std::vector<ExportValue>& out, const ExportSource& source) {
  const CalibrationGroup& cal = source.data.Calibration;
  Group g(out, "calibration", Collected(source, "Calibration"));
  // The temperature corrections are stored as 32 °F plus the correction.
  const auto correction = [](float fahrenheit) {
    return IsValidResult(fahrenheit) == 1 ? FahrenheitToCelsius(fahrenheit) : fahrenheit;
  };
  g.Number("InsideTemp", correction(FloatAt(cal.Data, 10)), kCelsius);
  g.Number("OutsideTemp", correction(FloatAt(cal.Data, 14)), kCelsius);
  // The humidity corrections are signed bytes.
  g.Whole("InsideHum", static_cast<std::int8_t>(cal.Data[18]), kPercent);
  g.Whole("OutsideHum", static_cast<std::int8_t>(cal.Data[19]), kPercent);
  g.Whole("WindDirOffset", cal.WindDirOffset, kDegrees);
}

nlohmann::ordered_json JsonValue(const ExportValue::Value& value) {
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* whole = std::get_if<long long>(&value)) return *whole;
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return nullptr;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvValue(const ExportValue::Value& value) {
  if (const auto* number = std::get_if<double>(&value)) {
    // The JSON writer's shortest form, independent of the process locale.
    return nlohmann::json(*number).dump();
  }
  if (const auto* whole = std::get_if<long long>(&value)) return std::to_string(*whole);
  if (const auto* text = std::get_if<std::string>(&value)) return CsvField(*text);
  return "";
}

void CsvRow(std::string& out, std::string_view group, std::string_view name,
            const std::string& value, std::string_view unit) {
  out += CsvField(group);
  out += ',';
  out += CsvField(name);
  out += ',';
  out += value;
  out += ',';
  out += CsvField(unit);
  out += "\r\n";
}

}  // namespace

std::string IsoStationTime(const StationDateTime& when) {
  const std::string time = TimeOfDay(when);
  if (time.empty()) return "";
  if (when.Year < 1 || when.Year > 9999 || when.Month < 1 || when.Month > 12 || when.Day < 1 ||
      when.Day > 31) {
    return time;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT", static_cast<int>(when.Year),
                static_cast<int>(when.Month), static_cast<int>(when.Day));
  return text + time;
}

std::vector<ExportValue> ExportValues(const ExportSource& source) {
  std::vector<ExportValue> out;
  Group details(out, "export", true);
  details.Text("Program", source.program);
  details.Text("ExportedAt", LocalIsoTime(source.exported_at));
  AddCurrentConditions(out, source);
  AddForecast(out, source);
  AddRecords(out, source);
  AddThresholds(out, source);
  AddConfiguration(out, source);
  AddCalibration(out, source);
  return out;
}

std::string ExportJson(const std::vector<ExportValue>& values) {
  nlohmann::ordered_json root = nlohmann::ordered_json::object();
  for (const ExportValue& v : values) {
    nlohmann::ordered_json item = {{"value", JsonValue(v.value)}, {"unit", v.unit}};
    if (v.timed) {
      item["time"] =
          v.time.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(v.time);
    }
    root[v.group][v.name] = std::move(item);
  }
  // Texts that are not valid UTF-8 are written with replacement characters
  // rather than failing the export.
  return root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ExportCsv(const std::vector<ExportValue>& values) {
  std::string out;
  CsvRow(out, "group", "name", "value", "unit");
  for (const ExportValue& v : values) {
    CsvRow(out, v.group, v.name, CsvValue(v.value), v.unit);
    if (v.timed) CsvRow(out, v.group, v.name + ".Time", CsvField(v.time), "");
  }
  return out;
}

ExportFormat ExportFormatFor(std::string_view path) {
  constexpr std::string_view kCsv = ".csv";
  if (path.size() < kCsv.size()) return ExportFormat::kJson;
  const std::string_view end = path.substr(path.size() - kCsv.size());
  const bool csv = std::equal(end.begin(), end.end(), kCsv.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
  return csv ? ExportFormat::kCsv : ExportFormat::kJson;
}

}  // namespace tv
