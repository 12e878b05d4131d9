#include "tests/support/console_decoder.h"

#include <string_view>

#include "protocol/block_check.h"

namespace tv::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
  unsigned U8(std::size_t off) const { return b_[off]; }
  unsigned U16(std::size_t off) const { return b_[off] | (b_[off + 1] << 8); }
  int S16(std::size_t off) const { return static_cast<std::int16_t>(U16(off)); }

 private:
  std::span<const std::uint8_t> b_;
};

using V = std::optional<double>;

V Dash(bool dashed, double v) {
  return dashed ? std::nullopt : V(v);
}

bool CheckFrame(std::span<const std::uint8_t> block, std::size_t data_size, DecodeResult& r) {
  const protocol::BlockStatus s = protocol::CheckBlock(block, data_size);
  if (s != protocol::BlockStatus::kOk) {
    r.error = std::string(protocol::BlockStatusText(s));
    return false;
  }
  return true;
}

// Fields LOOP and LOOP2 share at the same offsets.
void DecodeCommon(const Reader& p, Decoded& v) {
  v["bar_trend"] = static_cast<std::int8_t>(p.U8(3));
  v["barometer"] = Dash(p.U16(7) == 0, p.U16(7) / 1000.0);
  v["inside_temp"] = Dash(p.S16(9) == 32767, p.S16(9) / 10.0);
  v["inside_hum"] = Dash(p.U8(11) == 255, p.U8(11));
  v["outside_temp"] = Dash(p.S16(12) == 32767, p.S16(12) / 10.0);
  v["wind_speed"] = Dash(p.U8(14) == 255, p.U8(14));
  v["wind_dir"] = Dash(p.U16(16) == 0 || p.U16(16) == 0x7FFF, p.U16(16));
  v["outside_hum"] = Dash(p.U8(33) == 255, p.U8(33));
  v["rain_rate"] = Dash(p.U16(41) == 0xFFFF, p.U16(41));
  v["uv"] = Dash(p.U8(43) == 255, p.U8(43) / 10.0);
  v["solar"] = Dash(p.U16(44) == 0x7FFF, p.U16(44));
  v["storm_rain"] = Dash(p.U16(46) == 0xFFFF, p.U16(46));
  const unsigned sd = p.U16(48);
  v["storm_start"] =
      Dash(sd == 0xFFFF, 10000.0 * ((sd & 0x7F) + 2000) + 100.0 * (sd >> 12) + ((sd >> 7) & 0x1F));
  v["day_rain"] = Dash(p.U16(50) == 0xFFFF, p.U16(50));
  v["day_et"] = Dash(p.U16(56) == 0xFFFF, p.U16(56) / 1000.0);
}

bool CheckLoopFrame(std::span<const std::uint8_t> block, unsigned type, DecodeResult& r) {
  if (!CheckFrame(block, 97, r)) return false;
  if (block[0] != 'L' || block[1] != 'O' || block[2] != 'O') {
    r.error = "bad signature";
    return false;
  }
  if (block[4] != type) {
    r.error = "wrong packet type";
    return false;
  }
  if (block[95] != 0x0A || block[96] != 0x0D) {
    r.error = "bad trailer";
    return false;
  }
  return true;
}

V ByteTemp(unsigned b) {
  return Dash(b == 255, static_cast<double>(b) - 90.0);
}
V Byte(unsigned b) {
  return Dash(b == 255, b);
}
V Time(unsigned t) {
  return Dash(t == 0xFFFF, t);
}
V LowTemp(int t, double div) {
  return Dash(t == 32767 || t == -32768, t / div);
}

}  // namespace

DecodeResult DecodeLoop(std::span<const std::uint8_t> block) {
  DecodeResult r;
  if (!CheckLoopFrame(block, 0, r)) return r;
  const Reader p(block);
  Decoded& v = r.values;
  DecodeCommon(p, v);
  v["archive_pointer"] = p.U16(5);
  v["wind_avg10"] = Dash(p.U8(15) == 255, p.U8(15));
  for (int i = 0; i < 7; ++i) {
    v["extra_temp" + std::to_string(i + 1)] = ByteTemp(p.U8(18 + i));
    v["extra_hum" + std::to_string(i + 1)] = Byte(p.U8(34 + i));
  }
  for (int i = 0; i < 4; ++i) {
    v["soil_temp" + std::to_string(i + 1)] = ByteTemp(p.U8(25 + i));
    v["leaf_temp" + std::to_string(i + 1)] = ByteTemp(p.U8(29 + i));
    v["soil_moist" + std::to_string(i + 1)] = Byte(p.U8(62 + i));
    v["leaf_wet" + std::to_string(i + 1)] = Byte(p.U8(66 + i));
  }
  v["month_rain"] = Dash(p.U16(52) == 0xFFFF, p.U16(52));
  v["year_rain"] = Dash(p.U16(54) == 0xFFFF, p.U16(54));
  v["month_et"] = Dash(p.U16(58) == 0xFFFF, p.U16(58) / 100.0);
  v["year_et"] = Dash(p.U16(60) == 0xFFFF, p.U16(60) / 100.0);
  v["alarm_inside"] = p.U8(70);
  v["alarm_rain"] = p.U8(71);
  v["alarm_outside"] = p.U16(72);
  for (int i = 0; i < 8; ++i) v["alarm_extra" + std::to_string(i)] = p.U8(74 + i);
  for (int i = 0; i < 4; ++i) v["alarm_soilleaf" + std::to_string(i + 1)] = p.U8(82 + i);
  v["tx_battery"] = p.U8(86);
  v["console_battery"] = p.U16(87) * 300.0 / 512.0 / 100.0;
  v["forecast_icons"] = p.U8(89);
  v["forecast_rule"] = p.U8(90);
  v["sunrise"] = Time(p.U16(91));
  v["sunset"] = Time(p.U16(93));
  return r.ok = true, r;
}

DecodeResult DecodeLoop2(std::span<const std::uint8_t> block) {
  DecodeResult r;
  if (!CheckLoopFrame(block, 1, r)) return r;
  const Reader p(block);
  Decoded& v = r.values;
  DecodeCommon(p, v);
  v["wind_avg10"] = Dash(p.U16(18) == 0xFFFF, p.U16(18) / 10.0);
  v["wind_avg2"] = Dash(p.U16(20) == 0xFFFF, p.U16(20) / 10.0);
  v["wind_gust10"] = Dash((p.U16(22) & 0xFF) == 0xFF, p.U16(22));
  v["wind_gust10_dir"] = Dash(p.U16(24) == 0 || p.U16(24) == 0x7FFF, p.U16(24));
  auto derived = [&](std::size_t off) { return Dash((p.U16(off) & 0xFF) == 0xFF, p.S16(off)); };
  v["dew_point"] = derived(30);
  v["heat_index"] = derived(35);
  v["wind_chill"] = derived(37);
  v["thsw"] = derived(39);
  v["rain_15min"] = Dash(p.U16(52) == 0xFFFF, p.U16(52));
  v["rain_1h"] = Dash(p.U16(54) == 0xFFFF, p.U16(54));
  v["rain_24h"] = Dash(p.U16(58) == 0xFFFF, p.U16(58));
  v["bar_reduction"] = p.U8(60);
  v["bar_offset"] = p.S16(61) / 1000.0;
  v["bar_cal"] = p.S16(63) / 1000.0;
  v["bar_raw"] = Dash(p.U16(65) == 0, p.U16(65) / 1000.0);
  v["bar_abs"] = Dash(p.U16(67) == 0, p.U16(67) / 1000.0);
  v["altimeter"] = Dash(p.U16(69) == 0, p.U16(69) / 1000.0);
  return r.ok = true, r;
}

DecodeResult DecodeHiLows(std::span<const std::uint8_t> block) {
  DecodeResult r;
  if (!CheckFrame(block, 436, r)) return r;
  const Reader p(block);
  Decoded& v = r.values;
  auto bar = [&](std::size_t off) { return Dash(p.U16(off) == 0, p.U16(off) / 1000.0); };
  v["hl.barometer.day_low"] = bar(0);
  v["hl.barometer.day_high"] = bar(2);
  v["hl.barometer.month_low"] = bar(4);
  v["hl.barometer.month_high"] = bar(6);
  v["hl.barometer.year_low"] = bar(8);
  v["hl.barometer.year_high"] = bar(10);
  v["hl.barometer.day_low_time"] = Time(p.U16(12));
  v["hl.barometer.day_high_time"] = Time(p.U16(14));
  v["hl.wind_speed.day_high"] = Byte(p.U8(16));
  v["hl.wind_speed.day_high_time"] = Time(p.U16(17));
  v["hl.wind_speed.month_high"] = Byte(p.U8(19));
  v["hl.wind_speed.year_high"] = Byte(p.U8(20));
  auto t10 = [&](std::size_t off) { return LowTemp(p.S16(off), 10.0); };
  auto t1 = [&](std::size_t off) { return LowTemp(p.S16(off), 1.0); };
  v["hl.inside_temp.day_high"] = t10(21);
  v["hl.inside_temp.day_low"] = t10(23);
  v["hl.inside_temp.day_high_time"] = Time(p.U16(25));
  v["hl.inside_temp.day_low_time"] = Time(p.U16(27));
  v["hl.inside_temp.month_low"] = t10(29);
  v["hl.inside_temp.month_high"] = t10(31);
  v["hl.inside_temp.year_low"] = t10(33);
  v["hl.inside_temp.year_high"] = t10(35);
  v["hl.inside_hum.day_high"] = Byte(p.U8(37));
  v["hl.inside_hum.day_low"] = Byte(p.U8(38));
  v["hl.inside_hum.day_high_time"] = Time(p.U16(39));
  v["hl.inside_hum.day_low_time"] = Time(p.U16(41));
  v["hl.inside_hum.month_high"] = Byte(p.U8(43));
  v["hl.inside_hum.month_low"] = Byte(p.U8(44));
  v["hl.inside_hum.year_high"] = Byte(p.U8(45));
  v["hl.inside_hum.year_low"] = Byte(p.U8(46));
  v["hl.outside_temp.day_low"] = t10(47);
  v["hl.outside_temp.day_high"] = t10(49);
  v["hl.outside_temp.day_low_time"] = Time(p.U16(51));
  v["hl.outside_temp.day_high_time"] = Time(p.U16(53));
  v["hl.outside_temp.month_high"] = t10(55);
  v["hl.outside_temp.month_low"] = t10(57);
  v["hl.outside_temp.year_high"] = t10(59);
  v["hl.outside_temp.year_low"] = t10(61);
  v["hl.dew_point.day_low"] = t1(63);
  v["hl.dew_point.day_high"] = t1(65);
  v["hl.dew_point.day_low_time"] = Time(p.U16(67));
  v["hl.dew_point.day_high_time"] = Time(p.U16(69));
  v["hl.dew_point.month_high"] = t1(71);
  v["hl.dew_point.month_low"] = t1(73);
  v["hl.dew_point.year_high"] = t1(75);
  v["hl.dew_point.year_low"] = t1(77);
  v["hl.wind_chill.day_low"] = t1(79);
  v["hl.wind_chill.day_low_time"] = Time(p.U16(81));
  v["hl.wind_chill.month_low"] = t1(83);
  v["hl.wind_chill.year_low"] = t1(85);
  v["hl.heat_index.day_high"] = t1(87);
  v["hl.heat_index.day_high_time"] = Time(p.U16(89));
  v["hl.heat_index.month_high"] = t1(91);
  v["hl.heat_index.year_high"] = t1(93);
  v["hl.thsw.day_high"] = t1(95);
  v["hl.thsw.day_high_time"] = Time(p.U16(97));
  v["hl.thsw.month_high"] = t1(99);
  v["hl.thsw.year_high"] = t1(101);
  auto solar = [&](std::size_t off) { return Dash(p.U16(off) == 0x7FFF, p.U16(off)); };
  v["hl.solar.day_high"] = solar(103);
  v["hl.solar.day_high_time"] = Time(p.U16(105));
  v["hl.solar.month_high"] = solar(107);
  v["hl.solar.year_high"] = solar(109);
  auto uv = [&](std::size_t off) { return Dash(p.U8(off) == 255, p.U8(off) / 10.0); };
  v["hl.uv.day_high"] = uv(111);
  v["hl.uv.day_high_time"] = Time(p.U16(112));
  v["hl.uv.month_high"] = uv(114);
  v["hl.uv.year_high"] = uv(115);
  auto rate = [&](std::size_t off) { return Dash(p.U16(off) == 0xFFFF, p.U16(off)); };
  v["hl.rain_rate.day_high"] = rate(116);
  v["hl.rain_rate.day_high_time"] = Time(p.U16(118));
  v["hl.rain_rate.hour_high"] = rate(120);
  v["hl.rain_rate.month_high"] = rate(122);
  v["hl.rain_rate.year_high"] = rate(124);
  for (int i = 0; i < 15; ++i) {
    const std::string q = i < 7    ? "extra_temp" + std::to_string(i + 1)
                          : i < 11 ? "soil_temp" + std::to_string(i - 6)
                                   : "leaf_temp" + std::to_string(i - 10);
    const std::string k = "hl." + q + ".";
    const auto n = static_cast<std::size_t>(i);
    v[k + "day_low"] = ByteTemp(p.U8(126 + n));
    v[k + "day_high"] = ByteTemp(p.U8(141 + n));
    v[k + "day_low_time"] = Time(p.U16(156 + 2 * n));
    v[k + "day_high_time"] = Time(p.U16(186 + 2 * n));
    v[k + "month_high"] = ByteTemp(p.U8(216 + n));
    v[k + "month_low"] = ByteTemp(p.U8(231 + n));
    v[k + "year_high"] = ByteTemp(p.U8(246 + n));
    v[k + "year_low"] = ByteTemp(p.U8(261 + n));
  }
  for (int i = 0; i < 8; ++i) {
    const std::string k =
        "hl." + (i == 0 ? std::string("outside_hum") : "extra_hum" + std::to_string(i)) + ".";
    const auto n = static_cast<std::size_t>(i);
    v[k + "day_low"] = Byte(p.U8(276 + n));
    v[k + "day_high"] = Byte(p.U8(284 + n));
    v[k + "day_low_time"] = Time(p.U16(292 + 2 * n));
    v[k + "day_high_time"] = Time(p.U16(308 + 2 * n));
    v[k + "month_high"] = Byte(p.U8(324 + n));
    v[k + "month_low"] = Byte(p.U8(332 + n));
    v[k + "year_high"] = Byte(p.U8(340 + n));
    v[k + "year_low"] = Byte(p.U8(348 + n));
  }
  for (int i = 0; i < 4; ++i) {
    const auto n = static_cast<std::size_t>(i);
    const std::string s = "hl.soil_moist" + std::to_string(i + 1) + ".";
    v[s + "day_high"] = Byte(p.U8(356 + n));
    v[s + "day_high_time"] = Time(p.U16(360 + 2 * n));
    v[s + "day_low"] = Byte(p.U8(368 + n));
    v[s + "day_low_time"] = Time(p.U16(372 + 2 * n));
    v[s + "month_low"] = Byte(p.U8(380 + n));
    v[s + "month_high"] = Byte(p.U8(384 + n));
    v[s + "year_low"] = Byte(p.U8(388 + n));
    v[s + "year_high"] = Byte(p.U8(392 + n));
    const std::string l = "hl.leaf_wet" + std::to_string(i + 1) + ".";
    v[l + "day_high"] = Byte(p.U8(396 + n));
    v[l + "day_high_time"] = Time(p.U16(400 + 2 * n));
    v[l + "day_low"] = Byte(p.U8(408 + n));
    v[l + "day_low_time"] = Time(p.U16(412 + 2 * n));
    v[l + "month_low"] = Byte(p.U8(420 + n));
    v[l + "month_high"] = Byte(p.U8(424 + n));
    v[l + "year_low"] = Byte(p.U8(428 + n));
    v[l + "year_high"] = Byte(p.U8(432 + n));
  }
  return r.ok = true, r;
}

DecodeResult DecodeTime(std::span<const std::uint8_t> block) {
  DecodeResult r;
  if (!CheckFrame(block, 6, r)) return r;
  r.values["second"] = block[0];
  r.values["minute"] = block[1];
  r.values["hour"] = block[2];
  r.values["day"] = block[3];
  r.values["month"] = block[4];
  r.values["year"] = block[5] + 1900;
  return r.ok = true, r;
}

std::optional<std::vector<std::string>> SplitOkReply(std::span<const std::uint8_t> reply) {
  const std::string_view text(reinterpret_cast<const char*>(reply.data()), reply.size());
  constexpr std::string_view kOk = "\n\rOK\n\r";
  if (text.substr(0, kOk.size()) != kOk) return std::nullopt;
  std::vector<std::string> lines;
  std::size_t pos = kOk.size();
  while (pos < text.size()) {
    const std::size_t end = text.find("\n\r", pos);
    if (end == std::string_view::npos) return std::nullopt;
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace tv::testing
