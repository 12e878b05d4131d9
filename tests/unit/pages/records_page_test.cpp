#include "gadget/pages/records_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gadget/display/image_sets.h"
#include "gadget/window/memory_window.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

using Item = MemoryWindow::TreeItem;

ImageHandle Named(const char* name) {
  return LookupHandle(name, kHandleKindImage);
}

// Every record missing, as from a console that has none yet.
StationData NoRecords() {
  StationData d;
  for (HiLowValue& v : d.HiLow.values) v = {-32768.0F, {-1, -1, -1, -1, -1}};
  return d;
}

void Set(StationData& d, const char* name, HiLowPeriod period, float value,
         StationDateTime time = {5, 14, 21, 6, 2024}) {
  const int i = HiLowGroup::IndexOf(name, period);
  ASSERT_GE(i, 0) << name;
  d.HiLow.values[static_cast<std::size_t>(i)] = {value, time};
}

std::vector<std::string> Texts(const std::vector<Item>& items) {
  std::vector<std::string> out;
  for (const Item& item : items) out.push_back(std::to_string(item.level) + " " + item.text);
  return out;
}

class RecordsPage : public ::testing::Test {
 protected:
  void SetUp() override { RegisterGeneralSet(); }
  MemoryWindow window_;
};

TEST_F(RecordsPage, WithoutRecordsOnlyThePeriodHeadersAndNoPeakChanges) {
  window_.SetText(Field::WindPeakDayValue, "---");
  RefreshRecordsPage(window_, NoRecords());
  const std::vector<std::string> headers = {"0 Record journalier", "0 Record du mois",
                                            "0 Record de cette année"};
  EXPECT_EQ(Texts(window_.TreeItems(Field::TempPeakTree)), headers);
  EXPECT_EQ(Texts(window_.TreeItems(Field::HumPeakTree)), headers);
  for (const Item& item : window_.TreeItems(Field::HumPeakTree)) {
    EXPECT_EQ(item.image, Named("ICO_HiLowJour"));
  }
  EXPECT_EQ(window_.Text(Field::WindPeakDayValue), "---");
  EXPECT_EQ(window_.Text(Field::UvPeakYearValue), MemoryWindow().Text(Field::UvPeakYearValue))
      << "the placeholder stays";
}

TEST_F(RecordsPage, RowsLinesAndPeaks) {
  StationData d = NoRecords();
  Set(d, "OutsideTemp", HiLowPeriod::DayHigh, 54.5F);  // 12.5 °C at 14:05
  Set(d, "OutsideTemp", HiLowPeriod::DayLow, 32.0F, {30, 3, 21, 6, 2024});
  Set(d, "OutsideTemp", HiLowPeriod::MonthHigh, 54.5F);
  Set(d, "OutsideTemp", HiLowPeriod::MonthLow, -32768.0F);  // a high alone shows the row
  Set(d, "HeatIndex", HiLowPeriod::DayHigh, 86.0F);
  Set(d, "WindChill", HiLowPeriod::YearLow, 14.0F);
  Set(d, "InsideHum", HiLowPeriod::DayHigh, 47.0F, {-1, -1, 21, 6, 2024});
  Set(d, "InsideHum", HiLowPeriod::DayLow, 41.0F);
  Set(d, "LeafWet[0]", HiLowPeriod::DayHigh, -1.0F);  // hidden on the day only
  Set(d, "LeafWet[0]", HiLowPeriod::DayLow, 0.0F);
  Set(d, "LeafWet[0]", HiLowPeriod::MonthHigh, -1.0F);
  Set(d, "LeafWet[0]", HiLowPeriod::MonthLow, 0.0F);
  Set(d, "SoilMoisture[3]", HiLowPeriod::YearHigh, 35.0F);
  Set(d, "SoilMoisture[3]", HiLowPeriod::YearLow, 8.0F);
  Set(d, "ExtraTemp[6]", HiLowPeriod::DayHigh, 68.0F);
  Set(d, "ExtraTemp[6]", HiLowPeriod::DayLow, 50.0F);
  Set(d, "WindSpeed", HiLowPeriod::DayHigh, 10.4F);
  Set(d, "WindSpeed", HiLowPeriod::MonthHigh, 10.6F);
  Set(d, "WindSpeed", HiLowPeriod::YearHigh, 10.5F);  // whole mph, half to even
  Set(d, "RainRate", HiLowPeriod::DayHigh, 0.22F, {33, 12, 21, 6, 2024});
  Set(d, "SolarRad", HiLowPeriod::MonthHigh, 458.0F);
  Set(d, "UV", HiLowPeriod::YearHigh, 5.1F);
  RefreshRecordsPage(window_, d);

  EXPECT_EQ(Texts(window_.TreeItems(Field::TempPeakTree)),
            (std::vector<std::string>{"0 Record journalier", "1 Exterieur ", "2 12.5°C à 14h05",
                                      "2 0.0°C à 03h30", "1 Indice Chaleur ", "2 30.0°C à 14h05",
                                      "1 Capteur 8", "2 20.0°C à 14h05", "2 10.0°C à 14h05",
                                      "0 Record du mois", "1 Exterieur ", "2 12.5°C", "2 ---°C",
                                      "0 Record de cette année", "1 Ressentis ", "2 -10.0°C"}));
  EXPECT_EQ(
      Texts(window_.TreeItems(Field::HumPeakTree)),
      (std::vector<std::string>{"0 Record journalier", "1 Intérieure ", "2 47% à ---",
                                "2 41% à 14h05", "0 Record du mois", "1 Feuillage 1", "2 -1lf",
                                "2 0lf", "0 Record de cette année", "1 Sol 4", "2 35cb", "2 8cb"}));
  const std::vector<Item> temp = window_.TreeItems(Field::TempPeakTree);
  EXPECT_EQ(temp[1].image, Named("ICO_Thermometre_16"));
  EXPECT_EQ(temp[2].image, Named("ICO_HiLowValeurHaute"));
  EXPECT_EQ(temp[3].image, Named("ICO_HiLowValeurBasse"));
  EXPECT_EQ(temp[4].image, Named("ICO_Heat_16"));
  EXPECT_EQ(temp[14].image, Named("ICO_TempRessenti_16"));
  EXPECT_EQ(temp[15].image, Named("ICO_HiLowValeurBasse")) << "wind chill: a low line only";

  const std::string untouched_value = MemoryWindow().Text(Field::SolarPeakDayValue);
  const std::string untouched_time = MemoryWindow().Text(Field::UvPeakDayTime);
  const struct Row {
    Field field;
    std::string text;
  } peaks[] = {
      {Field::WindPeakDayValue, "16.1"},
      {Field::WindPeakDayTime, "14h05"},
      {Field::WindPeakMonthValue, "17.7"},
      {Field::WindPeakYearValue, "16.1"},
      {Field::RainPeakDayValue, "4.4"},
      {Field::RainPeakDayTime, "12h33"},
      {Field::SolarPeakMonthValue, "458"},
      {Field::UvPeakYearValue, "5"},
      {Field::SolarPeakDayValue, untouched_value},
      {Field::UvPeakDayTime, untouched_time},
  };
  for (const Row& row : peaks) EXPECT_EQ(window_.Text(row.field), row.text) << FieldName(row.field);

  RefreshRecordsPage(window_, d);
  EXPECT_EQ(window_.TreeItems(Field::TempPeakTree), temp) << "rebuilt, nothing accumulates";
}

}  // namespace
}  // namespace tv
