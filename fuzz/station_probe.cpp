#include "fuzz/station_probe.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "protocol/eeprom_map.h"
#include "protocol/packets.h"

namespace tv::fuzz {

namespace ee = tv::protocol::eeprom;
using stationlib::AlarmView;
using stationlib::Reading;
using stationlib::Station;

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what);
  std::abort();
}

std::unique_ptr<Station> OpenFuzzStation(std::span<const std::uint8_t> data,
                                         FuzzConsole::Script script) {
  stationlib::LinkTimings timings;
  timings.wake_timeout = std::chrono::milliseconds(1);
  timings.reply_timeout = std::chrono::milliseconds(1);
  timings.refusal_grace = std::chrono::milliseconds(1);
  auto station = std::make_unique<Station>(timings);
  if (station->OpenStream(std::make_unique<FuzzConsole>(data, std::move(script)),
                          stationlib::LinkKind::kSerial) != VP_OK) {
    Fail("OpenStream refused a stream");
  }
  return station;
}

std::vector<std::uint8_t> CannedSetupReply() {
  std::vector<std::uint8_t> setup(ee::kAlarmBase, 0);
  setup[ee::kSetupBits] = 0x10;  // 0.2 mm rain collector
  return AckedBlock(std::move(setup));
}

std::vector<std::uint8_t> CannedLoopReply(std::uint8_t type) {
  std::vector<std::uint8_t> p(protocol::kLoopPacketSize - protocol::kCrcSize, 0);
  p[0] = 'L', p[1] = 'O', p[2] = 'O', p[protocol::kLoopTypeOffset] = type;
  p[p.size() - 2] = 0x0A, p[p.size() - 1] = 0x0D;
  return AckedBlock(std::move(p));
}

FuzzConsole::Script ScriptWithSetup() {
  FuzzConsole::Script script;
  script.canned["EEBRD 00 52\n"] = CannedSetupReply();
  return script;
}

namespace {

constexpr std::uint32_t kQuantities[] = {
    VP_QTY_TEMPERATURE,   VP_QTY_DEW_POINT,    VP_QTY_WIND_CHILL, VP_QTY_HEAT_INDEX,
    VP_QTY_THW,           VP_QTY_THSW,         VP_QTY_ET,         VP_QTY_HUMIDITY,
    VP_QTY_WIND_SPEED,    VP_QTY_WIND_DIR,     VP_QTY_BAROMETER,  VP_QTY_BAR_TREND,
    VP_QTY_RAIN,          VP_QTY_RAIN_RATE,    VP_QTY_SOLAR,      VP_QTY_UV,
    VP_QTY_SOIL_MOISTURE, VP_QTY_LEAF_WETNESS, VP_QTY_CONSOLE};
constexpr std::uint32_t kPeriods[] = {0,
                                      VP_PERIOD_DAY_HIGH,
                                      VP_PERIOD_DAY_LOW,
                                      VP_PERIOD_MONTH_HIGH,
                                      VP_PERIOD_MONTH_LOW,
                                      VP_PERIOD_YEAR_HIGH,
                                      VP_PERIOD_YEAR_LOW,
                                      VP_PERIOD_DAY_TOTAL,
                                      VP_PERIOD_MONTH_TOTAL,
                                      VP_PERIOD_YEAR_TOTAL,
                                      VP_PERIOD_LAST_HOUR,
                                      VP_PERIOD_LAST_24_HOURS,
                                      VP_PERIOD_STORM,
                                      VP_PERIOD_LAST_15_MIN};

template <typename F>
void ForEachId(F f) {
  // Sensors 0 to 8 and the two the wind uses for its averages and gusts.
  for (const std::uint32_t sensor : {0, 1, 2, 3, 4, 5, 6, 7, 8, 25, 26}) {
    for (const std::uint32_t q : kQuantities) {
      for (const std::uint32_t p : kPeriods) f((sensor << 24) | q | p);
    }
  }
}

bool KnownCode(std::int16_t code) {
  return code == VP_OK || code == VP_ERR_COMM || code == VP_ERR_NEEDS_LOAD ||
         code == VP_ERR_BAD_ID || code == VP_ERR_BAD_PARAM;
}

void CheckReading(const Reading& r) {
  if (!KnownCode(r.code)) Fail("reading with an unknown result code");
  if (r.code == VP_OK && !std::isfinite(r.value)) Fail("reading that is not a finite number");
}

void CheckTime(const VantageDateTime& t) {
  // Each part is unknown (-1) or within its calendar range.
  const auto in = [](std::int32_t v, int lo, int hi) { return v == -1 || (v >= lo && v <= hi); };
  if (!in(t.Hour, 0, 23) || !in(t.Minute, 0, 59) || !in(t.Month, 1, 12) || !in(t.Day, 1, 31)) {
    Fail("date or time part out of its range");
  }
}

}  // namespace

void ReadCurrent(Station& station) {
  ForEachId([&](std::uint32_t id) {
    CheckReading(station.Current(id));
    std::string text;
    const std::int16_t code = station.CurrentText(id, text);
    if (!KnownCode(code)) Fail("text with an unknown result code");
    if (text.size() + 1 > VP_TEXT_MAX) Fail("current text longer than its maximum");
  });
  VantageDateTime t{};
  station.SunTime(true, &t);
  CheckTime(t);
  station.SunTime(false, &t);
  CheckTime(t);
}

void ReadHiLows(Station& station) {
  ForEachId([&](std::uint32_t id) {
    CheckReading(station.HiLow(id));
    VantageDateTime t{};
    if (!KnownCode(station.HiLowTime(id, &t))) Fail("time with an unknown result code");
    CheckTime(t);
  });
}

void ReadAlarms(Station& station) {
  for (std::uint16_t a = ee::kAlarmBase; a < ee::kAlarmBase + ee::kAlarmBlockSize + 4; ++a) {
    CheckReading(station.Alarm([a](const AlarmView& v) { return v.Temp(a); }));
    CheckReading(station.Alarm([a](const AlarmView& v) { return v.Temp(a, 120); }));
    CheckReading(station.Alarm([a](const AlarmView& v) { return v.Byte(a); }));
    CheckReading(station.Alarm([a](const AlarmView& v) { return v.Word(a); }, true));
    CheckReading(station.Alarm([a](const AlarmView& v) { return v.Uv(a); }));
  }
  CheckReading(station.Alarm([](const AlarmView& v) { return v.BarRise(); }));
  CheckReading(station.Alarm([](const AlarmView& v) { return v.BarFall(); }));
  const Reading time = station.TimeAlarm();
  CheckReading(time);
  if (time.code == VP_OK && time.value != VP_NO_DATA &&
      (time.value < 0 || time.value > 2359 || static_cast<int>(time.value) % 100 > 59)) {
    Fail("alarm time that is not a time of day");
  }
}

void ReadSetupRecords(Station& station) {
  // Records as the interface sizes them, with a guard zone after each that
  // must stay untouched.
  constexpr std::size_t kGuard = 16;
  const auto fill = [&](std::size_t size, auto call) {
    std::vector<std::uint8_t> buf(size + kGuard, 0xA5);
    call(buf.data());
    for (std::size_t i = size; i < buf.size(); ++i) {
      if (buf[i] != 0xA5) Fail("record written past its size");
    }
  };
  station.ModelNo();
  station.WindCupSize();
  station.ArchivePeriod();
  fill(12, [&](void* p) { station.TimeZoneSettings(p); });
  fill(20, [&](void* p) { station.Position(true, p); });
  fill(20, [&](void* p) { station.Position(false, p); });
  fill(56, [&](void* p) { station.TxConfig(p); });
  fill(4, [&](void* p) { station.WindDirOffset(p); });
}

}  // namespace tv::fuzz
