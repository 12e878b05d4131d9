#pragma once

#include <cstdint>
#include <functional>

#include "lib/station/result_codes.h"

namespace tv {

// A result code of the archive download: a page that kept failing its CRC.
inline constexpr int kResultBadCrc = -32708;
// The console answered NAK to a command it understood (SETTIME refused).
inline constexpr int kResultRefused = -32709;

// One record of the console's archive as the station library decodes it, in
// the console's units (°F, inHg, mph, W/m², UV index, rain and ET in the
// library's rain unit, rain rate per hour, wind directions in degrees). A value
// the console dashed is kResultNegativeValue (-32768), never a number. The
// layout is the library's record, byte for byte.
struct ArchiveRecord {
  StationDateTime Stamp;       // the console's local time, without daylight-saving flag
  std::int32_t DateStamp = 0;  // day + month * 32 + (year - 2000) * 512
  std::int32_t TimeStamp = 0;  // hour * 100 + minute
  std::int32_t Revision = 0;   // 'B' or 'A'
  float OutsideTemp = 0;
  float HiOutsideTemp = 0;
  float LowOutsideTemp = 0;
  float InsideTemp = 0;
  float Barometer = 0;
  float Rain = 0;
  float HiRainRate = 0;
  float SolarRad = 0;
  float HiSolarRad = 0;
  float UV = 0;
  float HiUV = 0;
  float ET = 0;
  float AvgWindSpeed = 0;
  float HiWindSpeed = 0;
  float HiWindDir = 0;
  float PrevailingWindDir = 0;
  std::int32_t WindSamples = 0;
  std::int32_t InsideHum = 0;
  std::int32_t OutsideHum = 0;
  std::int32_t ForecastRule = 0;
  float LeafTemp[2] = {};
  float LeafWetness[2] = {};
  float SoilTemp[4] = {};
  float SoilMoisture[4] = {};
  float ExtraTemp[3] = {};
  float ExtraHum[2] = {};
};

// One page of a download as the library hands it over.
struct ArchivePage {
  std::int32_t Index = 0;        // 0 for the first page of this download
  std::int32_t Pages = 0;        // pages the console announced
  std::int32_t Status = 1;       // 1, or kResultBadCrc: the page was skipped
  std::int32_t WholeMemory = 0;  // 1: the console did not find the stamp
  std::int32_t Count = 0;        // new records in Records, oldest first
  std::int32_t Undecoded = 0;    // records skipped: unknown type, impossible stamp
  ArchiveRecord Records[5];
};

// Receives each page; returns true for the next one, false to end the download.
using ArchivePageSink = std::function<bool(const ArchivePage&)>;

// The records newer than `after` (nullptr: the whole memory), one page at a
// time, through the station library's DownloadArchive_V. 1 when every page
// announced was received or the sink ended the download; the library's
// failure code otherwise (pages already handed over stay valid).
std::int16_t DownloadArchive_V(const StationDateTime* after, const ArchivePageSink& sink);

// Sets the console's clock to the local time `time` and `second`. 1, or
// kResultRefused, or the library's failure code.
std::int16_t SetStationTime_V(const StationDateTime& time, std::int32_t second);

}  // namespace tv
