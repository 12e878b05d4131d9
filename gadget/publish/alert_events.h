#pragma once

#include <string>
#include <vector>

#include "gadget/alerts/alarm_items.h"

namespace tv {

struct AlertEvent {
  bool raised = false;  // false: cleared
  FoundAlarm alarm;     // as last found (a cleared one: as it was raised)
};

// What changed between two evaluations of the alarms, by item name: the
// items found now and not before are raised, those found before and not now
// are cleared (a value that moves while its alarm holds is no event).
std::vector<AlertEvent> AlertChanges(const std::vector<FoundAlarm>& before,
                                     const std::vector<FoundAlarm>& now);

// {"event": "raised"|"cleared", "name", "label", "value", "time"} with the
// local time in ISO 8601.
std::string AlertEventJson(const AlertEvent& event, long long at_seconds);

}  // namespace tv
