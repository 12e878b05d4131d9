#include "stationlib/archive_decoder.h"

#include <cstring>

#include "protocol/crc.h"
#include "protocol/packets.h"
#include "stationlib/current_conditions.h"

namespace tv::stationlib {

namespace proto = tv::protocol;

namespace {

// Revision B record layout: byte offsets.
namespace rec {
constexpr std::size_t kDate = 0, kTime = 2, kOutTemp = 4, kHiOutTemp = 6, kLowOutTemp = 8,
                      kRain = 10, kHiRainRate = 12, kBarometer = 14, kSolar = 16, kWindSamples = 18,
                      kInTemp = 20, kInHum = 22, kOutHum = 23, kAvgWind = 24, kHiWind = 25,
                      kHiWindDir = 26, kPrevailingDir = 27, kUv = 28, kEt = 29, kHiSolar = 30,
                      kHiUv = 32, kForecastRule = 33, kLeafTemp = 34, kLeafWet = 36, kSoilTemp = 38,
                      kExtraHum = 43, kExtraTemp = 45, kSoilMoist = 48;
}  // namespace rec

constexpr float kNone = static_cast<float>(VP_NO_DATA);
constexpr int kDirectionCodes = 16;
constexpr double kDegreesPerCode = 22.5;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A 2-byte temperature in tenths of °F: both 0x7FFF and 0x8000 are dashes
// (the console uses one for averages and lows, the other for highs).
float Temp16(std::span<const std::uint8_t> b, std::size_t at) {
  const auto v = static_cast<std::int16_t>(U16(b, at));
  if (v == proto::kDashTemp16 || v == proto::kDashHighTemp16) return kNone;
  return static_cast<float>(v / 10.0);
}

float ByteTemp(std::uint8_t v) {
  return v == proto::kDashByte ? kNone : static_cast<float>(v - proto::kByteTempOffsetF);
}

float Byte(std::uint8_t v) {
  return v == proto::kDashByte ? kNone : static_cast<float>(v);
}

float Direction(std::uint8_t code) {
  return code < kDirectionCodes ? static_cast<float>(code * kDegreesPerCode) : kNone;
}

bool StampPlausible(std::uint16_t date, std::uint16_t time) {
  const int day = date % 32, month = (date / 32) % 16, hour = time / 100, minute = time % 100;
  return day >= 1 && month >= 1 && month <= 12 && hour <= 23 && minute <= 59;
}

VantageDateTime StampTime(std::uint16_t date, std::uint16_t time) {
  VantageDateTime t{};
  t.Minute = time % 100;
  t.Hour = time / 100;
  t.Day = date % 32;
  t.Month = (date / 32) % 16;
  t.Year = 2000 + date / 512;
  return t;
}

}  // namespace

ArchiveRecordKind DecodeArchiveRecord(std::span<const std::uint8_t> b, double click_mm,
                                      VantageArchiveRecord& out) {
  if (b.size() < proto::kArchiveRecordSize) return ArchiveRecordKind::kUnwritten;
  const std::uint16_t date = U16(b, rec::kDate), time = U16(b, rec::kTime);
  if (date == proto::kArchiveUnwritten) return ArchiveRecordKind::kUnwritten;
  const std::uint8_t type = b[proto::kArchiveTypeOffset];
  if (type != proto::kArchiveRevisionA && type != proto::kArchiveRevisionB) {
    return ArchiveRecordKind::kUnknownType;
  }
  if (!StampPlausible(date, time)) return ArchiveRecordKind::kBadStamp;
  out = VantageArchiveRecord{};
  out.Stamp = StampTime(date, time);
  out.DateStamp = date;
  out.TimeStamp = time;
  if (type == proto::kArchiveRevisionA) {
    out.Revision = 'A';
    return ArchiveRecordKind::kRevisionA;
  }
  out.Revision = 'B';
  const double rain_unit = RainUnitFromMm(click_mm);
  const double inch_unit = RainUnitFromMm(25.4);

  out.OutsideTemp = Temp16(b, rec::kOutTemp);
  out.HiOutsideTemp = Temp16(b, rec::kHiOutTemp);
  out.LowOutsideTemp = Temp16(b, rec::kLowOutTemp);
  out.InsideTemp = Temp16(b, rec::kInTemp);
  const std::uint16_t rain = U16(b, rec::kRain), rate = U16(b, rec::kHiRainRate);
  out.Rain = rain == proto::kDashWord ? kNone : static_cast<float>(rain * rain_unit);
  out.HiRainRate = rate == proto::kDashWord ? kNone : static_cast<float>(rate * rain_unit);
  const std::uint16_t bar = U16(b, rec::kBarometer);
  out.Barometer = bar == proto::kDashBarometer ? kNone : static_cast<float>(bar / 1000.0);
  const std::uint16_t solar = U16(b, rec::kSolar), hi_solar = U16(b, rec::kHiSolar);
  out.SolarRad = solar == proto::kDashSolar ? kNone : static_cast<float>(solar);
  // A high of 0 is the dash of a station without the sensor; where the
  // average is a reading (a night), 0 is the high it had.
  const bool no_solar = solar == proto::kDashSolar;
  out.HiSolarRad = hi_solar == proto::kDashSolar || (hi_solar == 0 && no_solar) ? kNone : hi_solar;
  const std::uint8_t uv = b[rec::kUv], hi_uv = b[rec::kHiUv];
  out.UV = uv == proto::kDashByte ? kNone : static_cast<float>(uv / 10.0);
  out.HiUV = hi_uv == proto::kDashByte || (hi_uv == 0 && uv == proto::kDashByte)
                 ? kNone
                 : static_cast<float>(hi_uv / 10.0);
  const std::uint8_t et = b[rec::kEt];
  out.ET = et == proto::kDashByte ? kNone : static_cast<float>(et / 1000.0 * inch_unit);

  out.WindSamples = U16(b, rec::kWindSamples);
  if (out.WindSamples == 0) {
    // No wind packet arrived in the interval: no speed, no direction.
    out.AvgWindSpeed = out.HiWindSpeed = out.HiWindDir = out.PrevailingWindDir = kNone;
  } else {
    out.AvgWindSpeed = Byte(b[rec::kAvgWind]);
    out.HiWindSpeed = Byte(b[rec::kHiWind]);
    out.HiWindDir = Direction(b[rec::kHiWindDir]);
    out.PrevailingWindDir = Direction(b[rec::kPrevailingDir]);
  }
  const auto hum = [](std::uint8_t v) {
    return v == proto::kDashByte ? VP_NO_DATA : static_cast<std::int32_t>(v);
  };
  out.InsideHum = hum(b[rec::kInHum]);
  out.OutsideHum = hum(b[rec::kOutHum]);
  out.ForecastRule = b[rec::kForecastRule];
  for (int i = 0; i < 2; ++i) {
    out.LeafTemp[i] = ByteTemp(b[rec::kLeafTemp + i]);
    const std::uint8_t wet = b[rec::kLeafWet + i];
    out.LeafWetness[i] = wet <= 15 ? static_cast<float>(wet) : kNone;
    out.ExtraHum[i] = Byte(b[rec::kExtraHum + i]);
  }
  for (int i = 0; i < 4; ++i) {
    out.SoilTemp[i] = ByteTemp(b[rec::kSoilTemp + i]);
    out.SoilMoisture[i] = Byte(b[rec::kSoilMoist + i]);
  }
  for (int i = 0; i < 3; ++i) out.ExtraTemp[i] = ByteTemp(b[rec::kExtraTemp + i]);
  return ArchiveRecordKind::kDecoded;
}

std::optional<ArchiveStamp> ArchiveStampOf(const VantageDateTime& t) {
  if (t.Year < 2000 || t.Year > 2127 || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 ||
      t.Hour < 0 || t.Hour > 23 || t.Minute < 0 || t.Minute > 59) {
    return std::nullopt;
  }
  return ArchiveStamp{proto::EncodeArchiveDate(t.Year, t.Month, t.Day),
                      proto::EncodeTimeOfDay(t.Hour, t.Minute)};
}

bool ArchivePageValid(std::span<const std::uint8_t> page) {
  return page.size() == proto::kArchivePageSize && proto::CrcBlockValid(page);
}

ArchivePageDecoder::ArchivePageDecoder(std::optional<ArchiveStamp> after, int pages,
                                       int first_index, double click_mm)
    : pages_(pages), first_index_(first_index), click_mm_(click_mm) {
  if (after) {
    after_key_ = ArchiveStampKey(after->date, after->time);
  } else {
    whole_memory_ = true;
  }
}

void ArchivePageDecoder::Header(int index, VantageArchivePage& out) const {
  out = VantageArchivePage{};
  out.Index = index;
  out.Pages = pages_;
  out.Status = VP_OK;
  out.WholeMemory = whole_memory_.value_or(false) ? 1 : 0;
}

void ArchivePageDecoder::Skip(int index, VantageArchivePage& out) const {
  Header(index, out);
  out.Status = VP_ERR_CRC;
}

void ArchivePageDecoder::Decode(std::span<const std::uint8_t> page, int index,
                                VantageArchivePage& out) {
  if (page.size() < proto::kArchivePageSize) {
    Skip(index, out);
    return;
  }
  const bool last = index == pages_ - 1;
  const int first = index == 0 ? first_index_ : 0;
  auto slot = [&](int i) {
    return page.subspan(proto::kArchiveRecordsOffset + i * proto::kArchiveRecordSize,
                        proto::kArchiveRecordSize);
  };
  // The console found the stamp when the record just before the first new
  // one carries it; when that record is on an earlier page, a first record
  // that is not newer than the stamp tells that it did not.
  if (!whole_memory_ && index == 0 && first > 0) {
    VantageArchiveRecord found{};
    const ArchiveRecordKind kind = DecodeArchiveRecord(slot(first - 1), click_mm_, found);
    if (kind == ArchiveRecordKind::kDecoded || kind == ArchiveRecordKind::kRevisionA) {
      whole_memory_ = ArchiveStampKey(static_cast<std::uint16_t>(found.DateStamp),
                                      static_cast<std::uint16_t>(found.TimeStamp)) != *after_key_;
    }
  }
  VantageArchiveRecord records[proto::kArchiveRecordsPerPage]{};
  int count = 0, undecoded = 0;
  for (int i = first; i < proto::kArchiveRecordsPerPage && !(last && ended_); ++i) {
    VantageArchiveRecord& r = records[count];
    const ArchiveRecordKind kind = DecodeArchiveRecord(slot(i), click_mm_, r);
    if (kind == ArchiveRecordKind::kUnwritten) {
      if (!last) ++undecoded;  // a hole in the middle of the memory
      continue;
    }
    if (kind != ArchiveRecordKind::kDecoded) {
      if (kind == ArchiveRecordKind::kRevisionA && last && last_key_ &&
          ArchiveStampKey(static_cast<std::uint16_t>(r.DateStamp),
                          static_cast<std::uint16_t>(r.TimeStamp)) <= *last_key_) {
        ended_ = true;  // the oldest record of the ring
        continue;
      }
      ++undecoded;
      continue;
    }
    const std::int64_t key = ArchiveStampKey(static_cast<std::uint16_t>(r.DateStamp),
                                             static_cast<std::uint16_t>(r.TimeStamp));
    if (last && last_key_ && key <= *last_key_) {
      ended_ = true;
      continue;
    }
    if (!whole_memory_) whole_memory_ = key <= *after_key_;
    last_key_ = key;
    ++count;
  }
  for (int i = count; i < proto::kArchiveRecordsPerPage; ++i) records[i] = VantageArchiveRecord{};
  Header(index, out);
  out.Count = count;
  out.Undecoded = undecoded;
  std::memcpy(out.Records, records, sizeof records);
}

}  // namespace tv::stationlib
