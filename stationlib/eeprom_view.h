#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/eeprom_map.h"

namespace tv::stationlib {

// The set-up area of the console's EEPROM (addresses 0 to 0x51: position,
// time zone, transmitters, units, set-up bits, calibration), read in one block.
class SetupView {
 public:
  static constexpr std::uint16_t kFirst = 0x00;
  static constexpr std::uint16_t kSize = protocol::eeprom::kAlarmBase;  // up to the alarms

  SetupView() = default;
  explicit SetupView(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Valid() const { return bytes_.size() >= kSize; }

  std::uint8_t U8(std::uint16_t address) const;
  std::int8_t S8(std::uint16_t address) const { return static_cast<std::int8_t>(U8(address)); }
  std::int16_t S16(std::uint16_t address) const;

  std::int16_t LatitudeTenths() const { return S16(protocol::eeprom::kLatitude); }
  std::int16_t LongitudeTenths() const { return S16(protocol::eeprom::kLongitude); }
  int ElevationFeet() const { return S16(protocol::eeprom::kElevation); }
  std::uint8_t SetupBits() const { return U8(protocol::eeprom::kSetupBits); }
  // Size of one rain click in mm; a 0.01 in click when the code is the unused 3.
  double ClickMm() const;
  // 1 large, 2 small (the agent's codes).
  int WindCupCode() const;
  int ArchivePeriod() const { return U8(protocol::eeprom::kArchivePeriod); }
  std::int16_t WindDirOffset() const { return S16(protocol::eeprom::kDirCal); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The alarm thresholds (94 bytes from 0x52). Each getter gives the threshold
// in °F, inHg, mph, %, W/m², UV index or rain clicks, or nullopt when it is
// not set.
class AlarmView {
 public:
  AlarmView() = default;
  explicit AlarmView(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Valid() const { return bytes_.size() >= protocol::eeprom::kAlarmBlockSize; }

  std::optional<double> BarRise() const { return Bar(protocol::eeprom::kAlarmBarRise); }
  std::optional<double> BarFall() const { return Bar(protocol::eeprom::kAlarmBarFall); }
  // hour × 100 + minute; nullopt unless the word and its complement agree
  // and hold a time of day.
  std::optional<int> Time() const;
  // Temperature thresholds stored as °F + offset (90, or 120 for dew point
  // and wind chill).
  std::optional<double> Temp(std::uint16_t address, int offset_f = 90) const;
  std::optional<double> Byte(std::uint16_t address) const;
  std::optional<double> Word(std::uint16_t address) const;
  std::optional<double> Uv(std::uint16_t address) const;

 private:
  std::optional<double> Bar(std::uint16_t address) const;
  std::uint8_t U8(std::uint16_t address) const;
  std::uint16_t U16(std::uint16_t address) const;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tv::stationlib
