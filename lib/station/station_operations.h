#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lib/station/result_codes.h"

namespace tv {

// One wrapper per operation of the station library, named like the
// operation, each calling its export through the call path of its result
// kind (lib/station/station_library.h). Status results read 1 for success
// (the library's 0 included); measured values and thresholds come back as
// the library gives them, in the console's units.

// ---- Link and console initialisation -------------------------------------

std::int16_t OpenCommPort_V(std::int32_t port, std::int32_t baud);
// A serial device named by path ("/dev/ttyUSB0", a pseudo-terminal).
std::int16_t OpenCommPortByName_V(const std::string& device, std::int32_t baud);
// `first` is the part of the configured address after "@", `second` the part
// before it.
std::int16_t OpenTCPIPPort_V(const std::string& first, const std::string& second);
std::int16_t OpenUSBPort_V(std::int32_t serial_number);
std::int16_t CloseCommPort_V();
std::int16_t CloseTCPIPPort_V();
std::int16_t CloseUSBPort_V();
std::int16_t InitStation_V();
std::int32_t GetUSBDevSerialNumber_V();
// 0 when the console lacks the newer current-data packet (passed on as is).
std::int16_t IsNewLoopPackageSupported_V();

// ---- Loading from the console into the library (1 = success) -------------

std::int16_t LoadCurrentVantageData_V();
std::int16_t LoadVantageAlarms_V();
std::int16_t LoadVantageHiLows_V();
std::int16_t LoadVantageCalibration_V(void* record20);

// ---- Current values --------------------------------------------------------

float GetOutsideTemp_V();
float GetInsideTemp_V();
float GetDewPt_V();
float GetWindChill_V();
float GetBarometer_V();
float GetWindSpeed_V();
float GetRainRate_V();
float GetDailyRain_V();
float GetMonthlyRain_V();
float GetStormRain_V();
float GetTotalRain_V();
std::int16_t GetInsideHumidity_V();
std::int16_t GetOutsideHumidity_V();
std::int16_t GetWindDir_V();

// ---- Values by data identifier --------------------------------------------

// Through the float path.
float GetCurrentDataByID_V(std::int32_t id);
// Status; the text is written into `buffer` (room for `length` characters).
std::int16_t GetCurrentDataStrByID_V(std::int32_t id, char* buffer, std::int32_t length);
float GetHiLowDataByID_V(std::int32_t id);
std::int16_t GetHiLowTimeByID_V(std::int32_t id, StationDateTime* time);

// Kind 1: the value is read through the 16-bit path (unchanged, a 0 stays 0)
// and returned as a float; any other kind reads it through the float path.
float GetCurrentDataByID(std::int32_t id, int kind);
// The text of a data item in at most `length` characters; when the status is
// not 1 the status itself in decimal ("-32701").
std::string GetCurrentDataStrByID(std::int32_t id, int length);

// ---- Alarm thresholds set in the console ---------------------------------

float GetBarRiseAlarm_V();
float GetBarFallAlarm_V();
float GetInsideLowTempAlarm_V();
float GetInsideHiTempAlarm_V();
float GetOutsideLowTempAlarm_V();
float GetOutsideHiTempAlarm_V();
float GetLowWindChillAlarm_V();
float GetLowDewPtAlarm_V();
float GetHiDewPtAlarm_V();
float GetHiOutsideHumAlarm_V();
float GetLowOutsideHumAlarm_V();
float GetHiRainRateAlarm_V();
float GetHiDailyRainAlarm_V();
float GetHiRainStormAlarm_V();
float GetFlashFloodAlarm_V();
float GetHiUVAlarm_V();
float GetHiUVMedAlarm_V();

std::int16_t GetLowInsideHumAlarm_V();
std::int16_t GetHiInsideHumAlarm_V();
std::int16_t GetHiSolarRadAlarm_V();
std::int16_t GetHiWindSpeedAlarm_V();
std::int16_t GetHi10MinWindSpeedAlarm_V();
std::int16_t GetHiHeatIndexAlarm_V();
std::int16_t GetHiTHSWAlarm_V();

// Extra temperature and humidity sensors 2 to 8.
float GetLowExtraTempAlarm_V(std::int32_t sensor);
float GetHiExtraTempAlarm_V(std::int32_t sensor);
float GetLowExtraHumAlarm_V(std::int32_t sensor);
float GetHiExtraHumAlarm_V(std::int32_t sensor);
// Soil sensors 1 to 4.
float GetLowSoilTempAlarm_V(std::int32_t sensor);
float GetHiSoilTempAlarm_V(std::int32_t sensor);
float GetLowSoilMoistureAlarm_V(std::int32_t sensor);
float GetHiSoilMoistureAlarm_V(std::int32_t sensor);
// Leaf sensors 1 and 2.
float GetLowLeafTempAlarm_V(std::int32_t sensor);
float GetHiLeafTempAlarm_V(std::int32_t sensor);
float GetLowLeafWetAlarm_V(std::int32_t sensor);
float GetHiLeafWetAlarm_V(std::int32_t sensor);

// The time alarm as a number (-32768 when not set) and as a short text.
std::int32_t GetTimeAlarm_V();
std::string GetTimeAlarmStr_V();

// ---- Console configuration ------------------------------------------------

std::int16_t GetModelNo_V();
std::int16_t GetWindCupSize_V();
std::int16_t GetArchivePeriod_V();
std::string GetStationFirmwareVersion_V();
std::int16_t GetStationFirmwareDate_V(StationDateTime* date);
std::int16_t GetStationTime_V(StationDateTime* time);
std::int16_t GetSunriseTime_V(StationDateTime* time);
std::int16_t GetSunsetTime_V(StationDateTime* time);
std::int16_t GetTimeZoneSettings_V(void* record12);
std::int16_t GetReceptionData_V(void* record20);
std::int16_t GetVantageLat_V(void* record20);
std::int16_t GetVantageLon_V(void* record20);
std::int16_t GetBarometerData_V(void* record28);
std::int16_t GetVantageTxConfig_V(void* record56);
std::int32_t GetWindDirCalibrationOffset_V(std::int32_t* offset);

// The console's firmware version text.
std::string GetStationFirmwareVersion();

}  // namespace tv
