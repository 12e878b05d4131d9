#include "gadget/pages/records_page.h"

#include <string>
#include <string_view>
#include <vector>

#include "lib/common/date_format.h"
#include "lib/common/named_handles.h"
#include "lib/common/number_text.h"
#include "lib/common/unit_conversions.h"
#include "lib/station/result_codes.h"

namespace tv {
namespace {

// How a record is shown: its conversion from the library's units, decimals
// and unit text.
enum class Measure {
  kTemperature,
  kHumidity,
  kSoilMoisture,
  kLeafWetness,
  kWind,
  kRainRate,
  kWhole
};

struct MeasureFormat {
  int decimals;
  std::string_view unit;
};

MeasureFormat FormatOf(Measure measure) {
  switch (measure) {
    case Measure::kTemperature:
      return {1, "°C"};
    case Measure::kHumidity:
      return {0, "%"};
    case Measure::kSoilMoisture:
      return {0, "cb"};
    case Measure::kLeafWetness:
      return {0, "lf"};
    case Measure::kWind:
    case Measure::kRainRate:
      return {1, ""};
    case Measure::kWhole:
      break;
  }
  return {0, ""};
}

float Convert(Measure measure, float value) {
  switch (measure) {
    case Measure::kTemperature:
      return FahrenheitToCelsius(value);
    case Measure::kWind:
      // Peak speeds enter the conversion as whole mph.
      return MphToKmh(RoundToInt32(value));
    case Measure::kRainRate:
      return RainToMm(value);
    default:
      return value;
  }
}

bool Valid(const HiLowValue* value) {
  return value != nullptr && IsValidResult(value->value) == 1;
}

struct Period {
  std::string_view header;
  HiLowPeriod high;
  HiLowPeriod low;
  bool day;
};

constexpr Period kPeriods[] = {
    {"Record journalier", HiLowPeriod::DayHigh, HiLowPeriod::DayLow, true},
    {"Record du mois", HiLowPeriod::MonthHigh, HiLowPeriod::MonthLow, false},
    {"Record de cette année", HiLowPeriod::YearHigh, HiLowPeriod::YearLow, false},
};

// A row of a peak tree, or (tree kNone) of the peak fields.
struct RecordRow {
  std::string name;  // record name: "OutsideTemp", "ExtraHum[3]"
  Measure measure;
  Field tree;  // TempPeakTree or HumPeakTree
  std::string label;
  std::string_view image;
  bool high = true;
  bool low = true;
};

struct PeakFields {
  std::string_view name;
  Measure measure;
  Field day_value;
  Field day_time;
  Field month_value;
  Field year_value;
};

constexpr PeakFields kPeaks[] = {
    {"WindSpeed", Measure::kWind, Field::WindPeakDayValue, Field::WindPeakDayTime,
     Field::WindPeakMonthValue, Field::WindPeakYearValue},
    {"RainRate", Measure::kRainRate, Field::RainPeakDayValue, Field::RainPeakDayTime,
     Field::RainPeakMonthValue, Field::RainPeakYearValue},
    {"SolarRad", Measure::kWhole, Field::SolarPeakDayValue, Field::SolarPeakDayTime,
     Field::SolarPeakMonthValue, Field::SolarPeakYearValue},
    {"UV", Measure::kWhole, Field::UvPeakDayValue, Field::UvPeakDayTime, Field::UvPeakMonthValue,
     Field::UvPeakYearValue},
};

std::string Indexed(std::string_view base, int index) {
  return std::string(base) + "[" + std::to_string(index) + "]";
}

// The tree rows that come before the peaks, and those after, in display order.
const std::vector<RecordRow>& RowsBeforePeaks() {
  static const std::vector<RecordRow> rows = {
      {"OutsideTemp", Measure::kTemperature, Field::TempPeakTree, "Exterieur ",
       "ICO_Thermometre_16"},
      {"InsideTemp", Measure::kTemperature, Field::TempPeakTree, "Intérieure ",
       "ICO_Thermometre_16"},
      {"OutsideHum", Measure::kHumidity, Field::HumPeakTree, "Exterieur ", "ICO_Humidite_16"},
      {"InsideHum", Measure::kHumidity, Field::HumPeakTree, "Intérieure ", "ICO_Humidite_16"},
      {"DewPt", Measure::kTemperature, Field::TempPeakTree, "Point de Rosé ", "ICO_PointRose_16"},
      {"HeatIndex", Measure::kTemperature, Field::TempPeakTree, "Indice Chaleur ", "ICO_Heat_16",
       true, false},
      {"WindChill", Measure::kTemperature, Field::TempPeakTree, "Ressentis ", "ICO_TempRessenti_16",
       false, true},
  };
  return rows;
}

const std::vector<RecordRow>& RowsAfterPeaks() {
  static const std::vector<RecordRow> rows = [] {
    std::vector<RecordRow> out;
    // Sensors `base`[0 .. count-1], labelled `label` + first_number + i.
    const auto sensors = [&out](std::string_view base, int count, Measure measure, Field tree,
                                std::string_view label, int first_number, std::string_view image) {
      for (int i = 0; i < count; ++i) {
        out.push_back({Indexed(base, i), measure, tree,
                       std::string(label) + std::to_string(first_number + i), image});
      }
    };
    sensors("ExtraTemp", 7, Measure::kTemperature, Field::TempPeakTree, "Capteur ", 2,
            "ICO_Thermometre_16");
    sensors("ExtraHum", 7, Measure::kHumidity, Field::HumPeakTree, "Capteur ", 2,
            "ICO_Humidite_16");
    sensors("SoilMoisture", 4, Measure::kSoilMoisture, Field::HumPeakTree, "Sol ", 1, "ICO_Sol_16");
    sensors("SoilTemp", 4, Measure::kTemperature, Field::TempPeakTree, "Sol ", 1, "ICO_Sol_16");
    sensors("LeafWet", 2, Measure::kLeafWetness, Field::HumPeakTree, "Feuillage ", 1,
            "ICO_Feuille_16");
    sensors("LeafTemp", 2, Measure::kTemperature, Field::TempPeakTree, "Feuillage ", 1,
            "ICO_Feuille_16");
    return out;
  }();
  return rows;
}

ImageHandle Image(std::string_view name) {
  return LookupHandle(name, kHandleKindImage);
}

// The converted number alone, "---" when the console has no reading (a row
// is shown on its high alone, so its low may have none).
std::string NumberText(Measure measure, const HiLowValue* value) {
  if (!Valid(value)) return "---";
  const float shown = Convert(measure, value->value);
  return DecimalText(static_cast<double>(shown), FormatOf(measure).decimals);
}

// "12.5°C à 14h05" for the day, "12.5°C" for the month and the year.
std::string LineText(const RecordRow& row, const HiLowValue* value, const Period& period) {
  std::string text = NumberText(row.measure, value) + std::string(FormatOf(row.measure).unit);
  if (period.day) {
    text += " à ";
    text += value != nullptr ? FormatStationDate(value->time, kStationTimeOnly) : "---";
  }
  return text;
}

void ShowTreeRow(Window& window, const HiLowGroup& records, const RecordRow& row,
                 const Period& period) {
  const HiLowValue* high = row.high ? records.Find(row.name, period.high) : nullptr;
  const HiLowValue* low = row.low ? records.Find(row.name, period.low) : nullptr;
  if (!Valid(row.high ? high : low)) return;
  // A leaf wetness high of -1 is the console's "no reading today".
  if (period.day && row.measure == Measure::kLeafWetness && high->value == -1.0f) return;
  window.AppendTreeItem(row.tree, row.label, Image(row.image), 1);
  if (row.high) {
    window.AppendTreeItem(row.tree, LineText(row, high, period), Image("ICO_HiLowValeurHaute"), 2);
  }
  if (row.low) {
    window.AppendTreeItem(row.tree, LineText(row, low, period), Image("ICO_HiLowValeurBasse"), 2);
  }
}

void ShowPeak(Window& window, const HiLowGroup& records, const PeakFields& peak,
              const Period& period) {
  const HiLowValue* high = records.Find(peak.name, period.high);
  if (!Valid(high)) return;
  const std::string number = NumberText(peak.measure, high);
  if (period.day) {
    window.SetText(peak.day_value, number);
    window.SetText(peak.day_time, FormatStationDate(high->time, kStationTimeOnly));
  } else {
    window.SetText(period.high == HiLowPeriod::MonthHigh ? peak.month_value : peak.year_value,
                   number);
  }
}

}  // namespace

void RefreshRecordsPage(Window& window, const StationData& data) {
  const HiLowGroup& records = data.HiLow;
  window.ClearTree(Field::TempPeakTree);
  window.ClearTree(Field::HumPeakTree);
  const ImageHandle header_image = Image("ICO_HiLowJour");
  for (const Period& period : kPeriods) {
    window.AppendTreeItem(Field::TempPeakTree, period.header, header_image, 0);
    window.AppendTreeItem(Field::HumPeakTree, period.header, header_image, 0);
    for (const RecordRow& row : RowsBeforePeaks()) ShowTreeRow(window, records, row, period);
    for (const PeakFields& peak : kPeaks) ShowPeak(window, records, peak, period);
    for (const RecordRow& row : RowsAfterPeaks()) ShowTreeRow(window, records, row, period);
  }
}

}  // namespace tv
