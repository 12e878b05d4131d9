#include "simulator/eeprom_image.h"

#include <algorithm>

#include "protocol/eeprom_map.h"

namespace tv::sim {

namespace ee = protocol::eeprom;

std::uint16_t EepromImage::U16(std::size_t addr) const {
  return static_cast<std::uint16_t>(bytes_.at(addr) | (bytes_.at(addr + 1) << 8));
}

void EepromImage::SetU16(std::size_t addr, std::uint16_t v) {
  bytes_.at(addr) = static_cast<std::uint8_t>(v & 0xFF);
  bytes_.at(addr + 1) = static_cast<std::uint8_t>(v >> 8);
}

bool EepromImage::Read(std::size_t addr, std::size_t count, std::uint8_t* out) const {
  if (addr > bytes_.size() || count > bytes_.size() - addr) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(addr), count, out);
  return true;
}

bool EepromImage::Write(std::size_t addr, const std::uint8_t* data, std::size_t count) {
  if (addr > bytes_.size() || count > bytes_.size() - addr) return false;
  std::copy_n(data, count, bytes_.begin() + static_cast<std::ptrdiff_t>(addr));
  return true;
}

EepromImage EepromImage::ForScenario(const Scenario& scenario) {
  EepromImage e;
  // Factory calibration (read only on a real console).
  e.SetU16(ee::kBarGain, 1533);
  e.SetU16(ee::kBarOffset, 18110);
  e.SetS16(ee::kBarCal, 0);
  e.SetU16(ee::kHum33, 33 * 100 + 7);
  e.SetU16(ee::kHum80, 80 * 100 + 12);

  // Lyon-Bron: 45.7° N, 4.9° E, 656 ft (200 m), Paris time zone.
  e.SetS16(ee::kLatitude, 457);
  e.SetS16(ee::kLongitude, 49);
  e.SetS16(ee::kElevation, 656);
  e.SetU8(ee::kTimeZone, ee::kTimeZoneParis);
  e.SetU8(ee::kManualOrAuto, 0);
  e.SetU8(ee::kDaylightSavings, 0);
  e.SetS16(ee::kGmtOffset, 100);
  e.SetU8(ee::kGmtOrZone, 0);

  // Transmitters: ISS on ID 1; with extra sensors a temperature/humidity
  // station on ID 2 and a soil/leaf station on ID 3. Other IDs are off.
  std::array<std::uint8_t, ee::kStationListSize> list{};
  for (int id = 0; id < ee::kTransmitterCount; ++id) {
    list[static_cast<std::size_t>(2 * id)] = 0x0A;      // off, no station
    list[static_cast<std::size_t>(2 * id + 1)] = 0xFF;  // no sensor numbers
  }
  list[0] = 0x10;  // ID 1: main suite, normal rate
  std::uint8_t used = 0x01;
  if (scenario.extra_sensors) {
    list[2] = 0x43;  // ID 2: temperature/humidity station, normal rate
    list[3] = 0x00;  // humidity slot 0, temperature slot 0 (extra 1)
    list[4] = 0x18;  // ID 3: soil/leaf station
    list[5] = 0xFF;
    used = 0x07;
  }
  e.Write(ee::kStationList, list.data(), list.size());
  e.SetU8(ee::kUsedTransmitters, used);
  e.SetU8(ee::kRetransmitId, 0);

  // Display units: °C tenths, hPa, mm, metres, km/h.
  const std::uint8_t units = 0x80 | ee::kUnitRainMm | ee::kUnitElevationMeters | 0x0C | 0x02;
  e.SetU8(ee::kUnitBits, units);
  e.SetU8(ee::kUnitBitsComp, static_cast<std::uint8_t>(~units));
  std::uint8_t setup = ee::kSetup24Hour | ee::kSetupDayMonth | ee::kSetupNorth | ee::kSetupEast;
  if (scenario.model_code != 17) setup |= ee::kSetupLargeWindCup;
  setup = ee::SetupBitsWithRainCollector(setup, ee::RainCollector::kFifthMm);
  e.SetU8(ee::kSetupBits, setup);
  e.SetU8(ee::kRainSeasonStart, 1);
  e.SetU8(ee::kArchivePeriod, 10);
  for (std::uint16_t a = 0x2E; a < 0x32; ++a) e.SetU8(a, 0);

  // Calibration offsets.
  e.SetS8(ee::kTempInCal, 5);  // +0.5 °F
  e.SetU8(ee::kTempInComp, static_cast<std::uint8_t>(~e.U8(ee::kTempInCal)));
  e.SetS8(ee::kTempOutCal, -4);  // -0.4 °F
  for (std::size_t i = 0; i < ee::kTempCalCount; ++i) e.SetS8(ee::kTempCal + i, 0);
  e.SetS8(ee::kTempCal, 2);  // extra 1: +0.2 °F
  e.SetS8(ee::kHumInCal, -2);
  for (std::size_t i = 0; i < ee::kHumCalCount; ++i) e.SetS8(ee::kHumCal + i, 0);
  e.SetS8(ee::kHumCal, 3);       // outside humidity +3 %
  e.SetS8(ee::kHumCal + 1, -1);  // extra humidity 1: -1 %
  e.SetS16(ee::kDirCal, -12);
  e.SetU8(ee::kDefaultBarGraph, 0);
  e.SetU8(ee::kDefaultRainGraph, 0);
  e.SetU8(ee::kDefaultSpeedGraph, 0);

  // Alarm thresholds: everything "not set" first, then a selection.
  for (std::size_t i = 0; i < ee::kAlarmBlockSize; ++i) e.SetU8(ee::kAlarmBase + i, 0xFF);
  e.SetU8(ee::kAlarmBarRise, ee::kAlarmBarNotSet);
  e.SetU8(ee::kAlarmBarFall, 60);  // 0.060 inHg in 3 hours
  e.SetU16(ee::kAlarmTime, 715);   // 07:15
  e.SetU16(ee::kAlarmTimeComp, static_cast<std::uint16_t>(~715));
  e.SetU8(ee::kAlarmLowInTemp, 50 + ee::kAlarmTempOffsetF);
  e.SetU8(ee::kAlarmHighOutTemp, 95 + ee::kAlarmTempOffsetF);
  e.SetU8(ee::kAlarmLowOutTemp, 32 + ee::kAlarmTempOffsetF);
  e.SetU8(ee::kAlarmLowTemps + 0, 35 + ee::kAlarmTempOffsetF);   // extra 1
  e.SetU8(ee::kAlarmHighTemps + 0, 90 + ee::kAlarmTempOffsetF);  // extra 1
  e.SetU8(ee::kAlarmLowTemps + 7, 33 + ee::kAlarmTempOffsetF);   // soil 1
  e.SetU8(ee::kAlarmHighInHum, 70);
  e.SetU8(ee::kAlarmHighHums + 0, 97);  // outside humidity
  e.SetU8(ee::kAlarmLowHums + 1, 20);   // extra humidity 1
  e.SetU8(ee::kAlarmLowChill, 14 + ee::kAlarmDewOffsetF);
  e.SetU8(ee::kAlarmHighHeat, 100 + ee::kAlarmTempOffsetF);
  e.SetU8(ee::kAlarmWindSpeed, 40);
  e.SetU8(ee::kAlarmHighUv, 80);  // UV index 8.0
  e.SetU8(ee::kAlarmUvDose, 0);
  e.SetU8(ee::kAlarmLowSoilMoist, 5);
  e.SetU8(ee::kAlarmHighSoilMoist, 120);
  e.SetU8(ee::kAlarmHighLeafWet, 12);
  e.SetU16(ee::kAlarmHighSolar, ee::kAlarmWordNotSet);
  e.SetU16(ee::kAlarmHighRainRate, 200);  // 40 mm/h with 0.2 mm clicks
  e.SetU16(ee::kAlarmRain15Min, 25);      // 5 mm
  e.SetU16(ee::kAlarmRain24Hour, 150);    // 30 mm
  e.SetU16(ee::kAlarmStormTotal, ee::kAlarmWordNotSet);
  e.SetU8(ee::kAlarmDailyEt, ee::kAlarmByteNotSet);

  e.SetU8(ee::kLogAverageTemps, 1);
  return e;
}

}  // namespace tv::sim
