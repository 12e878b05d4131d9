#pragma once

#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "gadget/engine/station_record.h"

namespace tv {

// One exported value: its group ("current_conditions", "forecast",
// "records", "thresholds", "configuration", "calibration", and "export" for
// the file's own details), its name (the record's: "OutsideTemp",
// "ExtraTemp[2]", "OutsideTemp.DayHigh"), the value in the unit the window
// shows it in, and that unit ("" for a count, an index or a text). A value
// the console has no reading for is missing (std::monostate).
struct ExportValue {
  using Value = std::variant<std::monostate, double, long long, std::string>;

  std::string group;
  std::string name;
  Value value;
  std::string unit;
  // Records of the day carry the time they were reached ("14:05"; "" when
  // the console gives none).
  bool timed = false;
  std::string time;
};

// What an export is made from: a snapshot of the record, the services that
// have filled it at least once (the groups of any other service are
// exported as missing rather than as the record's initial zeros), the
// French forecast sentences, and the export's own time.
struct ExportSource {
  const StationData& data;
  std::set<std::string, std::less<>> collected;
  // The forecast sentence of each number of Forecast.Text, in order.
  std::vector<std::string> forecast_sentences;
  std::string program;      // "Teskaro Ventaro v1.0"
  long long exported_at{};  // seconds of the desktop clock
};

// Every value in a fixed order: the export's details, current conditions
// (with the console, sunrise and sunset times), forecast, records of the
// day, month and year, alarm thresholds, configuration, calibration.
std::vector<ExportValue> ExportValues(const ExportSource& source);

// A JSON object with one member per group, in the order above; each holds
// one member per value, {"value": number, text or null, "unit": text} plus
// "time" for the records of the day.
std::string ExportJson(const std::vector<ExportValue>& values);

// CSV (RFC 4180: comma separated, CRLF line ends, fields quoted when they
// hold a comma, a quote or a line end, quotes doubled): the header
// "group,name,value,unit", then one row per value (a missing one empty) and,
// for a timed value, one more row named after it with ".Time".
std::string ExportCsv(const std::vector<ExportValue>& values);

enum class ExportFormat { kJson, kCsv };
// CSV when the file name ends in ".csv" (any case), JSON otherwise.
ExportFormat ExportFormatFor(std::string_view path);

// A station date and time as ISO 8601 local time ("2024-06-21T14:05"), the
// time alone ("14:05") when the console gives no date; "" when it has no
// time at all.
std::string IsoStationTime(const StationDateTime& when);

}  // namespace tv
