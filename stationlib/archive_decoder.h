#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "stationlib/vantagepro.h"

// The console's archive as it comes off the wire: one 52-byte record, one
// 267-byte page of a DMPAFT download, and the rules that tell which records of
// a page are new.
namespace tv::stationlib {

enum class ArchiveRecordKind {
  kDecoded,      // a revision B record, decoded
  kUnwritten,    // a slot the console never wrote (date stamp 0xFFFF)
  kRevisionA,    // the older layout: recognised, not decoded
  kUnknownType,  // a record type byte that is neither revision
  kBadStamp,     // a date or time no clock can show
};

// Decodes one record (`bytes` holds at least 52). Rain and ET come in the
// library's rain unit for a click of `click_mm`; every dashed field is
// VP_NO_DATA. `out` is filled only for kDecoded (its stamp also for
// kRevisionA).
ArchiveRecordKind DecodeArchiveRecord(std::span<const std::uint8_t> bytes, double click_mm,
                                      VantageArchiveRecord& out);

// Orders stamps: a later stamp has a larger key (the date word counts years,
// months and days in fields that never overflow into each other).
constexpr std::int64_t ArchiveStampKey(std::uint16_t date, std::uint16_t time) {
  return static_cast<std::int64_t>(date) * 2400 + time;
}

struct ArchiveStamp {
  std::uint16_t date = 0;
  std::uint16_t time = 0;
};
// The stamp words of a date and time; nullopt when a part is out of range or
// the year is outside 2000-2127 (what the date word can hold).
std::optional<ArchiveStamp> ArchiveStampOf(const VantageDateTime& t);

// True when `page` is 267 bytes whose CRC checks.
bool ArchivePageValid(std::span<const std::uint8_t> page);

// The pages of one download, in the order they arrive. Records before the
// announced index in the first page are not new; in the last page, records
// from the first one that is not newer than the record before it (the oldest
// records of the ring) on are not new, nor are slots never written. Elsewhere a
// slot that cannot be decoded is counted in Undecoded.
class ArchivePageDecoder {
 public:
  // `after`: the stamp asked for, nullopt for the whole memory.
  ArchivePageDecoder(std::optional<ArchiveStamp> after, int pages, int first_index,
                     double click_mm);

  // Decodes page `index`, which passed its CRC.
  void Decode(std::span<const std::uint8_t> page, int index, VantageArchivePage& out);
  // Page `index` kept failing its CRC and is skipped.
  void Skip(int index, VantageArchivePage& out) const;

 private:
  void Header(int index, VantageArchivePage& out) const;

  std::optional<std::int64_t> after_key_;
  int pages_;
  int first_index_;
  double click_mm_;
  std::optional<std::int64_t> last_key_;
  bool ended_ = false;
  std::optional<bool> whole_memory_;
};

}  // namespace tv::stationlib
