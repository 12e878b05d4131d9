#include "stationlib/records.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "protocol/eeprom_map.h"
#include "protocol/packets.h"

namespace tv::stationlib {

namespace ee = tv::protocol::eeprom;

namespace {

template <typename T>
void Put(void* record, std::size_t offset, T value) {
  std::memcpy(static_cast<std::uint8_t*>(record) + offset, &value, sizeof value);
}

std::optional<long> WholeNumber(const std::string& token) {
  if (token.empty()) return std::nullopt;
  char* end = nullptr;
  const long v = std::strtol(token.c_str(), &end, 10);
  if (end == token.c_str() || *end != '\0') return std::nullopt;
  return v;
}

// A value in thousandths: "29.775" → 29775, "29775" → 29775.
std::optional<std::int32_t> Thousandths(const std::string& token) {
  if (token.find('.') == std::string::npos) {
    const auto v = WholeNumber(token);
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
  }
  // The console always writes a decimal point: parse without the locale.
  double v = 0;
  const char* last = token.data() + token.size();
  const auto [end, error] = std::from_chars(token.data(), last, v, std::chars_format::fixed);
  if (error != std::errc{} || end != last || !std::isfinite(v) || std::fabs(v) > 2e6) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(v * 1000.0 + (v < 0 ? -0.5 : 0.5));
}

}  // namespace

std::optional<ClockTime> DecodeTimeBlock(const std::vector<std::uint8_t>& block) {
  if (block.size() < protocol::kTimeBlockSize) return std::nullopt;
  ClockTime t;
  t.second = block[0];
  t.minute = block[1];
  t.hour = block[2];
  t.day = block[3];
  t.month = block[4];
  t.year = block[5] + 1900;
  if (t.second > 59 || t.minute > 59 || t.hour > 23 || t.day < 1 || t.day > 31 || t.month < 1 ||
      t.month > 12) {
    return std::nullopt;
  }
  return t;
}

std::optional<ClockTime> ParseFirmwareDate(const std::string& line) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::istringstream in(line);
  std::string month, day, year;
  if (!(in >> month >> day >> year)) return std::nullopt;
  ClockTime t;
  for (int m = 0; m < 12; ++m) {
    if (month == kMonths[m]) t.month = m + 1;
  }
  const auto d = WholeNumber(day);
  const auto y = WholeNumber(year);
  if (t.month < 0 || !d || !y || *d < 1 || *d > 31 || *y < 1990 || *y > 2100) return std::nullopt;
  t.day = static_cast<int>(*d);
  t.year = static_cast<int>(*y);
  return t;
}

std::optional<std::array<std::int32_t, 5>> ParseRxCheck(const std::string& line) {
  std::istringstream in(line);
  std::array<std::int32_t, 5> counters{};
  for (auto& c : counters) {
    std::string token;
    if (!(in >> token)) return std::nullopt;
    const auto v = WholeNumber(token);
    if (!v) return std::nullopt;
    c = static_cast<std::int32_t>(*v);
  }
  return counters;
}

std::optional<BarometerData> ParseBarData(const std::vector<std::string>& lines) {
  BarometerData d;
  int seen = 0;
  for (const std::string& raw : lines) {
    const std::size_t end = raw.find_last_not_of(' ');
    if (end == std::string::npos) continue;
    const std::string line = raw.substr(0, end + 1);
    const std::size_t space = line.find_last_of(' ');
    if (space == std::string::npos) return std::nullopt;
    const std::size_t name_end = line.find_last_not_of(' ', space);
    const std::size_t name_begin = line.find_first_not_of(' ');
    if (name_end == std::string::npos || name_begin > name_end) return std::nullopt;
    const std::string name = line.substr(name_begin, name_end - name_begin + 1);
    const std::string token = line.substr(space + 1);
    const auto value = Thousandths(token);
    const auto whole = WholeNumber(token);
    if (!value) return std::nullopt;
    const std::int32_t w = whole ? static_cast<std::int32_t>(*whole) : *value / 1000;
    if (name == "BAR") {
      d.bar = *value;
    } else if (name == "ELEVATION") {
      d.elevation = w;
    } else if (name == "DEW POINT") {
      d.dew_point = w;
    } else if (name == "VIRTUAL TEMP") {
      d.virtual_temp = w;
    } else if (name == "C") {
      d.c_factor = w;
    } else if (name == "R") {
      d.ratio = *value;
    } else if (name == "BARCAL") {
      d.barcal = *value;
    } else if (name == "GAIN") {
      d.gain = w;
    } else if (name == "OFFSET") {
      d.offset = w;
    } else {
      continue;
    }
    ++seen;
  }
  if (seen == 0) return std::nullopt;
  return d;
}

void WriteDateTime(VantageDateTime* out, const ClockTime& t) {
  out->Minute = t.minute;
  out->Hour = t.hour;
  out->Day = t.day;
  out->Month = t.month;
  out->Year = t.year;
}

void FillPosition(void* record, std::int16_t tenths) {
  const int abs_tenths = tenths < 0 ? -tenths : tenths;
  Put<std::uint16_t>(record, 0, 0);
  Put<float>(record, 4, static_cast<float>(tenths / 10.0));
  Put<std::uint16_t>(record, 8, tenths < 0 ? 1 : 0);
  Put<std::uint16_t>(record, 10, static_cast<std::uint16_t>(abs_tenths / 10));
  // A tenth of a degree is exactly six minutes: the seconds are always 0.
  Put<std::uint16_t>(record, 12, static_cast<std::uint16_t>(abs_tenths % 10 * 6));
  Put<std::uint16_t>(record, 14, 0);
}

void FillTimeZone(void* record12, const SetupView& setup) {
  const bool uses_offset = setup.U8(ee::kGmtOrZone) == 1;
  Put<std::uint16_t>(record12, 0, uses_offset ? 0 : 1);
  Put<std::uint16_t>(record12, 2, setup.U8(ee::kTimeZone));
  Put<float>(record12, 4, static_cast<float>(setup.S16(ee::kGmtOffset) / ee::kGmtOffsetScale));
  Put<std::uint16_t>(record12, 8, setup.U8(ee::kManualOrAuto) == 1 ? 0 : 1);
  Put<std::uint16_t>(record12, 10, setup.U8(ee::kDaylightSavings) == 1 ? 1 : 0);
}

void FillReception(void* record20, const std::array<std::int32_t, 5>& counters) {
  for (std::size_t i = 0; i < counters.size(); ++i) Put<std::int32_t>(record20, 4 * i, counters[i]);
}

void FillBarometer(void* record28, const BarometerData& d) {
  Put<std::int32_t>(record28, 0, d.bar);
  Put<std::int32_t>(record28, 4, d.elevation);
  Put<std::int32_t>(record28, 8, d.dew_point);
  Put<std::int32_t>(record28, 12, d.virtual_temp);
  Put<std::int32_t>(record28, 16, d.c_factor);
  Put<std::int32_t>(record28, 20, d.ratio);
  Put<float>(record28, 24, static_cast<float>(d.barcal / 1000.0));
}

std::int32_t TransmitterKind(const SetupView& setup, int id) {
  if (id < 1 || id > ee::kTransmitterCount) return 0;
  if (setup.U8(ee::kRetransmitId) == id) return 12;
  const std::uint8_t first = setup.U8(static_cast<std::uint16_t>(ee::kStationList + 2 * (id - 1)));
  const int period = first >> 4;
  if (period == 0) return 0;  // transmit period 0: off
  // A temperature or temperature/humidity station sending at the main suite's
  // rate (period code 1) is a main sensor suite standing in for that station.
  const bool iss_rate = period == 1;
  switch (static_cast<ee::StationType>(first & 0x0F)) {
    case ee::StationType::kIss:
      return 1;
    case ee::StationType::kTemp:
      return iss_rate ? 4 : 2;
    case ee::StationType::kHum:
    case ee::StationType::kTempHum:
      return iss_rate ? 5 : 3;
    case ee::StationType::kWind:
      return 7;
    case ee::StationType::kRain:
      return 13;
    case ee::StationType::kLeaf:
      return 8;
    case ee::StationType::kSoil:
      return 9;
    case ee::StationType::kSoilLeaf:
      return 10;
    case ee::StationType::kDataLink:
      return 11;
    default:
      return 0;
  }
}

void FillTxConfig(void* record56, const SetupView& setup) {
  for (int id = 1; id <= 7; ++id) {
    const std::int32_t kind = TransmitterKind(setup, id);
    Put<std::int32_t>(record56, static_cast<std::size_t>(4 * (id - 1)), kind);
    Put<std::int32_t>(record56, static_cast<std::size_t>(28 + 4 * (id - 1)), kind != 0 ? id : 0);
  }
}

void FillCalibration(void* record20, const SetupView& setup) {
  const int in = setup.S8(ee::kTempInCal);
  const int out = setup.S8(ee::kTempOutCal);
  Put<std::int16_t>(record20, 0, static_cast<std::int16_t>(in));
  Put<std::int16_t>(record20, 2, static_cast<std::int16_t>(out));
  Put<std::int16_t>(record20, 4, setup.WindDirOffset());
  Put<float>(record20, 10, static_cast<float>(32.0 + in / 10.0));
  Put<float>(record20, 14, static_cast<float>(32.0 + out / 10.0));
  Put<std::uint8_t>(record20, 18, setup.U8(ee::kHumInCal));
  Put<std::uint8_t>(record20, 19, setup.U8(ee::kHumCal));
}

}  // namespace tv::stationlib
