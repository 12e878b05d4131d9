#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/packets.h"
#include "simulator/scenario.h"

namespace tv::sim {

// The console's EEPROM as the simulator keeps it.
class EepromImage {
 public:
  EepromImage() { bytes_.fill(0xFF); }

  // A plausible station for the scenario: position near Lyon, elevation,
  // Paris time zone, 0.2 mm rain collector, transmitters, calibration offsets
  // and alarm thresholds of which some are not set.
  static EepromImage ForScenario(const Scenario& scenario);

  std::uint8_t U8(std::size_t addr) const { return bytes_.at(addr); }
  std::int8_t S8(std::size_t addr) const { return static_cast<std::int8_t>(bytes_.at(addr)); }
  std::uint16_t U16(std::size_t addr) const;
  std::int16_t S16(std::size_t addr) const { return static_cast<std::int16_t>(U16(addr)); }

  void SetU8(std::size_t addr, std::uint8_t v) { bytes_.at(addr) = v; }
  void SetS8(std::size_t addr, std::int8_t v) { bytes_.at(addr) = static_cast<std::uint8_t>(v); }
  void SetU16(std::size_t addr, std::uint16_t v);
  void SetS16(std::size_t addr, std::int16_t v) { SetU16(addr, static_cast<std::uint16_t>(v)); }

  // Reads/writes `count` bytes; false (and nothing done) when the range runs
  // past the end of the EEPROM.
  bool Read(std::size_t addr, std::size_t count, std::uint8_t* out) const;
  bool Write(std::size_t addr, const std::uint8_t* data, std::size_t count);

  const std::array<std::uint8_t, protocol::kEepromSize>& Bytes() const { return bytes_; }

 private:
  std::array<std::uint8_t, protocol::kEepromSize> bytes_;
};

}  // namespace tv::sim
