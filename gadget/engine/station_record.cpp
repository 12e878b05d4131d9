#include "gadget/engine/station_record.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace tv {
namespace {

constexpr std::int32_t kTemperature = 0;
constexpr std::int32_t kDewPoint = 1;
constexpr std::int32_t kWindChill = 2;
constexpr std::int32_t kHeatIndex = 3;
constexpr std::int32_t kHumidity = 0x101C0;
constexpr std::int32_t kSoilMoisture = 0x901E0;
constexpr std::int32_t kLeafWetness = 0xA0200;
constexpr std::int32_t kWindSpeed = 0x20080;
constexpr std::int32_t kBarometer = 0x400E0;
constexpr std::int32_t kRainRate = 0x60060;
constexpr std::int32_t kSolarRad = 0x70140;
constexpr std::int32_t kUv = 0x80180;

// A measured quantity of one sensor and the records the console keeps for it.
struct Family {
  std::string name;
  std::int32_t sensor;
  std::int32_t quantity;
  bool integer;
  bool highs;
  bool lows;
};

std::string Indexed(std::string_view base, int index) {
  return std::string(base) + "[" + std::to_string(index) + "]";
}

std::vector<Family> Families() {
  std::vector<Family> out;
  auto both = [&](std::string name, std::int32_t sensor, std::int32_t quantity, bool integer) {
    out.push_back({std::move(name), sensor, quantity, integer, true, true});
  };
  both("OutsideTemp", 0, kTemperature, false);
  both("InsideTemp", 1, kTemperature, false);
  for (int i = 0; i < 7; ++i) both(Indexed("ExtraTemp", i), 2 + i, kTemperature, false);
  both("OutsideHum", 0, kHumidity, true);
  both("InsideHum", 1, kHumidity, true);
  for (int i = 0; i < 7; ++i) both(Indexed("ExtraHum", i), 2 + i, kHumidity, true);
  both("DewPt", 0, kDewPoint, false);
  for (int i = 0; i < 4; ++i) both(Indexed("SoilTemp", i), 9 + i, kTemperature, false);
  for (int i = 0; i < 4; ++i) both(Indexed("SoilMoisture", i), 9 + i, kSoilMoisture, true);
  for (int i = 0; i < 2; ++i) both(Indexed("LeafTemp", i), 15 + i, kTemperature, true);
  for (int i = 0; i < 2; ++i) both(Indexed("LeafWet", i), 15 + i, kLeafWetness, true);
  both("Barometer", 0, kBarometer, false);
  out.push_back({"HeatIndex", 0, kHeatIndex, false, true, false});
  out.push_back({"WindSpeed", 0, kWindSpeed, false, true, false});
  out.push_back({"RainRate", 0, kRainRate, false, true, false});
  out.push_back({"SolarRad", 0, kSolarRad, true, true, false});
  out.push_back({"UV", 0, kUv, false, true, false});
  out.push_back({"WindChill", 0, kWindChill, false, false, true});
  return out;
}

std::vector<HiLowEntryDef> BuildEntries() {
  const std::vector<Family> families = Families();
  std::vector<HiLowEntryDef> out;
  auto add = [&](const Family& f, HiLowPeriod period) {
    out.push_back({f.name, f.sensor, f.quantity, period, f.integer});
  };
  for (const Family& f : families) {
    if (f.highs) add(f, HiLowPeriod::DayHigh);
    if (f.lows) add(f, HiLowPeriod::DayLow);
  }
  for (const HiLowPeriod period : {HiLowPeriod::MonthHigh, HiLowPeriod::MonthLow,
                                   HiLowPeriod::YearHigh, HiLowPeriod::YearLow}) {
    const bool high = period == HiLowPeriod::MonthHigh || period == HiLowPeriod::YearHigh;
    for (const Family& f : families) {
      if (high ? f.highs : f.lows) add(f, period);
    }
  }
  return out;
}

template <typename Int>
Int RoundTo(float value) {
  if (!std::isfinite(value)) return static_cast<Int>(kResultNegativeValue);
  const double rounded = std::nearbyint(static_cast<double>(value));
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return static_cast<Int>(kResultNegativeValue);
  }
  return static_cast<Int>(rounded);
}

}  // namespace

std::string_view HiLowPeriodName(HiLowPeriod period) {
  switch (period) {
    case HiLowPeriod::DayHigh:
      return "DayHigh";
    case HiLowPeriod::DayLow:
      return "DayLow";
    case HiLowPeriod::MonthHigh:
      return "MonthHigh";
    case HiLowPeriod::MonthLow:
      return "MonthLow";
    case HiLowPeriod::YearHigh:
      return "YearHigh";
    case HiLowPeriod::YearLow:
      return "YearLow";
  }
  return "";
}

std::int32_t HiLowEntryDef::Id() const {
  return sensor * 0x1000000 + quantity + static_cast<std::int32_t>(period);
}

bool HiLowEntryDef::HasTime() const {
  return period == HiLowPeriod::DayHigh || period == HiLowPeriod::DayLow;
}

std::string HiLowEntryDef::FullName() const {
  return name + "." + std::string(HiLowPeriodName(period));
}

const std::vector<HiLowEntryDef>& HiLowEntries() {
  static const std::vector<HiLowEntryDef> entries = BuildEntries();
  return entries;
}

int HiLowGroup::IndexOf(std::string_view name, HiLowPeriod period) {
  const auto& entries = HiLowEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].period == period && entries[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

const HiLowValue* HiLowGroup::Find(std::string_view name, HiLowPeriod period) const {
  const int index = IndexOf(name, period);
  if (index < 0 || static_cast<std::size_t>(index) >= values.size()) return nullptr;
  return &values[static_cast<std::size_t>(index)];
}

StationData StationRecord::Snapshot() const {
  std::lock_guard lock(mutex_);
  return data_;
}

void StationRecord::Update(const std::function<void(StationData&)>& change) {
  std::lock_guard lock(mutex_);
  change(data_);
}

std::int16_t RoundToInt16(float value) {
  return RoundTo<std::int16_t>(value);
}

std::int32_t RoundToInt32(float value) {
  return RoundTo<std::int32_t>(value);
}

TransmitterEntry TransmitterAt(const ConfigGroup& config, int id) {
  if (id < 1 || id > kTransmitterIds) return {};
  const auto index = static_cast<std::size_t>(id - 1);
  const auto at = [&config](std::size_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, config.TxConfig.data() + offset, sizeof value);
    return value;
  };
  return {at(4 * index), at(4 * (kTransmitterIds + index))};
}

}  // namespace tv
