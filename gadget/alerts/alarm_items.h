#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gadget/engine/station_record.h"

namespace tv {

// One alarm found: the item's name ("outsideHiTemp"), its label and the
// value text shown beside it ("35 °c").
struct FoundAlarm {
  std::string name;
  std::string label;
  std::string value;
  bool operator==(const FoundAlarm&) const = default;
};

// Number of alarm items compared, in table order.
inline constexpr std::size_t kAlarmItemCount = 74;

// The names of the alarm items, in the order they are compared.
std::vector<std::string> AlarmItemNames();

// Compares the current values of `data` with the console's thresholds: each
// item whose threshold is set and whose current value is a reading that lies
// strictly beyond it (below for a low alarm, above for a high one). The
// pressure trend and flash-flood items follow the console's own alarm bits.
std::vector<FoundAlarm> FindAlarms(const StationData& data);

}  // namespace tv
