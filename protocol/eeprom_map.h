#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The console's 4096-byte EEPROM: addresses, sizes and encodings of the
// settings read by the station library and served by the simulator.
// Multi-byte values are little-endian. Some settings are guarded by a
// neighbouring one's-complement byte that must be written together with them.
namespace tv::protocol::eeprom {

// --- Station, time and transmitter area -----------------------------------
inline constexpr std::uint16_t kBarGain = 0x01;           // 2, factory calibration, read only
inline constexpr std::uint16_t kBarOffset = 0x03;         // 2, factory calibration, read only
inline constexpr std::uint16_t kBarCal = 0x05;            // 2, set with BAR= only
inline constexpr std::uint16_t kHum33 = 0x07;             // 2, factory, read only
inline constexpr std::uint16_t kHum80 = 0x09;             // 2, factory, read only
inline constexpr std::uint16_t kLatitude = 0x0B;          // s16, 0.1°, negative = south
inline constexpr std::uint16_t kLongitude = 0x0D;         // s16, 0.1°, negative = west
inline constexpr std::uint16_t kElevation = 0x0F;         // s16, feet, set with BAR= only
inline constexpr std::uint16_t kTimeZone = 0x11;          // u8, index into the time-zone list
inline constexpr std::uint16_t kManualOrAuto = 0x12;      // u8, 1 = manual daylight saving
inline constexpr std::uint16_t kDaylightSavings = 0x13;   // u8, manual mode: 1 = on
inline constexpr std::uint16_t kGmtOffset = 0x14;         // s16, hundredths of an hour
inline constexpr std::uint16_t kGmtOrZone = 0x16;         // u8, 1 = use kGmtOffset
inline constexpr std::uint16_t kUsedTransmitters = 0x17;  // u8 bitmap, bit 0 = ID 1
inline constexpr std::uint16_t kRetransmitId = 0x18;      // u8, 0 = off, 1–8 = ID
inline constexpr std::uint16_t kStationList = 0x19;       // 16 bytes, 2 per ID 1–8
inline constexpr std::size_t kStationListSize = 16;

inline constexpr double kLatLonScale = 10.0;      // stored value = degrees × 10
inline constexpr double kGmtOffsetScale = 100.0;  // stored value = hours × 100

// Index of "Paris, Madrid, Brussels, Copenhagen, W Central Africa. (+01:00)".
inline constexpr std::uint8_t kTimeZoneParis = 21;
inline constexpr int kTimeZoneCount = 47;

// --- Units, setup and calibration area ------------------------------------
inline constexpr std::uint16_t kUnitBits = 0x29;
inline constexpr std::uint16_t kUnitBitsComp = 0x2A;
inline constexpr std::uint16_t kSetupBits = 0x2B;
inline constexpr std::uint16_t kRainSeasonStart = 0x2C;  // month, 1 = January
inline constexpr std::uint16_t kArchivePeriod = 0x2D;    // minutes, set with SETPER only

// SETUP_BITS.
inline constexpr std::uint8_t kSetup24Hour = 0x01;
inline constexpr std::uint8_t kSetupAm = 0x02;
inline constexpr std::uint8_t kSetupDayMonth = 0x04;
inline constexpr std::uint8_t kSetupLargeWindCup = 0x08;
inline constexpr std::uint8_t kSetupRainCollectorMask = 0x30;
inline constexpr int kSetupRainCollectorShift = 4;
inline constexpr std::uint8_t kSetupNorth = 0x40;
inline constexpr std::uint8_t kSetupEast = 0x80;

// UNIT_BITS (display units only; packets are always °F, inHg, mph, clicks).
inline constexpr std::uint8_t kUnitBarMask = 0x03;   // 0 inHg, 1 mm, 2 hPa, 3 mb
inline constexpr std::uint8_t kUnitTempMask = 0x0C;  // >> 2: 0 °F, 1 °F/10, 2 °C, 3 °C/10
inline constexpr std::uint8_t kUnitElevationMeters = 0x10;
inline constexpr std::uint8_t kUnitRainMm = 0x20;
inline constexpr std::uint8_t kUnitWindMask = 0xC0;  // >> 6: 0 mph, 1 m/s, 2 km/h, 3 knots

// Rain collector: the size of one rain click.
enum class RainCollector : std::uint8_t {
  kHundredthInch = 0,  // 0.01 in
  kFifthMm = 1,        // 0.2 mm
  kTenthMm = 2,        // 0.1 mm
};
// The collector coded in SETUP_BITS, nullopt for the unused code 3.
std::optional<RainCollector> RainCollectorFromSetupBits(std::uint8_t setup_bits);
std::uint8_t SetupBitsWithRainCollector(std::uint8_t setup_bits, RainCollector collector);
double ClickSizeMm(RainCollector collector);
double ClickSizeInches(RainCollector collector);

// Calibration offsets: signed bytes in native units, 0.1 °F or 1 %.
inline constexpr std::uint16_t kTempInCal = 0x32;
inline constexpr std::uint16_t kTempInComp = 0x33;
inline constexpr std::uint16_t kTempOutCal = 0x34;
inline constexpr std::uint16_t kTempCal = 0x35;  // 15: 7 extra, 4 soil, 4 leaf
inline constexpr std::size_t kTempCalCount = 15;
inline constexpr std::uint16_t kHumInCal = 0x44;
inline constexpr std::uint16_t kHumCal = 0x45;  // 8: outside, then extra 1–7
inline constexpr std::size_t kHumCalCount = 8;
inline constexpr std::uint16_t kDirCal = 0x4D;  // s16, degrees

inline constexpr std::uint16_t kDefaultBarGraph = 0x4F;
inline constexpr std::uint16_t kDefaultRainGraph = 0x50;
inline constexpr std::uint16_t kDefaultSpeedGraph = 0x51;

// How the console logs temperature in the archive: 0 last value, 1 average.
inline constexpr std::uint16_t kLogAverageTemps = 0xFFC;

// --- Alarm thresholds (94 bytes from 0x52) --------------------------------
inline constexpr std::uint16_t kAlarmBase = 0x52;
inline constexpr std::size_t kAlarmBlockSize = 94;

inline constexpr std::uint16_t kAlarmBarRise = 0x52;        // u8, 0.001 inHg; 0 = not set
inline constexpr std::uint16_t kAlarmBarFall = 0x53;        // u8, 0.001 inHg; 0 = not set
inline constexpr std::uint16_t kAlarmTime = 0x54;           // u16, hour × 100 + minute
inline constexpr std::uint16_t kAlarmTimeComp = 0x56;       // u16, one's complement of the time
inline constexpr std::uint16_t kAlarmLowInTemp = 0x58;      // °F + 90
inline constexpr std::uint16_t kAlarmHighInTemp = 0x59;     // °F + 90
inline constexpr std::uint16_t kAlarmLowOutTemp = 0x5A;     // °F + 90
inline constexpr std::uint16_t kAlarmHighOutTemp = 0x5B;    // °F + 90
inline constexpr std::uint16_t kAlarmLowTemps = 0x5C;       // 15 × °F + 90: extra, soil, leaf
inline constexpr std::uint16_t kAlarmHighTemps = 0x6B;      // 15 × °F + 90
inline constexpr std::uint16_t kAlarmLowInHum = 0x7A;       // %
inline constexpr std::uint16_t kAlarmHighInHum = 0x7B;      // %
inline constexpr std::uint16_t kAlarmLowHums = 0x7C;        // 8 × %: outside, extra 1–7
inline constexpr std::uint16_t kAlarmHighHums = 0x84;       // 8 × %
inline constexpr std::uint16_t kAlarmLowDew = 0x8C;         // °F + 120
inline constexpr std::uint16_t kAlarmHighDew = 0x8D;        // °F + 120
inline constexpr std::uint16_t kAlarmLowChill = 0x8E;       // °F + 120
inline constexpr std::uint16_t kAlarmHighHeat = 0x8F;       // °F + 90
inline constexpr std::uint16_t kAlarmHighThsw = 0x90;       // °F + 90
inline constexpr std::uint16_t kAlarmWindSpeed = 0x91;      // mph
inline constexpr std::uint16_t kAlarmWindAvg10 = 0x92;      // mph
inline constexpr std::uint16_t kAlarmHighUv = 0x93;         // UV index × 10
inline constexpr std::uint16_t kAlarmUvDose = 0x94;         // MEDs × 10
inline constexpr std::uint16_t kAlarmLowSoilMoist = 0x95;   // 4 × centibar
inline constexpr std::uint16_t kAlarmHighSoilMoist = 0x99;  // 4 × centibar
inline constexpr std::uint16_t kAlarmLowLeafWet = 0x9D;     // 4 × 0–15
inline constexpr std::uint16_t kAlarmHighLeafWet = 0xA1;    // 4 × 0–15
inline constexpr std::uint16_t kAlarmHighSolar = 0xA5;      // u16, W/m²
inline constexpr std::uint16_t kAlarmHighRainRate = 0xA7;   // u16, clicks/h
inline constexpr std::uint16_t kAlarmRain15Min = 0xA9;      // u16, clicks
inline constexpr std::uint16_t kAlarmRain24Hour = 0xAB;     // u16, clicks
inline constexpr std::uint16_t kAlarmStormTotal = 0xAD;     // u16, clicks
inline constexpr std::uint16_t kAlarmDailyEt = 0xAF;        // u8, 1/1000 in

inline constexpr int kAlarmTempOffsetF = 90;  // temperature, heat index, THSW thresholds
inline constexpr int kAlarmDewOffsetF = 120;  // dew point and wind chill thresholds
inline constexpr std::uint8_t kAlarmByteNotSet = 0xFF;
inline constexpr std::uint16_t kAlarmWordNotSet = 0xFFFF;
inline constexpr std::uint8_t kAlarmBarNotSet = 0;

// --- Station list (2 bytes per transmitter ID 1–8) -------------------------
// First byte: high nibble transmit period code, low nibble station type.
// Second byte: high nibble humidity sensor number, low nibble temperature
// sensor number (temperature-only and temperature/humidity stations).
enum class StationType : std::uint8_t {
  kIss = 0x0,
  kTemp = 0x1,
  kHum = 0x2,
  kTempHum = 0x3,
  kWind = 0x4,
  kRain = 0x5,
  kLeaf = 0x6,
  kSoil = 0x7,
  kSoilLeaf = 0x8,
  kDataLink = 0x9,
  kNone = 0xA,
};
inline constexpr int kTransmitterCount = 8;

// --- Named fields -----------------------------------------------------------
// The settings above by name, to read a value by name (simulator control
// channel, diagnostics).
enum class FieldKind : std::uint8_t { kU8, kS8, kU16, kS16 };
struct Field {
  std::string_view name;
  std::uint16_t address;
  FieldKind kind;
  std::uint8_t count;  // consecutive values of that kind
};
// Every named setting above, in address order.
std::span<const Field> Fields();
// The field by name (exact, e.g. "LATITUDE", "ALARM_LOW_TEMPS"), or nullptr.
const Field* FindField(std::string_view name);
std::size_t FieldSize(const Field& field);

}  // namespace tv::protocol::eeprom
