#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/config/config_keys.h"
#include "lib/station/result_codes.h"

namespace tv {

// Current conditions, in display units (°C, hPa, km/h, mm). A value the
// console has no reading for keeps the library's no-data code, which
// IsValidResult rejects.
struct CurrentDataGroup {
  // Read on every run.
  float WindSpeed = 0;
  std::int32_t WindDir = 0;
  float RainRate = 0;
  std::string WindDirText;
  // The console's own alarm bits: 1 while the alarm is active.
  std::int16_t BarRisingAlarm = 0;
  std::int16_t BarFallingAlarm = 0;
  std::int16_t FlashFloodAlarm = 0;
  // Read when the "TempHumBar" period has elapsed.
  float InsideTemp = 0;
  float OutsideTemp = 0;
  std::int32_t InsideHumidity = 0;
  std::int32_t OutsideHumidity = 0;
  float Barometer = 0;
  float WindChill = 0;
  float DewPt = 0;
  float DailyRain = 0;
  float MonthlyRain = 0;
  float StormRain = 0;
  float TotalRain = 0;
  float WindSpeedAvg2Min = 0;
  float WindSpeedAvg10Min = 0;
  float WindGust10Min = 0;
  float RainLastHour = 0;
  float RainLast24Hours = 0;
  std::int16_t SolarRad = 0;
  std::int16_t UV = 0;
  std::int16_t THSWIndex = 0;
  std::int16_t THWIndex = 0;
  float HeatIndex = 0;
  std::int16_t StationElevation = 0;  // feet
  std::string BarTrendText;
  float ETDay = 0;
  float ETMonth = 0;
  float ETYear = 0;
  std::array<float, 7> ExtraTemp{};
  std::array<std::int16_t, 7> ExtraHum{};
  std::array<float, 4> SoilTemp{};
  std::array<float, 4> SoilMoisture{};
  std::array<float, 2> LeafTemp{};
  std::array<float, 2> LeafWet{};

  bool operator==(const CurrentDataGroup&) const = default;
};

struct ForecastGroup {
  std::int16_t Icon = 0;
  // Sentence numbers, each followed by ";" ("8;29;").
  std::string Text;

  bool operator==(const ForecastGroup&) const = default;
};

// Time-zone settings as the station library fills them (12 bytes).
struct TimeZoneSettings {
  std::int16_t UseTimeZone = 0;
  std::int16_t TimeZoneIndex = 0;
  float TimeCorrection = 0;
  std::int16_t AutoDaylightSaving = 0;
  std::int16_t DaylightSavingMode = 0;

  bool operator==(const TimeZoneSettings&) const = default;
};
static_assert(sizeof(TimeZoneSettings) == 12);

// Reception statistics as the station library fills them (20 bytes).
struct ReceptionData {
  std::int32_t PacketsReceived = 0;
  std::int32_t PacketsLost = 0;
  std::int32_t Resyncs = 0;
  std::int32_t Unused = 0;
  std::int32_t CrcErrors = 0;

  bool operator==(const ReceptionData&) const = default;
};
static_assert(sizeof(ReceptionData) == 20);

inline constexpr std::size_t kBarometerDataSize = 28;
inline constexpr std::size_t kTxConfigSize = 56;
inline constexpr std::size_t kCalibrationDataSize = 20;

struct ConfigGroup {
  float ConsoleVoltage = 0;
  float TransmitterStatus = 0;
  float RepeaterStatus = 0;
  TimeZoneSettings TimeZone;
  ReceptionData Reception;
  std::string ModelText;
  std::string WindCupText;
  std::string FirmwareDateText;
  std::string FirmwareVersion;
  std::string LatitudeText;
  std::string LongitudeText;
  std::uint8_t ArchivePeriod = 0;
  // Raw records of the station library, read by the configuration page.
  std::array<std::uint8_t, kBarometerDataSize> BarometerData{};
  std::array<std::uint8_t, kTxConfigSize> TxConfig{};

  bool operator==(const ConfigGroup&) const = default;
};

// Transmitter IDs in the station library's transmitter record.
inline constexpr int kTransmitterIds = 7;

// The transmitter kind and station ID of transmitter `id` (1 to 7) in the
// station library's transmitter record: seven 32-bit kinds, then seven
// 32-bit station IDs. Both 0 for an ID out of range.
struct TransmitterEntry {
  int kind = 0;
  int station_id = 0;
};
TransmitterEntry TransmitterAt(const ConfigGroup& config, int id);

struct CalibrationGroup {
  // Raw calibration record of the station library.
  std::array<std::uint8_t, kCalibrationDataSize> Data{};
  std::int32_t WindDirOffset = 0;

  bool operator==(const CalibrationGroup&) const = default;
};

// The console's alarm thresholds, in display units.
struct AlarmsGroup {
  float BarRise = 0;
  float BarFall = 0;
  std::int16_t TimeAlarm = 0;
  std::string TimeAlarmStr;
  float InsideLowTemp = 0;
  float InsideHiTemp = 0;
  float OutsideLowTemp = 0;
  float outsideHiTemp = 0;
  std::int16_t LowInsideHum = 0;
  std::int16_t HiInsideHum = 0;
  std::int16_t LowOutsideHum = 0;
  std::int16_t HiOutsideHum = 0;
  float LowWindChill = 0;
  float LowDewPt = 0;
  float HiDewPt = 0;
  float HiSolarRad = 0;
  float HiWindSpeed = 0;
  float Hi10MinWindSpeed = 0;
  float HiHeatIndex = 0;
  float HiTHSW = 0;
  float HiRainRate = 0;
  float HiDailyRain = 0;
  float HiRainStorm = 0;
  float FlashFlood = 0;
  float HiUV = 0;
  float HiUVMed = 0;
  std::array<float, 7> LowExtraTemp{};
  std::array<float, 7> HiExtraTemp{};
  std::array<std::int16_t, 7> LowExtraHum{};
  std::array<std::int16_t, 7> HiExtraHum{};
  std::array<float, 4> LowSoilTemp{};
  std::array<float, 4> HiSoilTemp{};
  std::array<float, 4> LowSoilMoisture{};
  std::array<float, 4> HiSoilMoisture{};
  std::array<float, 2> LowLeafTemp{};
  std::array<float, 2> HiLeafTemp{};
  std::array<float, 2> LowLeafWet{};

  bool operator==(const AlarmsGroup&) const = default;
};

// Periods of the records of the day, month and year, as parts of their
// identifiers.
enum class HiLowPeriod : std::int32_t {
  DayHigh = 0x1000,
  DayLow = 0x1800,
  MonthHigh = 0x2800,
  MonthLow = 0x3000,
  YearHigh = 0x4C00,
  YearLow = 0x5000,
};

std::string_view HiLowPeriodName(HiLowPeriod period);

// One record of the day, month or year: what it measures and where the
// station library finds it.
struct HiLowEntryDef {
  std::string name;  // "OutsideTemp", "ExtraHum[3]"
  std::int32_t sensor = 0;
  std::int32_t quantity = 0;
  HiLowPeriod period = HiLowPeriod::DayHigh;
  bool integer = false;  // stored rounded to a whole number

  std::int32_t Id() const;
  bool HasTime() const;
  // "OutsideTemp.DayHigh"
  std::string FullName() const;
};

// The 210 records in collection order: the day records first (a high before
// the low of the same family), then the month highs, month lows, year highs
// and year lows.
const std::vector<HiLowEntryDef>& HiLowEntries();

struct HiLowValue {
  float value = 0;
  StationDateTime time;  // day records only
};

// Records of the day, month and year in the library's units (°F, mph, inches,
// %), one per entry of HiLowEntries(), in the same order.
struct HiLowGroup {
  std::vector<HiLowValue> values = std::vector<HiLowValue>(HiLowEntries().size());

  // Index of "OutsideTemp" + period in HiLowEntries(), -1 if there is none.
  static int IndexOf(std::string_view name, HiLowPeriod period);
  // The value, or nullptr when the entry does not exist.
  const HiLowValue* Find(std::string_view name, HiLowPeriod period) const;
};

// Everything collected from the console. Copyable: readers hold a snapshot.
struct StationData {
  CurrentDataGroup CurrentData;
  ForecastGroup Forecast;
  ConfigGroup Config;
  CalibrationGroup Calibration;
  AlarmsGroup Alarms;
  HiLowGroup HiLow;
  StationDateTime StationTime;
  StationDateTime SunriseTime;
  StationDateTime SunsetTime;
};

// The station data record shared by the collection thread (its only writer)
// and the display and alarm threads. The groups sit behind one mutex: a
// reader takes a snapshot and never sees a group half-updated; the engine
// state is atomic.
class StationRecord {
 public:
  StationData Snapshot() const;
  // Runs `change` on the data with the lock held; keep it short (no station
  // calls inside).
  void Update(const std::function<void(StationData&)>& change);

  std::atomic<int> LinkConnected{0};
  std::atomic<int> LinkKind{kLinkSerial};  // kLinkSerial, kLinkTcpIp or kLinkUsb
  std::atomic<int> CycleSuccessCount{0};

 private:
  mutable std::mutex mutex_;
  StationData data_;
};

// A station float stored into a whole-number field: rounded to nearest; a
// value that does not fit (or is not a number) becomes the library's
// no-data code, so it is never mistaken for a reading.
std::int16_t RoundToInt16(float value);
std::int32_t RoundToInt32(float value);

}  // namespace tv
