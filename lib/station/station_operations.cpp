#include "lib/station/station_operations.h"

#include <vector>

#include "lib/station/station_library.h"

namespace tv {

std::int16_t OpenCommPort_V(std::int32_t port, std::int32_t baud) {
  return CallStationShort("OpenCommPort_V", ShortResult::kStatus, {port, baud});
}

std::int16_t OpenCommPortByName_V(const std::string& device, std::int32_t baud) {
  return CallStationShort("OpenCommPortByName_V", ShortResult::kStatus,
                          {Address(device.c_str()), baud});
}

std::int16_t OpenTCPIPPort_V(const std::string& first, const std::string& second) {
  return CallStationShort("OpenTCPIPPort_V", ShortResult::kStatus,
                          {Address(first.c_str()), Address(second.c_str())});
}

std::int16_t OpenUSBPort_V(std::int32_t serial_number) {
  return CallStationShort("OpenUSBPort_V", ShortResult::kStatus, {serial_number});
}

std::int32_t GetUSBDevSerialNumber_V() {
  return CallStationLong("GetUSBDevSerialNumber_V");
}

std::int16_t CloseCommPort_V() {
  return CallStationShort("CloseCommPort_V", ShortResult::kStatus);
}
std::int16_t CloseTCPIPPort_V() {
  return CallStationShort("CloseTCPIPPort_V", ShortResult::kStatus);
}
std::int16_t CloseUSBPort_V() {
  return CallStationShort("CloseUSBPort_V", ShortResult::kStatus);
}
std::int16_t InitStation_V() {
  return CallStationShort("InitStation_V", ShortResult::kStatus);
}
std::int16_t IsNewLoopPackageSupported_V() {
  return CallStationShort("IsNewLoopPackageSupported_V", ShortResult::kValue);
}
// ---- Loading
std::int16_t LoadCurrentVantageData_V() {
  return CallStationShort("LoadCurrentVantageData_V", ShortResult::kStatus);
}
std::int16_t LoadVantageAlarms_V() {
  return CallStationShort("LoadVantageAlarms_V", ShortResult::kStatus);
}
std::int16_t LoadVantageHiLows_V() {
  return CallStationShort("LoadVantageHiLows_V", ShortResult::kStatus);
}
std::int16_t LoadVantageCalibration_V(void* record20) {
  return CallStationShort("LoadVantageCalibration_V", ShortResult::kStatus, {Address(record20)});
}
// ---- Current values
float GetOutsideTemp_V() {
  return CallStationFloat("GetOutsideTemp_V");
}
float GetInsideTemp_V() {
  return CallStationFloat("GetInsideTemp_V");
}
float GetDewPt_V() {
  return CallStationFloat("GetDewPt_V");
}
float GetWindChill_V() {
  return CallStationFloat("GetWindChill_V");
}
float GetBarometer_V() {
  return CallStationFloat("GetBarometer_V");
}
float GetWindSpeed_V() {
  return CallStationFloat("GetWindSpeed_V");
}
float GetRainRate_V() {
  return CallStationFloat("GetRainRate_V");
}
float GetDailyRain_V() {
  return CallStationFloat("GetDailyRain_V");
}
float GetMonthlyRain_V() {
  return CallStationFloat("GetMonthlyRain_V");
}
float GetStormRain_V() {
  return CallStationFloat("GetStormRain_V");
}
float GetTotalRain_V() {
  return CallStationFloat("GetTotalRain_V");
}
std::int16_t GetInsideHumidity_V() {
  return CallStationShort("GetInsideHumidity_V", ShortResult::kValue);
}
std::int16_t GetOutsideHumidity_V() {
  return CallStationShort("GetOutsideHumidity_V", ShortResult::kValue);
}
std::int16_t GetWindDir_V() {
  return CallStationShort("GetWindDir_V", ShortResult::kValue);
}
// ---- Alarm thresholds
float GetBarRiseAlarm_V() {
  return CallStationFloat("GetBarRiseAlarm_V");
}
float GetBarFallAlarm_V() {
  return CallStationFloat("GetBarFallAlarm_V");
}
float GetInsideLowTempAlarm_V() {
  return CallStationFloat("GetInsideLowTempAlarm_V");
}
float GetInsideHiTempAlarm_V() {
  return CallStationFloat("GetInsideHiTempAlarm_V");
}
float GetOutsideLowTempAlarm_V() {
  return CallStationFloat("GetOutsideLowTempAlarm_V");
}
float GetOutsideHiTempAlarm_V() {
  return CallStationFloat("GetOutsideHiTempAlarm_V");
}
float GetLowWindChillAlarm_V() {
  return CallStationFloat("GetLowWindChillAlarm_V");
}
float GetLowDewPtAlarm_V() {
  return CallStationFloat("GetLowDewPtAlarm_V");
}
float GetHiDewPtAlarm_V() {
  return CallStationFloat("GetHiDewPtAlarm_V");
}
float GetHiOutsideHumAlarm_V() {
  return CallStationFloat("GetHiOutsideHumAlarm_V");
}
float GetLowOutsideHumAlarm_V() {
  return CallStationFloat("GetLowOutsideHumAlarm_V");
}
float GetHiRainRateAlarm_V() {
  return CallStationFloat("GetHiRainRateAlarm_V");
}
float GetHiDailyRainAlarm_V() {
  return CallStationFloat("GetHiDailyRainAlarm_V");
}
float GetHiRainStormAlarm_V() {
  return CallStationFloat("GetHiRainStormAlarm_V");
}
float GetFlashFloodAlarm_V() {
  return CallStationFloat("GetFlashFloodAlarm_V");
}
float GetHiUVAlarm_V() {
  return CallStationFloat("GetHiUVAlarm_V");
}
float GetHiUVMedAlarm_V() {
  return CallStationFloat("GetHiUVMedAlarm_V");
}
std::int16_t GetLowInsideHumAlarm_V() {
  return CallStationShort("GetLowInsideHumAlarm_V", ShortResult::kValue);
}
std::int16_t GetHiInsideHumAlarm_V() {
  return CallStationShort("GetHiInsideHumAlarm_V", ShortResult::kValue);
}
std::int16_t GetHiSolarRadAlarm_V() {
  return CallStationShort("GetHiSolarRadAlarm_V", ShortResult::kValue);
}
std::int16_t GetHiWindSpeedAlarm_V() {
  return CallStationShort("GetHiWindSpeedAlarm_V", ShortResult::kValue);
}
std::int16_t GetHi10MinWindSpeedAlarm_V() {
  return CallStationShort("GetHi10MinWindSpeedAlarm_V", ShortResult::kValue);
}
std::int16_t GetHiHeatIndexAlarm_V() {
  return CallStationShort("GetHiHeatIndexAlarm_V", ShortResult::kValue);
}
std::int16_t GetHiTHSWAlarm_V() {
  return CallStationShort("GetHiTHSWAlarm_V", ShortResult::kValue);
}
float GetLowExtraTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowExtraTempAlarm_V", {sensor});
}
float GetHiExtraTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiExtraTempAlarm_V", {sensor});
}
float GetLowExtraHumAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowExtraHumAlarm_V", {sensor});
}
float GetHiExtraHumAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiExtraHumAlarm_V", {sensor});
}
float GetLowSoilTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowSoilTempAlarm_V", {sensor});
}
float GetHiSoilTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiSoilTempAlarm_V", {sensor});
}
float GetLowSoilMoistureAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowSoilMoistureAlarm_V", {sensor});
}
float GetHiSoilMoistureAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiSoilMoistureAlarm_V", {sensor});
}
float GetLowLeafTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowLeafTempAlarm_V", {sensor});
}
float GetHiLeafTempAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiLeafTempAlarm_V", {sensor});
}
float GetLowLeafWetAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetLowLeafWetAlarm_V", {sensor});
}
float GetHiLeafWetAlarm_V(std::int32_t sensor) {
  return CallStationFloat("GetHiLeafWetAlarm_V", {sensor});
}
// ---- Console configuration
std::int16_t GetModelNo_V() {
  return CallStationShort("GetModelNo_V", ShortResult::kValue);
}
std::int16_t GetWindCupSize_V() {
  return CallStationShort("GetWindCupSize_V", ShortResult::kValue);
}
std::int16_t GetArchivePeriod_V() {
  return CallStationShort("GetArchivePeriod_V", ShortResult::kValue);
}
std::int16_t GetStationFirmwareDate_V(StationDateTime* date) {
  return CallStationShort("GetStationFirmwareDate_V", ShortResult::kStatus, {Address(date)});
}
std::int16_t GetStationTime_V(StationDateTime* time) {
  return CallStationShort("GetStationTime_V", ShortResult::kStatus, {Address(time)});
}
std::int16_t GetSunriseTime_V(StationDateTime* time) {
  return CallStationShort("GetSunriseTime_V", ShortResult::kStatus, {Address(time)});
}
std::int16_t GetSunsetTime_V(StationDateTime* time) {
  return CallStationShort("GetSunsetTime_V", ShortResult::kStatus, {Address(time)});
}
std::int16_t GetTimeZoneSettings_V(void* record12) {
  return CallStationShort("GetTimeZoneSettings_V", ShortResult::kStatus, {Address(record12)});
}
std::int16_t GetReceptionData_V(void* record20) {
  return CallStationShort("GetReceptionData_V", ShortResult::kStatus, {Address(record20)});
}
std::int16_t GetVantageLat_V(void* record20) {
  return CallStationShort("GetVantageLat_V", ShortResult::kStatus, {Address(record20)});
}
std::int16_t GetVantageLon_V(void* record20) {
  return CallStationShort("GetVantageLon_V", ShortResult::kStatus, {Address(record20)});
}
std::int16_t GetBarometerData_V(void* record28) {
  return CallStationShort("GetBarometerData_V", ShortResult::kStatus, {Address(record28)});
}
std::int16_t GetVantageTxConfig_V(void* record56) {
  return CallStationShort("GetVantageTxConfig_V", ShortResult::kStatus, {Address(record56)});
}

std::int32_t GetWindDirCalibrationOffset_V(std::int32_t* offset) {
  return CallStationLong("GetWindDirCalibrationOffset_V", {Address(offset)});
}

std::int32_t GetTimeAlarm_V() {
  return CallStationLong("GetTimeAlarm_V");
}

// The library writes the time alarm as text into the buffer it is given.
std::string GetTimeAlarmStr_V() {
  return CallStationText("GetTimeAlarmStr_V");
}

std::string GetStationFirmwareVersion_V() {
  return CallStationText("GetStationFirmwareVersion_V");
}

std::string GetStationFirmwareVersion() {
  return GetStationFirmwareVersion_V();
}

// ---- Values by data identifier

float GetCurrentDataByID_V(std::int32_t id) {
  return CallStationFloat("GetCurrentDataByID_V", {id});
}

std::int16_t GetCurrentDataStrByID_V(std::int32_t id, char* buffer, std::int32_t length) {
  return CallStationShort("GetCurrentDataStrByID_V", ShortResult::kStatus,
                          {id, Address(buffer), length});
}

float GetHiLowDataByID_V(std::int32_t id) {
  return CallStationFloat("GetHiLowDataByID_V", {id});
}

std::int16_t GetHiLowTimeByID_V(std::int32_t id, StationDateTime* time) {
  return CallStationShort("GetHiLowTimeByID_V", ShortResult::kStatus, {id, Address(time)});
}

float GetCurrentDataByID(std::int32_t id, int kind) {
  if (kind == 1) {
    return static_cast<float>(CallStationShort("GetCurrentDataByID_V", ShortResult::kValue, {id}));
  }
  return GetCurrentDataByID_V(id);
}

std::string GetCurrentDataStrByID(std::int32_t id, int length) {
  const std::int32_t room = length > 0 ? length : 0;
  // `length` spaces and a terminator the library never needs to write: a
  // text that fills the room still ends inside the buffer.
  std::vector<char> buffer(static_cast<std::size_t>(room) + 1, ' ');
  buffer.back() = '\0';
  const std::int16_t status = GetCurrentDataStrByID_V(id, buffer.data(), room);
  if (status != kResultOk) return std::to_string(status);
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace tv
