#include "gadget/engine/services.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <vector>

#include "gadget/engine/current_data_service.h"
#include "lib/common/date_format.h"
#include "lib/common/unit_conversions.h"
#include "lib/config/config_table.h"
#include "lib/station/station_operations.h"
#include "lib/vocabulary/station_config_text.h"

namespace tv {
namespace {

bool Valid(int code) {
  return IsValidResult(static_cast<float>(code)) == 1;
}

std::span<const std::uint8_t> Bytes(const std::array<std::uint8_t, kPositionRecordSize>& b) {
  return {b.data(), b.size()};
}

}  // namespace

float LeadingDecimal(std::string_view text) {
  // Parsed independently of the process locale: under a French locale the
  // C library would stop at the decimal point of "12.7".
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0;
  float value = 0;
  const char* begin = text.data() + i;
  const auto [end, error] =
      std::from_chars(begin, text.data() + text.size(), value, std::chars_format::general);
  if (end == begin || error != std::errc{} || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

int RunHiLowService(ServiceContext& context) {
  if (LoadVantageHiLows_V() != 1) {
    context.log.Notify("Report de la collecte pour le service HiLow.");
    return 0;
  }
  const std::vector<HiLowEntryDef>& entries = HiLowEntries();
  HiLowGroup group;
  context.record.Update([&](StationData& d) { group = d.HiLow; });
  group.values.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const HiLowEntryDef& e = entries[i];
    HiLowValue& v = group.values[i];
    const float value = GetHiLowDataByID_V(e.Id());
    v.value = e.integer ? static_cast<float>(RoundToInt16(value)) : value;
    if (e.HasTime()) GetHiLowTimeByID_V(e.Id(), &v.time);
  }
  context.record.Update([&](StationData& d) { d.HiLow = std::move(group); });
  return 1;
}

int RunAlarmService(ServiceContext& context) {
  if (!Valid(LoadVantageAlarms_V())) {
    context.log.Notify("Report de la collecte pour le service Alarm.");
    return 0;
  }
  AlarmsGroup a;
  a.BarRise = InHgToHpa(GetBarRiseAlarm_V());
  a.BarFall = InHgToHpa(GetBarFallAlarm_V());
  a.TimeAlarm = RoundToInt16(static_cast<float>(GetTimeAlarm_V()));
  a.TimeAlarmStr = GetTimeAlarmStr_V();
  a.InsideLowTemp = FahrenheitToCelsius(GetInsideLowTempAlarm_V());
  a.InsideHiTemp = FahrenheitToCelsius(GetInsideHiTempAlarm_V());
  a.OutsideLowTemp = FahrenheitToCelsius(GetOutsideLowTempAlarm_V());
  a.outsideHiTemp = FahrenheitToCelsius(GetOutsideHiTempAlarm_V());
  a.LowInsideHum = GetLowInsideHumAlarm_V();
  a.HiInsideHum = GetHiInsideHumAlarm_V();
  a.LowOutsideHum = RoundToInt16(GetLowOutsideHumAlarm_V());
  a.HiOutsideHum = RoundToInt16(GetHiOutsideHumAlarm_V());
  a.LowWindChill = FahrenheitToCelsius(GetLowWindChillAlarm_V());
  a.LowDewPt = FahrenheitToCelsius(GetLowDewPtAlarm_V());
  a.HiDewPt = FahrenheitToCelsius(GetHiDewPtAlarm_V());
  a.HiSolarRad = GetHiSolarRadAlarm_V();
  a.HiWindSpeed = MphToKmh(GetHiWindSpeedAlarm_V());
  a.Hi10MinWindSpeed = MphToKmh(GetHi10MinWindSpeedAlarm_V());
  a.HiHeatIndex = FahrenheitToCelsius(GetHiHeatIndexAlarm_V());
  a.HiTHSW = FahrenheitToCelsius(GetHiTHSWAlarm_V());
  a.HiRainRate = RainToMm(GetHiRainRateAlarm_V());
  a.HiDailyRain = RainToMm(GetHiDailyRainAlarm_V());
  a.HiRainStorm = RainToMm(GetHiRainStormAlarm_V());
  // A rain amount like the other rain thresholds, so that it is shown in mm.
  a.FlashFlood = RainToMm(GetFlashFloodAlarm_V());
  a.HiUV = GetHiUVAlarm_V();
  a.HiUVMed = GetHiUVMedAlarm_V();
  for (std::size_t i = 0; i < 7; ++i) {
    const auto sensor = static_cast<std::int32_t>(i + 2);
    a.LowExtraTemp[i] = FahrenheitToCelsius(GetLowExtraTempAlarm_V(sensor));
    a.HiExtraTemp[i] = FahrenheitToCelsius(GetHiExtraTempAlarm_V(sensor));
  }
  for (std::size_t i = 0; i < 7; ++i) {
    const auto sensor = static_cast<std::int32_t>(i + 2);
    a.LowExtraHum[i] = RoundToInt16(GetLowExtraHumAlarm_V(sensor));
    a.HiExtraHum[i] = RoundToInt16(GetHiExtraHumAlarm_V(sensor));
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const auto sensor = static_cast<std::int32_t>(i + 1);
    a.LowSoilTemp[i] = FahrenheitToCelsius(GetLowSoilTempAlarm_V(sensor));
    a.HiSoilTemp[i] = FahrenheitToCelsius(GetHiSoilTempAlarm_V(sensor));
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const auto sensor = static_cast<std::int32_t>(i + 1);
    a.LowSoilMoisture[i] = GetLowSoilMoistureAlarm_V(sensor);
    a.HiSoilMoisture[i] = GetHiSoilMoistureAlarm_V(sensor);
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const auto sensor = static_cast<std::int32_t>(i + 1);
    a.LowLeafTemp[i] = FahrenheitToCelsius(GetLowLeafTempAlarm_V(sensor));
    a.HiLeafTemp[i] = FahrenheitToCelsius(GetHiLeafTempAlarm_V(sensor));
  }
  for (std::size_t i = 0; i < 2; ++i) {
    a.LowLeafWet[i] = GetLowLeafWetAlarm_V(static_cast<std::int32_t>(i + 1));
  }
  context.record.Update([&](StationData& d) { d.Alarms = std::move(a); });
  return 1;
}

int RunConfigStationService(ServiceContext& context) {
  int result = 1;
  InitStation_V();

  ConfigGroup c;
  context.record.Update([&](StationData& d) { c = d.Config; });
  c.ConsoleVoltage = LeadingDecimal(GetCurrentDataStrByID(0x90C0220, 10));
  c.TransmitterStatus = static_cast<float>(LeadingInteger(GetCurrentDataStrByID(0xA0C0220, 100)));
  c.RepeaterStatus = static_cast<float>(LeadingInteger(GetCurrentDataStrByID(0xB0C0220, 100)));

  StationDateTime firmware_date;
  std::array<std::uint8_t, kPositionRecordSize> latitude{};
  std::array<std::uint8_t, kPositionRecordSize> longitude{};
  if (!Valid(GetTimeZoneSettings_V(&c.TimeZone))) result = 0;
  if (!Valid(GetReceptionData_V(&c.Reception))) result = 0;
  if (!Valid(GetStationFirmwareDate_V(&firmware_date))) result = 0;
  if (!Valid(GetVantageLat_V(latitude.data()))) result = 0;
  if (!Valid(GetVantageLon_V(longitude.data()))) result = 0;

  c.FirmwareVersion = GetStationFirmwareVersion_V();
  c.FirmwareDateText = FormatStationDate(firmware_date, kArgAbsent);
  c.WindCupText = WindCupText(GetWindCupSize_V());
  c.ModelText = ModelText(GetModelNo_V());
  c.LatitudeText = LatitudeText(Bytes(latitude));
  c.LongitudeText = LongitudeText(Bytes(longitude));
  c.ArchivePeriod = static_cast<std::uint8_t>(GetArchivePeriod_V());

  if (!Valid(GetBarometerData_V(c.BarometerData.data()))) result = 0;
  GetVantageTxConfig_V(c.TxConfig.data());

  context.record.Update([&](StationData& d) { d.Config = std::move(c); });
  if (result == 0) context.log.Notify("Report de la collecte pour le service ConfigStation.");
  return result;
}

int RunCalibrationService(ServiceContext& context) {
  CalibrationGroup cal;
  context.record.Update([&](StationData& d) { cal = d.Calibration; });
  int count = 0;
  if (Valid(LoadVantageCalibration_V(cal.Data.data()))) ++count;
  if (Valid(GetWindDirCalibrationOffset_V(&cal.WindDirOffset))) ++count;
  context.record.Update([&](StationData& d) { d.Calibration = cal; });
  if (count == 2) return 1;
  context.log.Notify("Report de la collecte pour le service Calibration");
  return 0;
}

ServiceTable MakeServiceTable(ServiceContext& context, CurrentDataService& current_data) {
  ServiceTable table;
  table["CurrentData"] = [&current_data] { return current_data.Run(); };
  table["HiLow"] = [&context] { return RunHiLowService(context); };
  table["Alarm"] = [&context] { return RunAlarmService(context); };
  table["ConfigStation"] = [&context] { return RunConfigStationService(context); };
  table["Calibration"] = [&context] { return RunCalibrationService(context); };
  return table;
}

}  // namespace tv
