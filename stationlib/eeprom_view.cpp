#include "stationlib/eeprom_view.h"

namespace tv::stationlib {

namespace ee = tv::protocol::eeprom;

std::uint8_t SetupView::U8(std::uint16_t address) const {
  return address < bytes_.size() ? bytes_[address] : 0;
}

std::int16_t SetupView::S16(std::uint16_t address) const {
  return static_cast<std::int16_t>(U8(address) | (U8(address + 1) << 8));
}

double SetupView::ClickMm() const {
  const auto collector = ee::RainCollectorFromSetupBits(SetupBits());
  return ee::ClickSizeMm(collector.value_or(ee::RainCollector::kHundredthInch));
}

int SetupView::WindCupCode() const {
  return (SetupBits() & ee::kSetupLargeWindCup) != 0 ? 1 : 2;
}

std::uint8_t AlarmView::U8(std::uint16_t address) const {
  const std::size_t at = static_cast<std::size_t>(address - ee::kAlarmBase);
  return at < bytes_.size() ? bytes_[at] : ee::kAlarmByteNotSet;
}

std::uint16_t AlarmView::U16(std::uint16_t address) const {
  return static_cast<std::uint16_t>(U8(address) | (U8(address + 1) << 8));
}

std::optional<double> AlarmView::Bar(std::uint16_t address) const {
  const std::uint8_t raw = U8(address);
  if (raw == ee::kAlarmBarNotSet) return std::nullopt;
  return raw / 1000.0;
}

std::optional<int> AlarmView::Time() const {
  const std::uint16_t time = U16(ee::kAlarmTime);
  const std::uint16_t comp = U16(ee::kAlarmTimeComp);
  if (time == ee::kAlarmWordNotSet || static_cast<std::uint16_t>(time ^ comp) != 0xFFFF) {
    return std::nullopt;
  }
  if (time / 100 > 23 || time % 100 > 59) return std::nullopt;
  return time;
}

std::optional<double> AlarmView::Temp(std::uint16_t address, int offset_f) const {
  const std::uint8_t raw = U8(address);
  if (raw == ee::kAlarmByteNotSet) return std::nullopt;
  return static_cast<double>(raw) - offset_f;
}

std::optional<double> AlarmView::Byte(std::uint16_t address) const {
  const std::uint8_t raw = U8(address);
  if (raw == ee::kAlarmByteNotSet) return std::nullopt;
  return raw;
}

std::optional<double> AlarmView::Word(std::uint16_t address) const {
  const std::uint16_t raw = U16(address);
  if (raw == ee::kAlarmWordNotSet) return std::nullopt;
  return raw;
}

std::optional<double> AlarmView::Uv(std::uint16_t address) const {
  const auto raw = Byte(address);
  if (!raw) return std::nullopt;
  return *raw / 10.0;
}

}  // namespace tv::stationlib
