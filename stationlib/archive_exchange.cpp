#include "stationlib/archive_exchange.h"

#include <algorithm>
#include <array>
#include <vector>

#include "protocol/commands.h"
#include "protocol/crc.h"
#include "protocol/packets.h"

namespace tv::stationlib {

namespace proto = tv::protocol;

namespace {

constexpr std::uint8_t kAckByte[] = {proto::kAck};
constexpr std::uint8_t kNakByte[] = {proto::kNak};
constexpr std::uint8_t kEscByte[] = {proto::kEsc};

bool Down(LinkError e) {
  return e == LinkError::kClosed || e == LinkError::kInterrupted;
}

// Ends the download on the console's side; the link may be gone already.
void Cancel(ConsoleLink& link) {
  if (!link.Failed()) link.SendBytes("ESC", kEscByte);
}

// The pages once the console has announced them.
std::int16_t ReceivePages(ConsoleLink& link, ArchivePageDecoder& decoder, int pages,
                          VantageArchiveSink sink, void* context) {
  if (!link.SendBytes("ACK start", kAckByte)) return VP_ERR_COMM;
  std::vector<std::uint8_t> page(proto::kArchivePageSize), previous;
  VantageArchivePage out{};
  for (int index = 0; index < pages; ++index) {
    bool good = false;
    // A NAK answers only a page that failed its CRC: after the ACK sent
    // again the console sends the next page unasked.
    bool damaged = false;
    for (int ask = 0; ask <= link.timings().crc_retries && !good;) {
      if (damaged && !link.SendBytes("NAK page", kNakByte)) return VP_ERR_COMM;
      const LinkError e = link.ReadBlock("archive page " + std::to_string(index), page);
      if (e != LinkError::kNone) {
        Cancel(link);
        return VP_ERR_COMM;
      }
      damaged = !ArchivePageValid(page);
      if (damaged) {
        ++ask;
        continue;
      }
      if (page == previous) {
        // The page acknowledged last, sent again: the ACK was lost on the way.
        // Only once in a row, so that a console repeating itself cannot hold
        // the download for ever.
        if (!link.SendBytes("ACK again", kAckByte)) return VP_ERR_COMM;
        previous.clear();
        continue;
      }
      good = true;
    }
    if (good) {
      decoder.Decode(page, index, out);
      previous = page;
    } else {
      decoder.Skip(index, out);  // acknowledged below: the console moves on
      previous.clear();
    }
    if (sink(context, &out) != 0) {
      Cancel(link);
      return VP_OK;
    }
    if (!link.SendBytes("ACK page", kAckByte)) return VP_ERR_COMM;
  }
  return VP_OK;
}

}  // namespace

std::int16_t DownloadArchivePages(ConsoleLink& link, double click_mm,
                                  const std::optional<ArchiveStamp>& after, VantageArchiveSink sink,
                                  void* context) {
  // No stamp at all (zeros) is one the console cannot find: it sends everything.
  const ArchiveStamp stamp = after.value_or(ArchiveStamp{});
  std::vector<std::uint8_t> stamp_block{
      static_cast<std::uint8_t>(stamp.date & 0xFF), static_cast<std::uint8_t>(stamp.date >> 8),
      static_cast<std::uint8_t>(stamp.time & 0xFF), static_cast<std::uint8_t>(stamp.time >> 8)};
  proto::AppendCrc(stamp_block);
  const LinkTimings& timings = link.timings();
  std::int16_t failure = VP_ERR_COMM;
  for (int attempt = 0; attempt < timings.command_attempts; ++attempt) {
    if (!link.Wake() || !link.SendLine(proto::kCmdDmpAft)) return VP_ERR_COMM;
    std::uint8_t answer = 0;
    LinkError e = link.ReadAnswer(answer);
    if (Down(e)) return VP_ERR_COMM;
    if (e != LinkError::kNone || answer != proto::kAck) continue;
    bool stamp_taken = false;
    for (int ask = 0; ask <= timings.crc_retries; ++ask) {
      if (!link.SendBytes("DMPAFT stamp", stamp_block)) return VP_ERR_COMM;
      e = link.ReadAnswer(answer);
      if (e != LinkError::kNone) break;
      stamp_taken = answer == proto::kAck;
      // NAK or CANCEL: the stamp arrived damaged; anything else is no answer.
      if (stamp_taken || (answer != proto::kNak && answer != proto::kCancel)) break;
      failure = VP_ERR_CRC;
    }
    if (Down(e)) return VP_ERR_COMM;
    if (!stamp_taken) continue;
    std::array<std::uint8_t, proto::kArchiveAnnounceSize + proto::kCrcSize> announce{};
    e = link.ReadBlock("DMPAFT pages", announce);
    if (Down(e)) return VP_ERR_COMM;
    if (e != LinkError::kNone || !proto::CrcBlockValid(announce)) {
      failure = e == LinkError::kNone ? VP_ERR_CRC : VP_ERR_COMM;
      Cancel(link);
      continue;
    }
    const int pages = announce[0] | (announce[1] << 8);
    const int first = announce[2] | (announce[3] << 8);
    // The whole ring from a record in the middle of a page spans one page more.
    if (pages > proto::kArchivePages + 1 || first >= proto::kArchiveRecordsPerPage) {
      failure = VP_ERR_COMM;
      Cancel(link);
      continue;
    }
    if (pages == 0) {
      Cancel(link);
      return VP_OK;
    }
    ArchivePageDecoder decoder(after, pages, first, click_mm);
    return ReceivePages(link, decoder, pages, sink, context);
  }
  return failure;
}

std::int16_t SetConsoleClock(ConsoleLink& link, const ClockTime& t) {
  std::vector<std::uint8_t> block{
      static_cast<std::uint8_t>(t.second), static_cast<std::uint8_t>(t.minute),
      static_cast<std::uint8_t>(t.hour),   static_cast<std::uint8_t>(t.day),
      static_cast<std::uint8_t>(t.month),  static_cast<std::uint8_t>(t.year - 1900)};
  proto::AppendCrc(block);
  std::int16_t failure = VP_ERR_COMM;
  for (int attempt = 0; attempt < link.timings().command_attempts; ++attempt) {
    if (!link.Wake() || !link.SendLine(proto::kCmdSetTime)) return VP_ERR_COMM;
    std::uint8_t answer = 0;
    LinkError e = link.ReadAnswer(answer);
    if (Down(e)) return VP_ERR_COMM;
    if (e == LinkError::kNone && answer == proto::kNak) return VP_ERR_REFUSED;
    if (e != LinkError::kNone || answer != proto::kAck) continue;
    if (!link.SendBytes("SETTIME time", block)) return VP_ERR_COMM;
    e = link.ReadAnswer(answer);
    if (Down(e)) return VP_ERR_COMM;
    if (e != LinkError::kNone) continue;
    if (answer == proto::kAck) return VP_OK;
    // A console that will not take the time says so once; asking again
    // would only be refused again.
    if (answer == proto::kNak) return VP_ERR_REFUSED;
    if (answer == proto::kCancel) failure = VP_ERR_CRC;
  }
  return failure;
}

}  // namespace tv::stationlib
