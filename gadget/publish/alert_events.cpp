#include "gadget/publish/alert_events.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "lib/common/date_format.h"
#include "lib/config/text_encoding.h"

namespace tv {
namespace {

bool Holds(const std::vector<FoundAlarm>& list, const std::string& name) {
  return std::any_of(list.begin(), list.end(),
                     [&name](const FoundAlarm& a) { return a.name == name; });
}

}  // namespace

std::vector<AlertEvent> AlertChanges(const std::vector<FoundAlarm>& before,
                                     const std::vector<FoundAlarm>& now) {
  std::vector<AlertEvent> out;
  for (const FoundAlarm& a : before) {
    if (!Holds(now, a.name)) out.push_back({false, a});
  }
  for (const FoundAlarm& a : now) {
    if (!Holds(before, a.name)) out.push_back({true, a});
  }
  return out;
}

std::string AlertEventJson(const AlertEvent& event, long long at_seconds) {
  const nlohmann::ordered_json json = {
      {"event", event.raised ? "raised" : "cleared"},
      {"name", event.alarm.name},
      {"label", TextFileToUtf8(event.alarm.label)},
      {"value", TextFileToUtf8(event.alarm.value)},
      {"time", LocalIsoTime(at_seconds)},
  };
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace tv
