// The exported operations: thin wrappers over one process-wide Station that
// convert its readings to the result kinds of the interface and keep every
// exception on this side of it.
#include "stationlib/vantagepro.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "stationlib/link_open.h"
#include "stationlib/station.h"
#include "stationlib/usb_locator.h"

namespace {

namespace ee = tv::protocol::eeprom;
using tv::stationlib::AlarmView;
using tv::stationlib::LinkKind;
using tv::stationlib::Reading;
using tv::stationlib::Station;

// Never destroyed: a side thread of the caller may still be inside an
// operation when the process exits.
Station& Lib() {
  static Station* const station = new Station;
  return *station;
}

template <typename T, typename F>
T Guard(T on_failure, F f) noexcept {
  try {
    return f();
  } catch (...) {
    return on_failure;
  }
}

float AsFloat(const Reading& r) {
  return static_cast<float>(r.code == VP_OK ? r.value : static_cast<double>(r.code));
}

std::int16_t AsShort(const Reading& r) {
  if (r.code != VP_OK) return r.code;
  const double v = std::nearbyint(r.value);
  if (v < -32768.0 || v > 32767.0) return VP_NO_DATA;
  return static_cast<std::int16_t>(v);
}

std::int16_t WriteText(const std::string& text, char* buffer, std::size_t room) {
  if (buffer == nullptr || room == 0) return VP_ERR_BAD_PARAM;
  if (room > VP_TEXT_MAX) room = VP_TEXT_MAX;
  if (text.size() + 1 > room) {
    buffer[0] = '\0';
    return VP_ERR_TOO_SMALL;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return VP_OK;
}

float FloatOp(Reading (*op)()) {
  return Guard(static_cast<float>(VP_ERR_COMM), [&] { return AsFloat(op()); });
}

std::int16_t ShortOp(Reading (*op)()) {
  return Guard<std::int16_t>(VP_ERR_COMM, [&] { return AsShort(op()); });
}

Reading CurrentId(std::uint32_t id) {
  return Lib().Current(id);
}

template <typename Pick>
Reading AlarmAt(Pick pick, bool rain = false) {
  return Lib().Alarm(pick, rain);
}

Reading TempAlarm(std::uint16_t address, int offset = ee::kAlarmTempOffsetF) {
  return AlarmAt([=](const AlarmView& a) { return a.Temp(address, offset); });
}
Reading ByteAlarm(std::uint16_t address) {
  return AlarmAt([=](const AlarmView& a) { return a.Byte(address); });
}
Reading RainAlarm(std::uint16_t address) {
  return AlarmAt([=](const AlarmView& a) { return a.Word(address); }, true);
}

// A threshold of sensor `sensor` in first..last, the array starting at `base`
// for sensor `first_index_sensor`.
Reading SensorAlarm(std::int32_t sensor, int first, int last, std::uint16_t base, int skew,
                    bool temperature) {
  if (sensor < first || sensor > last) return {VP_ERR_BAD_PARAM, VP_ERR_BAD_PARAM};
  const auto address = static_cast<std::uint16_t>(base + sensor + skew);
  return temperature ? TempAlarm(address) : ByteAlarm(address);
}

constexpr std::uint32_t Id(std::uint32_t sensor, std::uint32_t quantity, std::uint32_t period = 0) {
  return sensor * 0x1000000u + quantity + period;
}

}  // namespace

// The integer half of GetCurrentDataByID_V's result goes in the high 32 bits,
// the float's bits in the low ones; the exported entry point splits them into
// the integer and the floating-point return registers.
extern "C" __attribute__((visibility("hidden"))) std::uint64_t tv_stationlib_current_by_id_packed(
    std::int32_t id) noexcept {
  const Reading r = Guard(Reading{VP_ERR_COMM, VP_ERR_COMM},
                          [&] { return CurrentId(static_cast<std::uint32_t>(id)); });
  const float f = AsFloat(r);
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  const auto whole = static_cast<std::uint32_t>(static_cast<std::int32_t>(AsShort(r)));
  return (static_cast<std::uint64_t>(whole) << 32) | bits;
}

#if defined(__x86_64__)
asm(R"(
    .text
    .globl GetCurrentDataByID_V
    .type GetCurrentDataByID_V, @function
GetCurrentDataByID_V:
    .cfi_startproc
    endbr64
    subq $8, %rsp
    .cfi_def_cfa_offset 16
    call tv_stationlib_current_by_id_packed
    addq $8, %rsp
    .cfi_def_cfa_offset 8
    movd %eax, %xmm0
    shrq $32, %rax
    ret
    .cfi_endproc
    .size GetCurrentDataByID_V, .-GetCurrentDataByID_V
)");
#else
extern "C" float GetCurrentDataByID_V(int32_t id) {
  const std::uint64_t packed = tv_stationlib_current_by_id_packed(id);
  const auto bits = static_cast<std::uint32_t>(packed);
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
#endif

extern "C" {

// ---- Links ----
int16_t OpenCommPort_V(int32_t port, int32_t baud) {
  return Guard<int16_t>(VP_ERR_OPEN, [&]() -> int16_t {
    const std::string path = tv::stationlib::SerialDeviceForPort(port);
    if (path.empty()) return VP_ERR_BAD_PARAM;
    return Lib().OpenSerial(path, baud);
  });
}

int16_t OpenCommPortByName_V(const char* path, int32_t baud) {
  return Guard<int16_t>(VP_ERR_OPEN, [&]() -> int16_t {
    if (path == nullptr || path[0] == '\0') return VP_ERR_BAD_PARAM;
    return Lib().OpenSerial(path, baud);
  });
}

int16_t OpenTCPIPPort_V(const char* port, const char* address) {
  return Guard<int16_t>(VP_ERR_OPEN, [&]() -> int16_t {
    if (port == nullptr || address == nullptr) return VP_ERR_BAD_PARAM;
    return Lib().OpenTcp(port, address);
  });
}

int16_t OpenUSBPort_V(int32_t serial) {
  return Guard<int16_t>(VP_ERR_OPEN, [&] { return Lib().OpenUsb(serial); });
}

int16_t CloseCommPort_V(void) {
  return Guard<int16_t>(VP_OK, [] { return Lib().Close(LinkKind::kSerial); });
}
int16_t CloseTCPIPPort_V(void) {
  return Guard<int16_t>(VP_OK, [] { return Lib().Close(LinkKind::kTcp); });
}
int16_t CloseUSBPort_V(void) {
  return Guard<int16_t>(VP_OK, [] { return Lib().Close(LinkKind::kUsb); });
}

int32_t GetUSBDevSerialNumber_V(void) {
  return Guard<int32_t>(VP_ERR_OPEN, []() -> int32_t {
    const auto loggers = tv::stationlib::FindUsbLoggers(tv::stationlib::SysfsRoot());
    return loggers.empty() ? VP_ERR_OPEN : loggers.front().serial;
  });
}

void SetSysfsRoot_V(const char* root) {
  Guard(0, [&] {
    tv::stationlib::SetSysfsRoot(root == nullptr ? "" : root);
    return 0;
  });
}

// ---- Console ----
int16_t InitStation_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().Init(); });
}
int16_t IsNewLoopPackageSupported_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().Loop2Supported(); });
}
int64_t GetLinkBytesExchanged_V(void) {
  return Guard<int64_t>(0, [] { return static_cast<int64_t>(Lib().BytesExchanged()); });
}

// ---- Loads ----
int16_t LoadCurrentVantageData_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().LoadCurrent(); });
}
int16_t LoadVantageHiLows_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().LoadHiLows(); });
}
int16_t LoadVantageAlarms_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().LoadAlarms(); });
}
int16_t LoadVantageCalibration_V(void* record20) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().LoadCalibration(record20); });
}

// ---- Current values ----
#define TV_CURRENT_FLOAT(name, id)                \
  float name(void) {                              \
    return FloatOp([] { return CurrentId(id); }); \
  }
#define TV_CURRENT_SHORT(name, id)                \
  int16_t name(void) {                            \
    return ShortOp([] { return CurrentId(id); }); \
  }

TV_CURRENT_FLOAT(GetOutsideTemp_V, Id(0, VP_QTY_TEMPERATURE))
TV_CURRENT_FLOAT(GetInsideTemp_V, Id(1, VP_QTY_TEMPERATURE))
TV_CURRENT_FLOAT(GetDewPt_V, Id(0, VP_QTY_DEW_POINT))
TV_CURRENT_FLOAT(GetWindChill_V, Id(0, VP_QTY_WIND_CHILL))
TV_CURRENT_FLOAT(GetBarometer_V, Id(0, VP_QTY_BAROMETER))
TV_CURRENT_FLOAT(GetWindSpeed_V, Id(0, VP_QTY_WIND_SPEED))
TV_CURRENT_FLOAT(GetRainRate_V, Id(0, VP_QTY_RAIN_RATE))
TV_CURRENT_FLOAT(GetDailyRain_V, Id(0, VP_QTY_RAIN, VP_PERIOD_DAY_TOTAL))
TV_CURRENT_FLOAT(GetMonthlyRain_V, Id(0, VP_QTY_RAIN, VP_PERIOD_MONTH_TOTAL))
TV_CURRENT_FLOAT(GetStormRain_V, Id(0, VP_QTY_RAIN, VP_PERIOD_STORM))
TV_CURRENT_FLOAT(GetTotalRain_V, Id(0, VP_QTY_RAIN, VP_PERIOD_YEAR_TOTAL))
TV_CURRENT_SHORT(GetInsideHumidity_V, Id(1, VP_QTY_HUMIDITY))
TV_CURRENT_SHORT(GetOutsideHumidity_V, Id(0, VP_QTY_HUMIDITY))
TV_CURRENT_SHORT(GetWindDir_V, Id(0, VP_QTY_WIND_DIR))

int16_t GetCurrentDataStrByID_V(int32_t id, char* buffer, int32_t length) {
  return Guard<int16_t>(VP_ERR_COMM, [&]() -> int16_t {
    if (buffer == nullptr || length < 1) return VP_ERR_BAD_PARAM;
    std::string text;
    const int16_t code = Lib().CurrentText(static_cast<std::uint32_t>(id), text);
    if (code != VP_OK) {
      buffer[0] = '\0';
      return code;
    }
    return WriteText(text, buffer, static_cast<std::size_t>(length));
  });
}

// ---- Records ----
float GetHiLowDataByID_V(int32_t id) {
  return Guard(static_cast<float>(VP_ERR_COMM),
               [&] { return AsFloat(Lib().HiLow(static_cast<std::uint32_t>(id))); });
}

int16_t GetHiLowTimeByID_V(int32_t id, VantageDateTime* time) {
  return Guard<int16_t>(VP_ERR_COMM,
                        [&] { return Lib().HiLowTime(static_cast<std::uint32_t>(id), time); });
}

// ---- Alarm thresholds ----
#define TV_ALARM_FLOAT(name, expr)       \
  float name(void) {                     \
    return FloatOp([] { return expr; }); \
  }
#define TV_ALARM_SHORT(name, expr)       \
  int16_t name(void) {                   \
    return ShortOp([] { return expr; }); \
  }

TV_ALARM_FLOAT(GetBarRiseAlarm_V, AlarmAt([](const AlarmView& a) { return a.BarRise(); }))
TV_ALARM_FLOAT(GetBarFallAlarm_V, AlarmAt([](const AlarmView& a) { return a.BarFall(); }))
TV_ALARM_FLOAT(GetInsideLowTempAlarm_V, TempAlarm(ee::kAlarmLowInTemp))
TV_ALARM_FLOAT(GetInsideHiTempAlarm_V, TempAlarm(ee::kAlarmHighInTemp))
TV_ALARM_FLOAT(GetOutsideLowTempAlarm_V, TempAlarm(ee::kAlarmLowOutTemp))
TV_ALARM_FLOAT(GetOutsideHiTempAlarm_V, TempAlarm(ee::kAlarmHighOutTemp))
TV_ALARM_FLOAT(GetLowWindChillAlarm_V, TempAlarm(ee::kAlarmLowChill, ee::kAlarmDewOffsetF))
TV_ALARM_FLOAT(GetLowDewPtAlarm_V, TempAlarm(ee::kAlarmLowDew, ee::kAlarmDewOffsetF))
TV_ALARM_FLOAT(GetHiDewPtAlarm_V, TempAlarm(ee::kAlarmHighDew, ee::kAlarmDewOffsetF))
TV_ALARM_FLOAT(GetHiOutsideHumAlarm_V, ByteAlarm(ee::kAlarmHighHums))
TV_ALARM_FLOAT(GetLowOutsideHumAlarm_V, ByteAlarm(ee::kAlarmLowHums))
TV_ALARM_FLOAT(GetHiRainRateAlarm_V, RainAlarm(ee::kAlarmHighRainRate))
TV_ALARM_FLOAT(GetHiDailyRainAlarm_V, RainAlarm(ee::kAlarmRain24Hour))
TV_ALARM_FLOAT(GetHiRainStormAlarm_V, RainAlarm(ee::kAlarmStormTotal))
TV_ALARM_FLOAT(GetFlashFloodAlarm_V, RainAlarm(ee::kAlarmRain15Min))
TV_ALARM_FLOAT(GetHiUVAlarm_V, AlarmAt([](const AlarmView& a) { return a.Uv(ee::kAlarmHighUv); }))
TV_ALARM_FLOAT(GetHiUVMedAlarm_V,
               AlarmAt([](const AlarmView& a) { return a.Uv(ee::kAlarmUvDose); }))
TV_ALARM_SHORT(GetLowInsideHumAlarm_V, ByteAlarm(ee::kAlarmLowInHum))
TV_ALARM_SHORT(GetHiInsideHumAlarm_V, ByteAlarm(ee::kAlarmHighInHum))
TV_ALARM_SHORT(GetHiSolarRadAlarm_V,
               AlarmAt([](const AlarmView& a) { return a.Word(ee::kAlarmHighSolar); }))
TV_ALARM_SHORT(GetHiWindSpeedAlarm_V, ByteAlarm(ee::kAlarmWindSpeed))
TV_ALARM_SHORT(GetHi10MinWindSpeedAlarm_V, ByteAlarm(ee::kAlarmWindAvg10))
TV_ALARM_SHORT(GetHiHeatIndexAlarm_V, TempAlarm(ee::kAlarmHighHeat))
TV_ALARM_SHORT(GetHiTHSWAlarm_V, TempAlarm(ee::kAlarmHighThsw))

#define TV_SENSOR_ALARM(name, first, last, base, skew, temperature)              \
  float name(int32_t sensor) {                                                   \
    return Guard(static_cast<float>(VP_ERR_COMM), [&] {                          \
      return AsFloat(SensorAlarm(sensor, first, last, base, skew, temperature)); \
    });                                                                          \
  }

// Temperature thresholds: 15 bytes, extra 1-7, soil 1-4, leaf 1-4.
TV_SENSOR_ALARM(GetLowExtraTempAlarm_V, 2, 8, ee::kAlarmLowTemps, -2, true)
TV_SENSOR_ALARM(GetHiExtraTempAlarm_V, 2, 8, ee::kAlarmHighTemps, -2, true)
TV_SENSOR_ALARM(GetLowSoilTempAlarm_V, 1, 4, ee::kAlarmLowTemps, 6, true)
TV_SENSOR_ALARM(GetHiSoilTempAlarm_V, 1, 4, ee::kAlarmHighTemps, 6, true)
TV_SENSOR_ALARM(GetLowLeafTempAlarm_V, 1, 4, ee::kAlarmLowTemps, 10, true)
TV_SENSOR_ALARM(GetHiLeafTempAlarm_V, 1, 4, ee::kAlarmHighTemps, 10, true)
// Humidity thresholds: 8 bytes, outside then extra 1-7.
TV_SENSOR_ALARM(GetLowExtraHumAlarm_V, 2, 8, ee::kAlarmLowHums, -1, false)
TV_SENSOR_ALARM(GetHiExtraHumAlarm_V, 2, 8, ee::kAlarmHighHums, -1, false)
TV_SENSOR_ALARM(GetLowSoilMoistureAlarm_V, 1, 4, ee::kAlarmLowSoilMoist, -1, false)
TV_SENSOR_ALARM(GetHiSoilMoistureAlarm_V, 1, 4, ee::kAlarmHighSoilMoist, -1, false)
TV_SENSOR_ALARM(GetLowLeafWetAlarm_V, 1, 2, ee::kAlarmLowLeafWet, -1, false)
TV_SENSOR_ALARM(GetHiLeafWetAlarm_V, 1, 2, ee::kAlarmHighLeafWet, -1, false)

int32_t GetTimeAlarm_V(void) {
  return Guard<int32_t>(VP_ERR_COMM, [] {
    const Reading r = Lib().TimeAlarm();
    return r.code == VP_OK ? static_cast<int32_t>(r.value) : r.code;
  });
}

int16_t GetTimeAlarmStr_V(char* buffer) {
  return Guard<int16_t>(VP_ERR_COMM, [&]() -> int16_t {
    const Reading r = Lib().TimeAlarm();
    char text[16];
    if (r.code != VP_OK) {
      std::snprintf(text, sizeof text, "%d", r.code);
    } else if (r.value == VP_NO_DATA) {
      std::snprintf(text, sizeof text, "%d", VP_NO_DATA);
    } else {
      const int t = static_cast<int>(r.value);
      std::snprintf(text, sizeof text, "%02d:%02d", t / 100 % 100, t % 100);
    }
    const int16_t written = WriteText(text, buffer, 7);
    return written != VP_OK ? written : r.code;
  });
}

// ---- Configuration ----
int16_t GetModelNo_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().ModelNo(); });
}
int16_t GetWindCupSize_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().WindCupSize(); });
}
int16_t GetArchivePeriod_V(void) {
  return Guard<int16_t>(VP_ERR_COMM, [] { return Lib().ArchivePeriod(); });
}

int16_t GetStationFirmwareVersion_V(char* buffer) {
  return Guard<int16_t>(VP_ERR_COMM, [&]() -> int16_t {
    if (buffer == nullptr) return VP_ERR_BAD_PARAM;
    std::string text;
    int16_t code = Lib().FirmwareVersion(text);
    if (code != VP_OK) text = std::to_string(code);
    if (text.size() > 15) text.resize(15);
    WriteText(text, buffer, 16);
    return code;
  });
}

int16_t GetStationFirmwareDate_V(VantageDateTime* date) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().FirmwareDate(date); });
}
int16_t GetStationTime_V(VantageDateTime* time) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().StationTime(time); });
}
int16_t GetSunriseTime_V(VantageDateTime* time) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().SunTime(true, time); });
}
int16_t GetSunsetTime_V(VantageDateTime* time) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().SunTime(false, time); });
}
int16_t GetTimeZoneSettings_V(void* record12) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().TimeZoneSettings(record12); });
}
int16_t GetReceptionData_V(void* record20) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().ReceptionData(record20); });
}
int16_t GetVantageLat_V(void* record20) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().Position(true, record20); });
}
int16_t GetVantageLon_V(void* record20) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().Position(false, record20); });
}
int16_t GetBarometerData_V(void* record28) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().BarometerInfo(record28); });
}
int16_t GetVantageTxConfig_V(void* record56) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().TxConfig(record56); });
}
int32_t GetWindDirCalibrationOffset_V(void* offset4) {
  return Guard<int32_t>(VP_ERR_COMM, [&] { return Lib().WindDirOffset(offset4); });
}

static_assert(sizeof(VantageArchiveRecord) == 180 && sizeof(VantageArchivePage) == 924,
              "the archive records' layout is part of the interface");

int16_t DownloadArchive_V(const VantageDateTime* after, VantageArchiveSink sink, void* context) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().DownloadArchive(after, sink, context); });
}

int16_t SetStationTime_V(const VantageDateTime* time, int32_t second) {
  return Guard<int16_t>(VP_ERR_COMM, [&] { return Lib().SetTime(time, second); });
}

}  // extern "C"
