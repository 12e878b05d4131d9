#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/eeprom_image.h"
#include "simulator/readings.h"
#include "simulator/weather_model.h"

// The console's replies, encoded from the model. Binary blocks come with their
// CRC (high byte first) and without the ACK that precedes them on the wire;
// text replies come whole, "OK" framing included.
namespace tv::sim {

std::vector<std::uint8_t> EncodeLoop(const Readings& r);
std::vector<std::uint8_t> EncodeLoop2(const Readings& r, int minute_of_hour);
std::vector<std::uint8_t> EncodeHiLows(const HiLows& h);
std::vector<std::uint8_t> EncodeTime(const ConsoleTime& t);
std::vector<std::uint8_t> EncodeCalibration(const Readings& r);
// The LOOP storm start date: bits 15–12 month, 11–7 day, 6–0 year − 2000.
std::uint16_t EncodeStormDate(int year, int month, int day);

// The nine BARDATA numbers, as sent.
struct BarData {
  int bar, elevation, dew_point, virtual_temp, c, r, barcal, gain, offset;
};
BarData MakeBarData(const Readings& r, const EepromImage& e);

std::string EncodeRxCheck(const RxStats& rx);
std::string EncodeBarData(const BarData& b);
std::string EncodeTextLine(const std::string& line);  // "OK" framing and one line

}  // namespace tv::sim
