#pragma once

#include <cstddef>
#include <cstdint>

// Sizes and no-data ("dashed") values of the console's binary replies. The
// field layouts themselves are not here on purpose: the simulator encodes and
// the station library decodes, each from its own table, so that a mistake on
// one side shows up as a disagreement between them.
namespace tv::protocol {

inline constexpr std::size_t kCrcSize = 2;

// LOOP and LOOP2: 95 data bytes, LF CR at 95–96, CRC at 97–98.
inline constexpr std::size_t kLoopPacketSize = 99;
inline constexpr std::size_t kLoopCrcCoverage = 97;
inline constexpr std::size_t kLoopTrailerOffset = 95;
inline constexpr std::size_t kLoopTypeOffset = 4;
inline constexpr std::uint8_t kLoopType = 0;
inline constexpr std::uint8_t kLoop2Type = 1;
inline constexpr char kLoopSignature[3] = {'L', 'O', 'O'};

inline constexpr std::size_t kHilowsDataSize = 436;
inline constexpr std::size_t kTimeBlockSize = 6;          // GETTIME / SETTIME
inline constexpr std::size_t kCalibrationBlockSize = 43;  // CALED / CALFIX
inline constexpr std::size_t kEepromSize = 4096;          // GETEE, EEBRD range
inline constexpr std::size_t kArchivePageSize = 267;

// The archive memory: a ring of 512 pages of 5 records. A page is a sequence
// byte, five 52-byte records, 4 unused bytes and the CRC.
inline constexpr std::size_t kArchiveRecordSize = 52;
inline constexpr int kArchiveRecordsPerPage = 5;
inline constexpr int kArchivePages = 512;
inline constexpr int kArchiveRecords = kArchivePages * kArchiveRecordsPerPage;  // 2560
inline constexpr std::size_t kArchiveRecordsOffset = 1;  // after the sequence byte
// DMPAFT: the host's stamp (date word, time word) and the console's answer
// (page count, index of the first new record in the first page), each + CRC.
inline constexpr std::size_t kArchiveStampSize = 4;
inline constexpr std::size_t kArchiveAnnounceSize = 4;
// Byte 42 of a record: 0x00 revision B, 0xFF revision A (older layout).
inline constexpr std::size_t kArchiveTypeOffset = 42;
inline constexpr std::uint8_t kArchiveRevisionB = 0x00;
inline constexpr std::uint8_t kArchiveRevisionA = 0xFF;
// A record slot the console never wrote has the date stamp 0xFFFF.
inline constexpr std::uint16_t kArchiveUnwritten = 0xFFFF;

// Archive date stamp: day + month × 32 + (year − 2000) × 512; time: hour × 100 + minute.
inline constexpr std::uint16_t EncodeArchiveDate(int year, int month, int day) {
  return static_cast<std::uint16_t>(day + month * 32 + (year - 2000) * 512);
}

// Number of sensors of each kind in LOOP.
inline constexpr int kExtraTempCount = 7;
inline constexpr int kExtraHumCount = 7;
inline constexpr int kSoilTempCount = 4;
inline constexpr int kLeafTempCount = 4;
inline constexpr int kSoilMoistureCount = 4;
inline constexpr int kLeafWetnessCount = 4;
// Leaf wetness 3 and 4 are never valid: the console supports two sensors.
inline constexpr int kValidLeafWetnessCount = 2;

// 1-byte temperatures (extra, soil, leaf) are whole °F + 90.
inline constexpr int kByteTempOffsetF = 90;

// Dashed values as the console sends them.
inline constexpr std::int16_t kDashTemp16 = 32767;       // inside/outside temp, lows
inline constexpr std::int16_t kDashHighTemp16 = -32768;  // 2-byte highs (HILOWS)
inline constexpr std::uint8_t kDashByte = 0xFF;          // 1-byte sensors, humidity, UV
inline constexpr std::uint16_t kDashWord = 0xFFFF;       // rain counters, LOOP2 averages
inline constexpr std::uint16_t kDashSolar = 0x7FFF;      // solar radiation
inline constexpr std::uint16_t kDashBarometer = 0;       // barometer readings
inline constexpr std::uint16_t kDashWindDir = 0;         // also 0x7FFF
inline constexpr std::uint16_t kDashWindDirAlt = 0x7FFF;
inline constexpr std::uint16_t kDashStormDate = 0xFFFF;  // no storm running
inline constexpr std::uint8_t kDashDerivedLowByte =
    0xFF;  // dew point, heat index, wind chill, THSW
inline constexpr std::uint16_t kLoop2Unused16 = 0x7FFF;
inline constexpr std::uint8_t kLoop2Unused8 = 0xFF;

// Barometer readings are valid from 20.000 to 32.500 inHg (× 1000).
inline constexpr int kBarometerMin = 20000;
inline constexpr int kBarometerMax = 32500;

// Barometric trend byte (signed) of LOOP/LOOP2.
inline constexpr std::int8_t kTrendFallingRapidly = -60;
inline constexpr std::int8_t kTrendFallingSlowly = -20;
inline constexpr std::int8_t kTrendSteady = 0;
inline constexpr std::int8_t kTrendRisingSlowly = 20;
inline constexpr std::int8_t kTrendRisingRapidly = 60;
inline constexpr std::uint8_t kTrendRevA = 'P';  // old firmware: no trend

// Forecast icon bits (LOOP byte 89).
inline constexpr std::uint8_t kIconRain = 0x01;
inline constexpr std::uint8_t kIconCloud = 0x02;
inline constexpr std::uint8_t kIconPartlyCloudy = 0x04;
inline constexpr std::uint8_t kIconSun = 0x08;
inline constexpr std::uint8_t kIconSnow = 0x10;
// Highest forecast rule number the console knows.
inline constexpr int kForecastRuleMax = 196;

// Console battery: volts = raw × 300 / 512 / 100.
inline constexpr double ConsoleBatteryVolts(unsigned raw) {
  return raw * 300.0 / 512.0 / 100.0;
}

// Time of day as hour × 100 + minute (HILOWS times, sunrise, sunset, time alarm).
inline constexpr std::uint16_t EncodeTimeOfDay(int hour, int minute) {
  return static_cast<std::uint16_t>(hour * 100 + minute);
}

}  // namespace tv::protocol
