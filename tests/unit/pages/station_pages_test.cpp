// The alarm thresholds, station configuration and calibration pages.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gadget/pages/alarm_thresholds_page.h"
#include "gadget/pages/calibration_page.h"
#include "gadget/pages/station_config_page.h"
#include "gadget/window/memory_window.h"

namespace tv {
namespace {

constexpr float kMissing = -32768.0F;
using Rows = std::vector<std::string>;

// Every threshold "not set", as the console reports it.
StationData NoThresholds() {
  StationData d;
  AlarmsGroup& a = d.Alarms;
  for (float* v :
       {&a.BarRise,       &a.BarFall,          &a.InsideLowTemp, &a.InsideHiTemp, &a.OutsideLowTemp,
        &a.outsideHiTemp, &a.LowWindChill,     &a.LowDewPt,      &a.HiDewPt,      &a.HiSolarRad,
        &a.HiWindSpeed,   &a.Hi10MinWindSpeed, &a.HiHeatIndex,   &a.HiTHSW,       &a.HiRainRate,
        &a.HiDailyRain,   &a.HiRainStorm,      &a.FlashFlood,    &a.HiUV,         &a.HiUVMed}) {
    *v = kMissing;
  }
  a.TimeAlarm = a.LowInsideHum = a.HiInsideHum = a.LowOutsideHum = a.HiOutsideHum = -32768;
  a.TimeAlarmStr = "-32768";
  for (auto* arr : {&a.LowExtraTemp, &a.HiExtraTemp}) arr->fill(kMissing);
  for (auto* arr : {&a.LowExtraHum, &a.HiExtraHum}) arr->fill(-32768);
  for (auto* arr : {&a.LowSoilTemp, &a.HiSoilTemp, &a.LowSoilMoisture, &a.HiSoilMoisture})
    arr->fill(kMissing);
  for (auto* arr : {&a.LowLeafTemp, &a.HiLeafTemp, &a.LowLeafWet}) arr->fill(kMissing);
  return d;
}

TEST(AlarmThresholdsPage, OnlyTheThresholdsSetWithTheirLabelsAndUnits) {
  MemoryWindow window;
  window.AppendRow(Field::AlarmThresholdList, "old\nrow");
  RefreshAlarmThresholdsPage(window, NoThresholds());
  EXPECT_EQ(window.Rows(Field::AlarmThresholdList), Rows{}) << "none set: an empty list";

  StationData d = NoThresholds();
  AlarmsGroup& a = d.Alarms;
  a.BarRise = 1.5F;
  a.TimeAlarm = 715;
  a.TimeAlarmStr = "07:15";
  a.outsideHiTemp = 30.4F;
  a.LowWindChill = -0.4F;
  a.HiOutsideHum = 97;
  a.HiSolarRad = 2.5F;  // whole: half to even
  a.HiWindSpeed = 40.25F;
  a.FlashFlood = 5.0F;
  a.HiUVMed = 0.0F;
  a.HiExtraTemp[6] = 32.2F;
  a.LowExtraHum[0] = 20;
  a.LowLeafWet[1] = 3.5F;
  RefreshAlarmThresholdsPage(window, d);
  const Rows expected = {
      "Hausse du baromètre\n1.5 Hpa / mb",
      "Date\n715",
      "Date texte\n07:15",
      "Température extérieur en hausse\n30 °c",
      "Humidité extérieur en hausse\n97 %",
      "Température ressentis en baisse\n0 °c",  // -0.4: no sign on zero
      "Rayonnement solaire en hausse\n2 %",
      "Vitesse du vent en hausse\n40 Km/h",
      "risque d'inondation\n5.0 mm",
      "Quantité d'UV en hausse\n0.0 Med",
      "Température extérieur en hausse\n32 °c",
      "Humidité extérieur en baisse\n20 %",
      "Humidité du feuillage en baisse\n4 %",
  };
  EXPECT_EQ(window.Rows(Field::AlarmThresholdList), expected);
  RefreshAlarmThresholdsPage(window, d);
  EXPECT_EQ(window.Rows(Field::AlarmThresholdList), expected) << "rebuilt, nothing accumulates";
}

TEST(AlarmThresholdsPage, TimeTextListedByTheNumberItStartsWith) {
  const struct Row {
    const char* text;
    bool listed;
  } rows[] = {{"07:15", true}, {"abc", true}, {"", true}, {"-32768", false}, {"-32701x", false}};
  for (const Row& row : rows) {
    StationData d = NoThresholds();
    d.Alarms.TimeAlarmStr = row.text;
    MemoryWindow window;
    RefreshAlarmThresholdsPage(window, d);
    EXPECT_EQ(window.Rows(Field::AlarmThresholdList).size(), row.listed ? 1U : 0U)
        << '"' << row.text << '"';
  }
}

void PutInt32(std::array<std::uint8_t, kTxConfigSize>& record, std::size_t at, std::int32_t v) {
  std::memcpy(record.data() + at, &v, sizeof v);
}

TEST(StationConfigPage, EveryFieldWrittenMissingOnesAsDashes) {
  StationData d;
  ConfigGroup& c = d.Config;
  c.ConsoleVoltage = 4.5F;
  c.TransmitterStatus = 0.6F;
  c.RepeaterStatus = kMissing;
  c.Reception = {12345, 67, 3, 999, -32768};
  c.FirmwareDateText = "24/04/2012 00h00";
  c.FirmwareVersion = "3.12";
  c.LatitudeText = "45.70° Nord 42' 0\"";
  c.LongitudeText = "4.90° Est 54' 0\"";
  c.ArchivePeriod = 10;
  c.TimeZone = {1, 99, 0.6F, -32768, 0};
  // Transmitter kinds of IDs 1 to 7, then the station IDs they send on.
  const std::int32_t kinds[] = {1, 3, 10, 0, 13, 0, 7};
  const std::int32_t ids[] = {1, 2, 3, 0, 5, 0, 7};
  for (std::size_t i = 0; i < 7; ++i) {
    PutInt32(c.TxConfig, 4 * i, kinds[i]);
    PutInt32(c.TxConfig, 28 + 4 * i, ids[i]);
  }
  MemoryWindow window;
  RefreshStationConfigPage(window, d);

  const struct Row {
    Field field;
    const char* text;
    const char* legend;
  } rows[] = {
      {Field::ConsoleBatteryValue, "4.50", "2 decimals"},
      {Field::TransmitterStatusValue, "1", "rounded"},
      {Field::RepeaterStatusValue, "---", "missing: never the raw code"},
      {Field::PacketsRecvValue, "12345", ""},
      {Field::PacketsLostValue, "67", ""},
      {Field::ResyncValue, "3", ""},
      {Field::CrcErrorsValue, "---", "missing"},
      {Field::FirmwareDateValue, "24/04/2012 00h00", "text unchanged"},
      {Field::FirmwareVersionValue, "3.12", ""},
      {Field::LatitudeValue, "45.70° Nord 42' 0\"", ""},
      {Field::LongitudeValue, "4.90° Est 54' 0\"", ""},
      {Field::ArchiveIntervalValue, "10", ""},
      {Field::TimeZoneUseValue, "Oui", ""},
      {Field::AutoDstValue, "---", "missing"},
      {Field::DstModeValue, "Non", ""},
      {Field::TimeCorrectionValue, "1", "rounded"},
      {Field::TimeZoneValue, "", "an unknown zone: the vocabulary's empty text"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(window.Text(row.field), row.text) << FieldName(row.field) << ": " << row.legend;
  }
  const Rows transmitters = {
      "6\nPas de transmetteur\n0",
      "5\n\n5",  // a kind without a name
      "4\nPas de transmetteur\n0",
      "3\nStation Foliaire / Humus\n3",
      "2\nStation d'humidité / température\n2",
      "1\nStation ISS\n1",
  };
  EXPECT_EQ(window.Rows(Field::TransmitterList), transmitters) << "IDs 1 to 6, ID 6 on top";
  RefreshStationConfigPage(window, d);
  EXPECT_EQ(window.Rows(Field::TransmitterList), transmitters) << "rebuilt, nothing accumulates";
}

TEST(CalibrationPage, CorrectionsInDegreesAndSignedPercent) {
  const struct Row {
    float inside_f;
    std::uint8_t inside_hum;
    std::int32_t wind;
    const char* temp_text;
    const char* hum_text;
    const char* wind_text;
  } rows[] = {
      {32.0F, 0, 0, "0", "0", "0"},         {41.0F, 3, -12, "5", "3", "-12"},
      {30.2F, 253, 359, "-1", "-3", "359"},  // -1.8 °F, -3 %
      {32.0F, 255, 0, "0", "-1", "0"},      {kMissing, 0, -32768, "keep", "0", "keep"},
  };
  for (const Row& row : rows) {
    StationData d;
    std::memcpy(d.Calibration.Data.data() + 10, &row.inside_f, sizeof row.inside_f);
    std::memcpy(d.Calibration.Data.data() + 14, &row.inside_f, sizeof row.inside_f);
    d.Calibration.Data[18] = row.inside_hum;
    d.Calibration.Data[19] = row.inside_hum;
    d.Calibration.WindDirOffset = row.wind;
    MemoryWindow window;
    window.SetText(Field::InTempCorrValue, "keep");
    window.SetText(Field::OutTempCorrValue, "keep");
    window.SetText(Field::WindDirCorrValue, "keep");
    RefreshCalibrationPage(window, d);
    const std::string legend = std::to_string(row.inside_f) + "/" + std::to_string(row.inside_hum);
    EXPECT_EQ(window.Text(Field::InTempCorrValue), row.temp_text) << legend;
    EXPECT_EQ(window.Text(Field::OutTempCorrValue), row.temp_text) << legend;
    EXPECT_EQ(window.Text(Field::InHumCorrValue), row.hum_text) << legend;
    EXPECT_EQ(window.Text(Field::OutHumCorrValue), row.hum_text) << legend;
    EXPECT_EQ(window.Text(Field::WindDirCorrValue), row.wind_text) << legend;
  }
}

}  // namespace
}  // namespace tv
