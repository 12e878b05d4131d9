#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "gadget/engine/station_record.h"
#include "gadget/export/data_export.h"

namespace tv {

// What one state message is made from, taken on the collection thread and
// turned into JSON on the publishing thread.
struct StateInput {
  StationData data;
  // The services that have filled the record at least once; the groups of
  // the others are null rather than the record's initial zeros.
  std::set<std::string, std::less<>> collected;
  // The records of the day, month and year are part of the message only
  // when their service is collected.
  bool records = false;
  // The French sentence of each forecast number, in order.
  std::vector<std::string> forecast_sentences;
  long long collected_at = 0;  // seconds of the desktop clock
};

// One reading of the current conditions under its state key, in the unit
// the window shows it in; std::monostate when the console has no reading.
struct StateReading {
  std::string key;  // "outside_temperature", "extra_humidity_2"
  ExportValue::Value value;
  std::string unit;
};

struct StateMessage {
  // The retained JSON object: every reading under its flat key, the
  // forecast, the time of the collection and, when collected, "records".
  std::string json;
  // The current conditions in message order (what discovery announces).
  std::vector<StateReading> readings;
  // The console's model and firmware ("" until its configuration is read).
  std::string model;
  std::string firmware;
};

StateMessage BuildStateMessage(const StateInput& input);

// The state key of a record's value name: "OutsideTemp" →
// "outside_temperature", "ExtraTemp[2]" → "extra_temperature_3" (sensors
// are counted from 1, as on the console); "" for a name it does not know.
std::string StateKeyOf(std::string_view record_name);

}  // namespace tv
