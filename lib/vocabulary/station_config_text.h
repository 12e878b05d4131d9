#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tv {

// Size of the block handed to the station library for a latitude or
// longitude; the library fills the first kPositionRecordFilled bytes.
inline constexpr std::size_t kPositionRecordSize = 20;
inline constexpr std::size_t kPositionRecordFilled = 16;

// A latitude or longitude as the station library returns it (little-endian):
//   bytes 0-1  always 0        bytes 4-7   degrees, signed, 32-bit float
//   bytes 8-9  1 if negative   bytes 10-11 whole degrees of the absolute value
//   bytes 12-13 minutes        bytes 14-15 seconds          (16-bit words)
struct PositionRecord {
  float degrees = 0.0F;
  std::uint16_t south_or_west = 0;
  std::uint16_t whole_degrees = 0;
  std::uint16_t minutes = 0;
  std::uint16_t seconds = 0;
};

// Decodes the record from the library's bytes; nothing when fewer than
// kPositionRecordFilled bytes are given.
std::optional<PositionRecord> DecodePositionRecord(std::span<const std::uint8_t> bytes);

// "45.50° Nord 30' 12\"": the absolute degrees with two decimals, the
// hemisphere word ("Nord"/"Sud", "Est"/"Ouest", none within half a degree of
// 0), the minutes and the seconds.
std::string LatitudeText(const PositionRecord& position);
std::string LongitudeText(const PositionRecord& position);
// The same from the library's bytes; "---" for a record that is too short.
std::string LatitudeText(std::span<const std::uint8_t> record);
std::string LongitudeText(std::span<const std::uint8_t> record);

// Console model: 16 and 17 are named, anything else gives "---".
std::string ModelText(int model);

// "Oui" for 1, "Non" for 0, the value in decimal otherwise.
std::string YesNoText(int value);

// Anemometer cup size: 1 "Large", 2 "Petite", 3 "Autre", otherwise "---".
std::string WindCupText(int code);

// Name of the console's time zone by index 0 to 46; the empty text otherwise.
std::string TimeZoneText(int index);

// Kind of a wireless transmitter, codes 0 to 12; the empty text otherwise.
std::string TransmitterTypeText(int code);

}  // namespace tv
