#include "gadget/alerts/alarm_items.h"

#include <functional>
#include <variant>

#include "lib/common/number_text.h"
#include "lib/station/result_codes.h"
#include "lib/vocabulary/data_item_labels.h"

namespace tv {
namespace {

enum class Test { kBelow, kAbove, kConsoleBit };
enum class Text { kDecimals0, kDecimals1, kWhole, kRounded };

// A current value or a threshold as the record stores it.
using Number = std::variant<float, std::int32_t>;

struct Item {
  std::string name;
  Test test;
  std::function<Number(const StationData&)> current;
  std::function<Number(const StationData&)> threshold;
  Text text;
  const char* unit;
  // The console's alarm bit, for kConsoleBit items.
  std::function<bool(const StationData&)> bit = {};
};

double AsDouble(const Number& n) {
  return std::visit([](auto v) { return static_cast<double>(v); }, n);
}

bool IsReading(const Number& n) {
  return std::visit([](auto v) { return IsValidResult(static_cast<float>(v)) == 1; }, n);
}

// Strict comparisons: whole numbers as whole numbers, the others in floating
// point.
bool Crossed(Test test, const Number& current, const Number& threshold) {
  if (std::holds_alternative<std::int32_t>(current) &&
      std::holds_alternative<std::int32_t>(threshold)) {
    const auto c = std::get<std::int32_t>(current);
    const auto t = std::get<std::int32_t>(threshold);
    return test == Test::kBelow ? c < t : c > t;
  }
  const double c = AsDouble(current);
  const double t = AsDouble(threshold);
  return test == Test::kBelow ? c < t : c > t;
}

std::string ValueText(Text text, const Number& n) {
  const double v = AsDouble(n);
  switch (text) {
    case Text::kDecimals0:
      return DecimalText(v, 0);
    case Text::kDecimals1:
      return DecimalText(v, 1);
    case Text::kWhole:
      if (std::holds_alternative<std::int32_t>(n)) return WholeText(std::get<std::int32_t>(n));
      return RoundedText(v);
    case Text::kRounded:
      return RoundedText(v);
  }
  return {};
}

std::string Indexed(const char* name, std::size_t i) {
  return std::string(name) + "[" + std::to_string(i) + "]";
}

std::vector<Item> BuildItems() {
  using D = const StationData&;
  const char* const kCelsius = " °c";
  const char* const kPercent = " %";
  const char* const kMm = " mm";
  const char* const kKmh = " Km/h";
  std::vector<Item> items;
  const auto f = [](float v) { return Number{v}; };
  const auto i = [](std::int32_t v) { return Number{v}; };

  items.push_back({"BarRise", Test::kConsoleBit, [f](D d) { return f(d.CurrentData.Barometer); },
                   [f](D d) { return f(d.Alarms.BarRise); }, Text::kDecimals1, " Hpa / mb",
                   [](D d) { return d.CurrentData.BarRisingAlarm == 1; }});
  items.push_back({"BarFall", Test::kConsoleBit, [f](D d) { return f(d.CurrentData.Barometer); },
                   [f](D d) { return f(d.Alarms.BarFall); }, Text::kDecimals1, " Hpa / mb",
                   [](D d) { return d.CurrentData.BarFallingAlarm == 1; }});
  const auto pair = [&](const char* low, const char* high, auto current, auto low_t, auto high_t,
                        Text text, const char* unit) {
    items.push_back({low, Test::kBelow, current, low_t, text, unit});
    items.push_back({high, Test::kAbove, current, high_t, text, unit});
  };
  pair(
      "InsideLowTemp", "InsideHiTemp", [f](D d) { return f(d.CurrentData.InsideTemp); },
      [f](D d) { return f(d.Alarms.InsideLowTemp); }, [f](D d) { return f(d.Alarms.InsideHiTemp); },
      Text::kDecimals0, kCelsius);
  pair(
      "OutsideLowTemp", "outsideHiTemp", [f](D d) { return f(d.CurrentData.OutsideTemp); },
      [f](D d) { return f(d.Alarms.OutsideLowTemp); },
      [f](D d) { return f(d.Alarms.outsideHiTemp); }, Text::kDecimals0, kCelsius);
  pair(
      "LowInsideHum", "HiInsideHum", [i](D d) { return i(d.CurrentData.InsideHumidity); },
      [i](D d) { return i(d.Alarms.LowInsideHum); }, [i](D d) { return i(d.Alarms.HiInsideHum); },
      Text::kWhole, kPercent);
  pair(
      "LowOutsideHum", "HiOutsideHum", [i](D d) { return i(d.CurrentData.OutsideHumidity); },
      [i](D d) { return i(d.Alarms.LowOutsideHum); }, [i](D d) { return i(d.Alarms.HiOutsideHum); },
      Text::kWhole, kPercent);
  items.push_back({"LowWindChill", Test::kBelow, [f](D d) { return f(d.CurrentData.WindChill); },
                   [f](D d) { return f(d.Alarms.LowWindChill); }, Text::kDecimals0, kCelsius});
  pair(
      "LowDewPt", "HiDewPt", [f](D d) { return f(d.CurrentData.DewPt); },
      [f](D d) { return f(d.Alarms.LowDewPt); }, [f](D d) { return f(d.Alarms.HiDewPt); },
      Text::kDecimals0, kCelsius);
  const auto high = [&](const char* name, auto current, auto threshold, Text text,
                        const char* unit) {
    items.push_back({name, Test::kAbove, current, threshold, text, unit});
  };
  high(
      "HiSolarRad", [i](D d) { return i(d.CurrentData.SolarRad); },
      [f](D d) { return f(d.Alarms.HiSolarRad); }, Text::kWhole, kPercent);
  high(
      "HiWindSpeed", [f](D d) { return f(d.CurrentData.WindSpeed); },
      [f](D d) { return f(d.Alarms.HiWindSpeed); }, Text::kRounded, kKmh);
  high(
      "Hi10MinWindSpeed", [f](D d) { return f(d.CurrentData.WindSpeedAvg10Min); },
      [f](D d) { return f(d.Alarms.Hi10MinWindSpeed); }, Text::kRounded, kKmh);
  high(
      "HiHeatIndex", [f](D d) { return f(d.CurrentData.HeatIndex); },
      [f](D d) { return f(d.Alarms.HiHeatIndex); }, Text::kDecimals0, kCelsius);
  high(
      "HiTHSW", [i](D d) { return i(d.CurrentData.THSWIndex); },
      [f](D d) { return f(d.Alarms.HiTHSW); }, Text::kDecimals0, kCelsius);
  high(
      "HiRainRate", [f](D d) { return f(d.CurrentData.RainRate); },
      [f](D d) { return f(d.Alarms.HiRainRate); }, Text::kDecimals1, kMm);
  high(
      "HiDailyRain", [f](D d) { return f(d.CurrentData.DailyRain); },
      [f](D d) { return f(d.Alarms.HiDailyRain); }, Text::kDecimals1, kMm);
  high(
      "HiRainStorm", [f](D d) { return f(d.CurrentData.StormRain); },
      [f](D d) { return f(d.Alarms.HiRainStorm); }, Text::kDecimals1, kMm);
  items.push_back({"FlashFlood", Test::kConsoleBit,
                   [f](D d) { return f(d.CurrentData.RainLastHour); },
                   [f](D d) { return f(d.Alarms.FlashFlood); }, Text::kDecimals1, kMm,
                   [](D d) { return d.CurrentData.FlashFloodAlarm == 1; }});
  high(
      "HiUV", [i](D d) { return i(d.CurrentData.UV); }, [f](D d) { return f(d.Alarms.HiUV); },
      Text::kWhole, kPercent);
  high(
      "HiUVMed", [i](D d) { return i(d.CurrentData.UV); }, [f](D d) { return f(d.Alarms.HiUVMed); },
      Text::kDecimals1, " Med");

  // The sensor families: every low item of a family, then every high one.
  const auto family = [&](const char* low, const char* high_name, std::size_t count, auto current,
                          auto low_t, auto high_t, Text text, const char* unit, bool highs = true) {
    for (std::size_t k = 0; k < count; ++k) {
      items.push_back({Indexed(low, k), Test::kBelow, [=](D d) { return current(d, k); },
                       [=](D d) { return low_t(d, k); }, text, unit});
    }
    if (!highs) return;
    for (std::size_t k = 0; k < count; ++k) {
      items.push_back({Indexed(high_name, k), Test::kAbove, [=](D d) { return current(d, k); },
                       [=](D d) { return high_t(d, k); }, text, unit});
    }
  };
  family(
      "LowExtraTemp", "HiExtraTemp", 7,
      [](D d, std::size_t k) { return Number{d.CurrentData.ExtraTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.LowExtraTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.HiExtraTemp[k]}; }, Text::kDecimals0,
      kCelsius);
  family(
      "LowExtraHum", "HiExtraHum", 7,
      [](D d, std::size_t k) { return Number{std::int32_t{d.CurrentData.ExtraHum[k]}}; },
      [](D d, std::size_t k) { return Number{std::int32_t{d.Alarms.LowExtraHum[k]}}; },
      [](D d, std::size_t k) { return Number{std::int32_t{d.Alarms.HiExtraHum[k]}}; }, Text::kWhole,
      kPercent);
  family(
      "LowSoilTemp", "HiSoilTemp", 4,
      [](D d, std::size_t k) { return Number{d.CurrentData.SoilTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.LowSoilTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.HiSoilTemp[k]}; }, Text::kDecimals0,
      kCelsius);
  family(
      "LowSoilMoisture", "HiSoilMoisture", 4,
      [](D d, std::size_t k) { return Number{d.CurrentData.SoilMoisture[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.LowSoilMoisture[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.HiSoilMoisture[k]}; }, Text::kRounded,
      kPercent);
  family(
      "LowLeafTemp", "HiLeafTemp", 2,
      [](D d, std::size_t k) { return Number{d.CurrentData.LeafTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.LowLeafTemp[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.HiLeafTemp[k]}; }, Text::kDecimals0,
      kCelsius);
  family(
      "LowLeafWet", "", 2, [](D d, std::size_t k) { return Number{d.CurrentData.LeafWet[k]}; },
      [](D d, std::size_t k) { return Number{d.Alarms.LowLeafWet[k]}; },
      [](D, std::size_t) { return Number{0.0F}; }, Text::kRounded, kPercent, false);
  return items;
}

const std::vector<Item>& Items() {
  static const std::vector<Item> items = BuildItems();
  return items;
}

}  // namespace

std::vector<std::string> AlarmItemNames() {
  std::vector<std::string> names;
  for (const Item& item : Items()) names.push_back(item.name);
  return names;
}

std::vector<FoundAlarm> FindAlarms(const StationData& data) {
  std::vector<FoundAlarm> found;
  for (const Item& item : Items()) {
    const Number threshold = item.threshold(data);
    if (!IsReading(threshold)) continue;
    // A sensor the console has no reading for raises nothing: its no-data
    // code would lie below every low threshold.
    // The console's own alarms stand without it.
    const Number current = item.current(data);
    const bool reading = IsReading(current);
    const bool raised = item.test == Test::kConsoleBit
                            ? item.bit(data)
                            : reading && Crossed(item.test, current, threshold);
    if (!raised) continue;
    found.push_back({item.name, DataItemLabel(item.name),
                     (reading ? ValueText(item.text, current) : std::string("---")) + item.unit});
  }
  return found;
}

}  // namespace tv
