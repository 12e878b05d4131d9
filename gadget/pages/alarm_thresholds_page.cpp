#include "gadget/pages/alarm_thresholds_page.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "lib/common/number_text.h"
#include "lib/config/config_table.h"
#include "lib/station/result_codes.h"
#include "lib/vocabulary/data_item_labels.h"

namespace tv {
namespace {

enum class Shown { kOneDecimal, kNoDecimal, kRounded, kInteger };

constexpr std::string_view kTemp = " °c";
constexpr std::string_view kPercent = " %";

class ThresholdRows {
 public:
  explicit ThresholdRows(Window& window) : window_(window) {}

  // A row for `name` when `value` is set.
  void Add(const std::string& name, float value, Shown shown, std::string_view unit) {
    if (IsValidResult(value) != 1) return;
    const auto v = static_cast<double>(value);
    std::string text;
    switch (shown) {
      case Shown::kOneDecimal:
        text = DecimalText(v, 1);
        break;
      case Shown::kNoDecimal:
        text = DecimalText(v, 0);
        break;
      case Shown::kRounded:
        text = RoundedText(v);
        break;
      case Shown::kInteger:
        text = WholeText(static_cast<long long>(value));
        break;
    }
    Append(name, text + std::string(unit));
  }

  void AddText(const std::string& name, const std::string& text) {
    if (IsValidResult(static_cast<float>(LeadingInteger(text))) != 1) return;
    Append(name, text);
  }

  template <std::size_t N, typename T>
  void AddEach(std::string_view base, const std::array<T, N>& values, Shown shown,
               std::string_view unit) {
    for (std::size_t i = 0; i < N; ++i) {
      Add(std::string(base) + "[" + std::to_string(i) + "]", static_cast<float>(values[i]), shown,
          unit);
    }
  }

 private:
  void Append(const std::string& name, const std::string& value) {
    window_.AppendRow(Field::AlarmThresholdList, DataItemLabel(name) + "\n" + value);
  }

  Window& window_;
};

}  // namespace

void RefreshAlarmThresholdsPage(Window& window, const StationData& data) {
  const AlarmsGroup& a = data.Alarms;
  window.ClearRows(Field::AlarmThresholdList);
  ThresholdRows rows(window);
  rows.Add("BarRise", a.BarRise, Shown::kOneDecimal, " Hpa / mb");
  rows.Add("BarFall", a.BarFall, Shown::kOneDecimal, " Hpa / mb");
  rows.Add("Time", a.TimeAlarm, Shown::kInteger, "");
  rows.AddText("TimeStr", a.TimeAlarmStr);
  rows.Add("InsideLowTemp", a.InsideLowTemp, Shown::kNoDecimal, kTemp);
  rows.Add("InsideHiTemp", a.InsideHiTemp, Shown::kNoDecimal, kTemp);
  rows.Add("OutsideLowTemp", a.OutsideLowTemp, Shown::kNoDecimal, kTemp);
  rows.Add("OutsideHiTemp", a.outsideHiTemp, Shown::kNoDecimal, kTemp);
  rows.Add("LowInsideHum", a.LowInsideHum, Shown::kInteger, kPercent);
  rows.Add("HiInsideHum", a.HiInsideHum, Shown::kInteger, kPercent);
  rows.Add("LowOutsideHum", a.LowOutsideHum, Shown::kInteger, kPercent);
  rows.Add("HiOutsideHum", a.HiOutsideHum, Shown::kInteger, kPercent);
  rows.Add("LowWindChill", a.LowWindChill, Shown::kNoDecimal, kTemp);
  rows.Add("LowDewPt", a.LowDewPt, Shown::kNoDecimal, kTemp);
  rows.Add("HiDewPt", a.HiDewPt, Shown::kNoDecimal, kTemp);
  rows.Add("HiSolarRad", a.HiSolarRad, Shown::kRounded, kPercent);
  rows.Add("HiWindSpeed", a.HiWindSpeed, Shown::kRounded, " Km/h");
  rows.Add("Hi10MinWindSpeed", a.Hi10MinWindSpeed, Shown::kRounded, " Km/h");
  rows.Add("HiHeatIndex", a.HiHeatIndex, Shown::kNoDecimal, kTemp);
  rows.Add("HiTHSW", a.HiTHSW, Shown::kNoDecimal, kTemp);
  rows.Add("HiRainRate", a.HiRainRate, Shown::kOneDecimal, " mm");
  rows.Add("HiDailyRain", a.HiDailyRain, Shown::kOneDecimal, " mm");
  rows.Add("HiRainStorm", a.HiRainStorm, Shown::kOneDecimal, " mm");
  rows.Add("FlashFlood", a.FlashFlood, Shown::kOneDecimal, " mm");
  rows.Add("HiUV", a.HiUV, Shown::kRounded, kPercent);
  rows.Add("HiUVMed", a.HiUVMed, Shown::kOneDecimal, " Med");
  rows.AddEach("LowExtraTemp", a.LowExtraTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("HiExtraTemp", a.HiExtraTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("LowExtraHum", a.LowExtraHum, Shown::kInteger, kPercent);
  rows.AddEach("HiExtraHum", a.HiExtraHum, Shown::kInteger, kPercent);
  rows.AddEach("LowSoilTemp", a.LowSoilTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("HiSoilTemp", a.HiSoilTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("LowSoilMoisture", a.LowSoilMoisture, Shown::kRounded, kPercent);
  rows.AddEach("HiSoilMoisture", a.HiSoilMoisture, Shown::kRounded, kPercent);
  rows.AddEach("LowLeafTemp", a.LowLeafTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("HiLeafTemp", a.HiLeafTemp, Shown::kNoDecimal, kTemp);
  rows.AddEach("LowLeafWet", a.LowLeafWet, Shown::kRounded, kPercent);
}

}  // namespace tv
