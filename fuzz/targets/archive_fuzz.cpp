// Archive pages of a DMPAFT download and the records in them: the page rules
// over a run of pages, each record decoded and every field read.
//
// Input: one flags byte (bit 0: a stamp was asked after; bits 1-2: the rain
// collector; bits 3-5: the announced first index; bit 6: the CRC of each page
// is made right, so that the decoder sees pages that pass), the stamp's date
// and time words, then the pages, 267 bytes each.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/crc.h"
#include "protocol/packets.h"
#include "stationlib/archive_decoder.h"

namespace {

volatile float g_sink = 0;

void Read(const VantageArchiveRecord& r) {
  float sum = r.OutsideTemp + r.HiOutsideTemp + r.LowOutsideTemp + r.InsideTemp + r.Barometer +
              r.Rain + r.HiRainRate + r.SolarRad + r.HiSolarRad + r.UV + r.HiUV + r.ET +
              r.AvgWindSpeed + r.HiWindSpeed + r.HiWindDir + r.PrevailingWindDir;
  for (float v : r.LeafTemp) sum += v;
  for (float v : r.LeafWetness) sum += v;
  for (float v : r.SoilTemp) sum += v;
  for (float v : r.SoilMoisture) sum += v;
  for (float v : r.ExtraTemp) sum += v;
  for (float v : r.ExtraHum) sum += v;
  sum += static_cast<float>(r.WindSamples + r.InsideHum + r.OutsideHum + r.ForecastRule +
                            r.Stamp.Year + r.Stamp.Month + r.Stamp.Day + r.Stamp.Hour +
                            r.Stamp.Minute);
  if (!std::isfinite(sum)) __builtin_trap();
  g_sink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace proto = tv::protocol;
  using namespace tv::stationlib;
  if (size < 5) return 0;
  const std::uint8_t flags = data[0];
  const double click_mm[] = {0.254, 0.2, 0.1, 0.254};
  const double click = click_mm[(flags >> 1) & 3];
  std::optional<ArchiveStamp> after;
  if (flags & 1) {
    after = ArchiveStamp{static_cast<std::uint16_t>(data[1] | (data[2] << 8)),
                         static_cast<std::uint16_t>(data[3] | (data[4] << 8))};
  }
  const std::span<const std::uint8_t> body(data + 5, size - 5);
  const int pages = static_cast<int>(body.size() / proto::kArchivePageSize) + 1;
  ArchivePageDecoder decoder(after, pages, ((flags >> 3) & 7) % proto::kArchiveRecordsPerPage,
                             click);
  int index = 0;
  for (std::size_t at = 0; at < body.size(); at += proto::kArchivePageSize, ++index) {
    const std::size_t n = std::min(proto::kArchivePageSize, body.size() - at);
    std::vector<std::uint8_t> page(body.begin() + static_cast<std::ptrdiff_t>(at),
                                   body.begin() + static_cast<std::ptrdiff_t>(at + n));
    if ((flags & 0x40) && page.size() == proto::kArchivePageSize) {
      page.resize(proto::kArchivePageSize - proto::kCrcSize);
      proto::AppendCrc(page);
    }
    for (std::size_t r = 0; r + proto::kArchiveRecordSize <= page.size();
         r += proto::kArchiveRecordSize) {
      VantageArchiveRecord record{};
      if (DecodeArchiveRecord(std::span(page).subspan(r, proto::kArchiveRecordSize), click,
                              record) == ArchiveRecordKind::kDecoded) {
        Read(record);
      }
    }
    VantageArchivePage out{};
    if (ArchivePageValid(page)) {
      decoder.Decode(page, index, out);
    } else {
      decoder.Skip(index, out);
    }
    if (out.Count < 0 || out.Count > proto::kArchiveRecordsPerPage ||
        out.Count + out.Undecoded > proto::kArchiveRecordsPerPage) {
      __builtin_trap();
    }
    for (int i = 0; i < out.Count; ++i) Read(out.Records[i]);
  }
  return 0;
}
