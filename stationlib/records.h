#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stationlib/eeprom_view.h"
#include "stationlib/vantagepro.h"

// The records the library fills for the caller (layouts in vantagepro.h) and
// the parsers of the console replies they come from.
namespace tv::stationlib {

struct ClockTime {
  int second = -1, minute = -1, hour = -1, day = -1, month = -1, year = -1;
};

struct BarometerData {
  std::int32_t bar = 0;           // inHg × 1000
  std::int32_t elevation = 0;     // feet
  std::int32_t dew_point = 0;     // °F
  std::int32_t virtual_temp = 0;  // °F
  std::int32_t c_factor = 0;
  std::int32_t ratio = 0;   // × 1000
  std::int32_t barcal = 0;  // inHg × 1000
  std::int32_t gain = 0;
  std::int32_t offset = 0;
};

// --- Reply parsers -------------------------------------------------------------
// GETTIME block: seconds, minutes, hour, day, month, year - 1900.
std::optional<ClockTime> DecodeTimeBlock(const std::vector<std::uint8_t>& block);
// VER line, "Apr 24 2002": day, month and year set, the time left at -1.
std::optional<ClockTime> ParseFirmwareDate(const std::string& line);
// RXCHECK line: five whole numbers separated by runs of spaces.
std::optional<std::array<std::int32_t, 5>> ParseRxCheck(const std::string& line);
// BARDATA lines "NAME value" (the name may hold a space). A value written
// with a decimal point is taken in whole units and scaled to thousandths for
// BAR, R and BARCAL.
std::optional<BarometerData> ParseBarData(const std::vector<std::string>& lines);

// --- Record writers ------------------------------------------------------------
void WriteDateTime(VantageDateTime* out, const ClockTime& t);
// Position from tenths of a degree (20 bytes of room, 16 written).
void FillPosition(void* record, std::int16_t tenths);
void FillTimeZone(void* record12, const SetupView& setup);
void FillReception(void* record20, const std::array<std::int32_t, 5>& counters);
void FillBarometer(void* record28, const BarometerData& data);
void FillTxConfig(void* record56, const SetupView& setup);
void FillCalibration(void* record20, const SetupView& setup);

// Transmitter kind of ID `id` (1-8) in the agent's codes.
std::int32_t TransmitterKind(const SetupView& setup, int id);

}  // namespace tv::stationlib
