#pragma once

#include <cstdint>
#include <optional>

#include "stationlib/archive_decoder.h"
#include "stationlib/console_link.h"
#include "stationlib/records.h"
#include "stationlib/vantagepro.h"

// The exchanges of the archive download (DMPAFT) and of setting the console's
// clock (SETTIME), over a link the caller holds for their whole length.
namespace tv::stationlib {

// Downloads the records newer than `after` (nullopt: the whole memory),
// handing each page to `sink` before it is acknowledged. Status codes as
// DownloadArchive_V.
std::int16_t DownloadArchivePages(ConsoleLink& link, double click_mm,
                                  const std::optional<ArchiveStamp>& after, VantageArchiveSink sink,
                                  void* context);

// Sets the console's clock to `t` (every part given). VP_OK, VP_ERR_REFUSED
// when the console answers NAK, VP_ERR_CRC when it kept rejecting the block's
// CRC, VP_ERR_COMM.
std::int16_t SetConsoleClock(ConsoleLink& link, const ClockTime& t);

}  // namespace tv::stationlib
