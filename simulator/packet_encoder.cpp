#include "simulator/packet_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "protocol/commands.h"
#include "protocol/crc.h"
#include "protocol/eeprom_map.h"
#include "protocol/packets.h"

namespace tv::sim {

namespace p = protocol;

namespace {

class Writer {
 public:
  explicit Writer(std::size_t size) : bytes_(size, 0) {}
  void U8(std::size_t off, int v) { bytes_.at(off) = static_cast<std::uint8_t>(v & 0xFF); }
  void U16(std::size_t off, long v) {
    const auto u = static_cast<std::uint16_t>(v & 0xFFFF);
    bytes_.at(off) = static_cast<std::uint8_t>(u & 0xFF);
    bytes_.at(off + 1) = static_cast<std::uint8_t>(u >> 8);
  }
  std::vector<std::uint8_t> Finish() {
    p::AppendCrc(bytes_);
    return std::move(bytes_);
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

long Scaled(const Value& v, double scale, long dash, long lo, long hi) {
  if (!v) return dash;
  return std::clamp(std::lround(*v * scale), lo, hi);
}
// 1-byte sensor: whole units, 255 when dashed.
int Byte(const Value& v) {
  return static_cast<int>(Scaled(v, 1.0, p::kDashByte, 0, 254));
}
// 1-byte temperature: whole °F + 90.
int ByteTemp(const Value& v) {
  if (!v) return p::kDashByte;
  return static_cast<int>(std::clamp(std::lround(*v) + p::kByteTempOffsetF, 0L, 254L));
}
long Temp10(const Value& v, long dash = p::kDashTemp16) {
  return Scaled(v, 10.0, dash, -32767, 32766);
}
long Word(const Value& v, double scale = 1.0, long dash = p::kDashWord) {
  return Scaled(v, scale, dash, 0, 0xFFFE);
}
long Derived(const Value& v) {  // whole °F, low byte 0xFF when dashed
  if (!v) return p::kDashDerivedLowByte;
  long x = std::lround(*v);
  if ((x & 0xFF) == 0xFF) x += 1;  // never collide with the dash pattern
  return x;
}
long StormDate(const Value& v) {
  if (!v) return p::kDashStormDate;
  const long ymd = std::lround(*v);
  return EncodeStormDate(static_cast<int>(ymd / 10000), static_cast<int>(ymd / 100 % 100),
                         static_cast<int>(ymd % 100));
}

void CommonHead(Writer& w, const Readings& r, int type) {
  w.U8(0, 'L');
  w.U8(1, 'O');
  w.U8(2, 'O');
  w.U8(3, r.bar_trend ? static_cast<int>(std::lround(*r.bar_trend)) : 5);
  w.U8(4, type);
  w.U16(7, Word(r.barometer, 1000.0, p::kDashBarometer));
  w.U16(9, Temp10(r.inside_temp));
  w.U8(11, Byte(r.inside_hum));
  w.U16(12, Temp10(r.outside_temp));
  w.U8(14, Byte(r.wind_speed));
  w.U16(16, Word(r.wind_dir, 1.0, p::kDashWindDir));
  w.U8(33, Byte(r.outside_hum));
  w.U16(41, Word(r.rain_rate));
  w.U8(43, static_cast<int>(Scaled(r.uv, 10.0, p::kDashByte, 0, 254)));
  w.U16(44, Word(r.solar, 1.0, p::kDashSolar));
  w.U16(46, Word(r.storm_rain));
  w.U16(48, StormDate(r.storm_start));
  w.U16(50, Word(r.day_rain));
  w.U16(56, Word(r.day_et, 1000.0));
  w.U8(95, p::kLf);
  w.U8(96, p::kCr);
}

long TimeOf(const Value& v) {
  return Word(v);
}

long LowTemp(const Value& v, double scale) {
  return Scaled(v, scale, p::kDashTemp16, -32767, 32766);
}
long HighTemp(const Value& v, double scale) {
  return Scaled(v, scale, p::kDashHighTemp16, -32767, 32766);
}

}  // namespace

std::uint16_t EncodeStormDate(int year, int month, int day) {
  return static_cast<std::uint16_t>((month << 12) | (day << 7) | ((year - 2000) & 0x7F));
}

std::vector<std::uint8_t> EncodeLoop(const Readings& r) {
  Writer w(p::kLoopCrcCoverage);
  CommonHead(w, r, p::kLoopType);
  w.U16(5, r.archive_pointer ? std::lround(*r.archive_pointer) : 0);
  w.U8(15, Byte(r.wind_avg10));
  for (std::size_t i = 0; i < 7; ++i) {
    w.U8(18 + i, ByteTemp(r.extra_temp[i]));
    w.U8(34 + i, Byte(r.extra_hum[i]));
  }
  for (std::size_t i = 0; i < 4; ++i) {
    w.U8(25 + i, ByteTemp(r.soil_temp[i]));
    w.U8(29 + i, ByteTemp(r.leaf_temp[i]));
    w.U8(62 + i, Byte(r.soil_moist[i]));
    w.U8(66 + i, Byte(r.leaf_wet[i]));
  }
  w.U16(52, Word(r.month_rain));
  w.U16(54, Word(r.year_rain));
  w.U16(58, Word(r.month_et, 100.0));
  w.U16(60, Word(r.year_et, 100.0));
  auto bits = [](const Value& v) { return v ? static_cast<long>(std::lround(*v)) : 0L; };
  w.U8(70, static_cast<int>(bits(r.alarm_inside)));
  w.U8(71, static_cast<int>(bits(r.alarm_rain)));
  w.U16(72, bits(r.alarm_outside));
  for (std::size_t i = 0; i < 8; ++i) w.U8(74 + i, static_cast<int>(bits(r.alarm_extra[i])));
  for (std::size_t i = 0; i < 4; ++i) w.U8(82 + i, static_cast<int>(bits(r.alarm_soilleaf[i])));
  w.U8(86, static_cast<int>(bits(r.tx_battery)));
  w.U16(87, Word(r.console_battery, 51200.0 / 300.0, 0));
  w.U8(89, static_cast<int>(bits(r.forecast_icons)));
  w.U8(90, static_cast<int>(bits(r.forecast_rule)));
  w.U16(91, TimeOf(r.sunrise));
  w.U16(93, TimeOf(r.sunset));
  return w.Finish();
}

std::vector<std::uint8_t> EncodeLoop2(const Readings& r, int minute_of_hour) {
  Writer w(p::kLoopCrcCoverage);
  CommonHead(w, r, p::kLoop2Type);
  w.U16(5, p::kLoop2Unused16);
  w.U8(15, p::kLoop2Unused8);
  w.U16(18, Word(r.wind_avg10, 10.0));
  w.U16(20, Word(r.wind_avg2, 10.0));
  w.U16(22, Word(r.wind_gust10, 1.0, p::kDashByte));
  w.U16(24, Word(r.wind_gust10_dir, 1.0, p::kDashWindDir));
  w.U16(26, p::kLoop2Unused16);
  w.U16(28, p::kLoop2Unused16);
  w.U16(30, Derived(r.dew_point));
  w.U8(32, p::kLoop2Unused8);
  w.U8(34, p::kLoop2Unused8);
  w.U16(35, Derived(r.heat_index));
  w.U16(37, Derived(r.wind_chill));
  w.U16(39, Derived(r.thsw));
  w.U16(52, Word(r.rain_15min));
  w.U16(54, Word(r.rain_1h));
  w.U16(58, Word(r.rain_24h));
  w.U8(60, r.bar_reduction ? static_cast<int>(std::lround(*r.bar_reduction)) : 2);
  w.U16(61, Scaled(r.bar_offset, 1000.0, 0, -32768, 32767));
  w.U16(63, Scaled(r.bar_cal, 1000.0, 0, -32768, 32767));
  w.U16(65, Word(r.bar_raw, 1000.0, p::kDashBarometer));
  w.U16(67, Word(r.bar_abs, 1000.0, p::kDashBarometer));
  w.U16(69, Word(r.altimeter, 1000.0, p::kDashBarometer));
  w.U8(71, p::kLoop2Unused8);
  w.U8(72, 0);
  w.U8(79, minute_of_hour);  // graph pointer: minute-in-hour index
  for (std::size_t off = 83; off < 95; off += 2) w.U16(off, p::kLoop2Unused16);
  return w.Finish();
}

std::vector<std::uint8_t> EncodeHiLows(const HiLows& h) {
  Writer w(p::kHilowsDataSize);
  auto bar = [](const Value& v) { return Word(v, 1000.0, p::kDashBarometer); };
  w.U16(0, bar(h.barometer.day_low));
  w.U16(2, bar(h.barometer.day_high));
  w.U16(4, bar(h.barometer.month_low));
  w.U16(6, bar(h.barometer.month_high));
  w.U16(8, bar(h.barometer.year_low));
  w.U16(10, bar(h.barometer.year_high));
  w.U16(12, TimeOf(h.barometer.day_low_time));
  w.U16(14, TimeOf(h.barometer.day_high_time));
  w.U8(16, Byte(h.wind_speed.day_high));
  w.U16(17, TimeOf(h.wind_speed.day_high_time));
  w.U8(19, Byte(h.wind_speed.month_high));
  w.U8(20, Byte(h.wind_speed.year_high));

  const Extremes& it = h.inside_temp;
  w.U16(21, HighTemp(it.day_high, 10.0));
  w.U16(23, LowTemp(it.day_low, 10.0));
  w.U16(25, TimeOf(it.day_high_time));
  w.U16(27, TimeOf(it.day_low_time));
  w.U16(29, LowTemp(it.month_low, 10.0));
  w.U16(31, HighTemp(it.month_high, 10.0));
  w.U16(33, LowTemp(it.year_low, 10.0));
  w.U16(35, HighTemp(it.year_high, 10.0));

  const Extremes& ih = h.inside_hum;
  w.U8(37, Byte(ih.day_high));
  w.U8(38, Byte(ih.day_low));
  w.U16(39, TimeOf(ih.day_high_time));
  w.U16(41, TimeOf(ih.day_low_time));
  w.U8(43, Byte(ih.month_high));
  w.U8(44, Byte(ih.month_low));
  w.U8(45, Byte(ih.year_high));
  w.U8(46, Byte(ih.year_low));

  const Extremes& ot = h.outside_temp;
  w.U16(47, LowTemp(ot.day_low, 10.0));
  w.U16(49, HighTemp(ot.day_high, 10.0));
  w.U16(51, TimeOf(ot.day_low_time));
  w.U16(53, TimeOf(ot.day_high_time));
  w.U16(55, HighTemp(ot.month_high, 10.0));
  w.U16(57, LowTemp(ot.month_low, 10.0));
  w.U16(59, HighTemp(ot.year_high, 10.0));
  w.U16(61, LowTemp(ot.year_low, 10.0));

  const Extremes& dp = h.dew_point;
  w.U16(63, LowTemp(dp.day_low, 1.0));
  w.U16(65, HighTemp(dp.day_high, 1.0));
  w.U16(67, TimeOf(dp.day_low_time));
  w.U16(69, TimeOf(dp.day_high_time));
  w.U16(71, HighTemp(dp.month_high, 1.0));
  w.U16(73, LowTemp(dp.month_low, 1.0));
  w.U16(75, HighTemp(dp.year_high, 1.0));
  w.U16(77, LowTemp(dp.year_low, 1.0));

  w.U16(79, LowTemp(h.wind_chill.day_low, 1.0));
  w.U16(81, TimeOf(h.wind_chill.day_low_time));
  w.U16(83, LowTemp(h.wind_chill.month_low, 1.0));
  w.U16(85, LowTemp(h.wind_chill.year_low, 1.0));

  w.U16(87, HighTemp(h.heat_index.day_high, 1.0));
  w.U16(89, TimeOf(h.heat_index.day_high_time));
  w.U16(91, HighTemp(h.heat_index.month_high, 1.0));
  w.U16(93, HighTemp(h.heat_index.year_high, 1.0));

  w.U16(95, HighTemp(h.thsw.day_high, 1.0));
  w.U16(97, TimeOf(h.thsw.day_high_time));
  w.U16(99, HighTemp(h.thsw.month_high, 1.0));
  w.U16(101, HighTemp(h.thsw.year_high, 1.0));

  w.U16(103, Word(h.solar.day_high, 1.0, p::kDashSolar));
  w.U16(105, TimeOf(h.solar.day_high_time));
  w.U16(107, Word(h.solar.month_high, 1.0, p::kDashSolar));
  w.U16(109, Word(h.solar.year_high, 1.0, p::kDashSolar));

  auto uv = [](const Value& v) { return static_cast<int>(Scaled(v, 10.0, p::kDashByte, 0, 254)); };
  w.U8(111, uv(h.uv.day_high));
  w.U16(112, TimeOf(h.uv.day_high_time));
  w.U8(114, uv(h.uv.month_high));
  w.U8(115, uv(h.uv.year_high));

  w.U16(116, Word(h.rain_rate.day_high));
  w.U16(118, TimeOf(h.rain_rate.day_high_time));
  w.U16(120, Word(h.rain_rate.hour_high));
  w.U16(122, Word(h.rain_rate.month_high));
  w.U16(124, Word(h.rain_rate.year_high));

  // 15 one-byte temperatures: extra 1–7, soil 1–4, leaf 1–4.
  const Extremes* temps[15];
  for (std::size_t i = 0; i < 7; ++i) temps[i] = &h.extra_temp[i];
  for (std::size_t i = 0; i < 4; ++i) temps[7 + i] = &h.soil_temp[i];
  for (std::size_t i = 0; i < 4; ++i) temps[11 + i] = &h.leaf_temp[i];
  for (std::size_t i = 0; i < 15; ++i) {
    w.U8(126 + i, ByteTemp(temps[i]->day_low));
    w.U8(141 + i, ByteTemp(temps[i]->day_high));
    w.U16(156 + 2 * i, TimeOf(temps[i]->day_low_time));
    w.U16(186 + 2 * i, TimeOf(temps[i]->day_high_time));
    w.U8(216 + i, ByteTemp(temps[i]->month_high));
    w.U8(231 + i, ByteTemp(temps[i]->month_low));
    w.U8(246 + i, ByteTemp(temps[i]->year_high));
    w.U8(261 + i, ByteTemp(temps[i]->year_low));
  }
  // 8 humidities: outside, extra 1–7.
  const Extremes* hums[8];
  hums[0] = &h.outside_hum;
  for (std::size_t i = 0; i < 7; ++i) hums[1 + i] = &h.extra_hum[i];
  for (std::size_t i = 0; i < 8; ++i) {
    w.U8(276 + i, Byte(hums[i]->day_low));
    w.U8(284 + i, Byte(hums[i]->day_high));
    w.U16(292 + 2 * i, TimeOf(hums[i]->day_low_time));
    w.U16(308 + 2 * i, TimeOf(hums[i]->day_high_time));
    w.U8(324 + i, Byte(hums[i]->month_high));
    w.U8(332 + i, Byte(hums[i]->month_low));
    w.U8(340 + i, Byte(hums[i]->year_high));
    w.U8(348 + i, Byte(hums[i]->year_low));
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const Extremes& sm = h.soil_moist[i];
    w.U8(356 + i, Byte(sm.day_high));
    w.U16(360 + 2 * i, TimeOf(sm.day_high_time));
    w.U8(368 + i, Byte(sm.day_low));
    w.U16(372 + 2 * i, TimeOf(sm.day_low_time));
    w.U8(380 + i, Byte(sm.month_low));
    w.U8(384 + i, Byte(sm.month_high));
    w.U8(388 + i, Byte(sm.year_low));
    w.U8(392 + i, Byte(sm.year_high));
    const Extremes& lw = h.leaf_wet[i];
    w.U8(396 + i, Byte(lw.day_high));
    w.U16(400 + 2 * i, TimeOf(lw.day_high_time));
    w.U8(408 + i, Byte(lw.day_low));
    w.U16(412 + 2 * i, TimeOf(lw.day_low_time));
    w.U8(420 + i, Byte(lw.month_low));
    w.U8(424 + i, Byte(lw.month_high));
    w.U8(428 + i, Byte(lw.year_low));
    w.U8(432 + i, Byte(lw.year_high));
  }
  return w.Finish();
}

std::vector<std::uint8_t> EncodeTime(const ConsoleTime& t) {
  Writer w(p::kTimeBlockSize);
  w.U8(0, t.second);
  w.U8(1, t.minute);
  w.U8(2, t.hour);
  w.U8(3, t.day);
  w.U8(4, t.month);
  w.U8(5, t.year - 1900);
  return w.Finish();
}

std::vector<std::uint8_t> EncodeCalibration(const Readings& r) {
  Writer w(p::kCalibrationBlockSize);
  w.U16(0, Temp10(r.inside_temp));
  w.U16(2, Temp10(r.outside_temp));
  for (std::size_t i = 0; i < 7; ++i) w.U16(4 + 2 * i, Temp10(r.extra_temp[i]));
  for (std::size_t i = 0; i < 4; ++i) w.U16(18 + 2 * i, Temp10(r.soil_temp[i]));
  for (std::size_t i = 0; i < 4; ++i) w.U16(26 + 2 * i, Temp10(r.leaf_temp[i]));
  w.U8(34, Byte(r.inside_hum));
  w.U8(35, Byte(r.outside_hum));
  for (std::size_t i = 0; i < 7; ++i) w.U8(36 + i, Byte(r.extra_hum[i]));
  return w.Finish();
}

BarData MakeBarData(const Readings& r, const EepromImage& e) {
  BarData b{};
  b.bar = r.barometer ? static_cast<int>(std::lround(*r.barometer * 1000.0)) : 0;
  b.elevation = e.S16(p::eeprom::kElevation);
  b.dew_point = r.dew_point ? static_cast<int>(std::lround(*r.dew_point)) : 0;
  b.virtual_temp = r.outside_temp ? static_cast<int>(std::lround(*r.outside_temp)) : 0;
  b.c = 29;
  b.r = 1000 + b.elevation * 1000 / 27000;
  b.barcal = e.S16(p::eeprom::kBarCal);
  b.gain = e.U16(p::eeprom::kBarGain);
  b.offset = e.U16(p::eeprom::kBarOffset);
  return b;
}

std::string EncodeRxCheck(const RxStats& rx) {
  char line[128];
  std::snprintf(line, sizeof line, " %lld %lld %lld %lld %lld", rx.total, rx.missed, rx.resync,
                rx.longest, rx.crc_errors);
  return EncodeTextLine(line);
}

std::string EncodeBarData(const BarData& b) {
  std::string out(p::kOkPrefix);
  const std::pair<const char*, int> lines[] = {
      {"BAR", b.bar},
      {"ELEVATION", b.elevation},
      {"DEW POINT", b.dew_point},
      {"VIRTUAL TEMP", b.virtual_temp},
      {"C", b.c},
      {"R", b.r},
      {"BARCAL", b.barcal},
      {"GAIN", b.gain},
      {"OFFSET", b.offset},
  };
  for (const auto& [name, value] : lines) {
    out += name;
    out += ' ';
    out += std::to_string(value);
    out += p::kLineEnd;
  }
  return out;
}

std::string EncodeTextLine(const std::string& line) {
  std::string out(p::kOkPrefix);
  out += line;
  out += p::kLineEnd;
  return out;
}

}  // namespace tv::sim
