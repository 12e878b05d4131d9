// The archive record and page decoders against records written here from the
// record table: every dash, both ends of the ranges, both revisions, and the
// rules that tell which records of a page are new; and the page exchange of
// the download against a scripted console.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "protocol/commands.h"
#include "protocol/crc.h"
#include "protocol/packets.h"
#include "stationlib/archive_decoder.h"
#include "stationlib/archive_exchange.h"
#include "tests/unit/stationlib/scripted_console.h"

namespace tv::stationlib {
namespace {

namespace proto = tv::protocol;
using Record = std::array<std::uint8_t, 52>;

constexpr float kNone = VP_NO_DATA;
constexpr double kClickMm = 0.2;

void Put16(Record& r, std::size_t at, int v) {
  r[at] = static_cast<std::uint8_t>(v & 0xFF);
  r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// A plausible revision B record stamped `date`/`time`.
Record MakeRecord(std::uint16_t date, std::uint16_t time) {
  Record r{};
  Put16(r, 0, date);
  Put16(r, 2, time);
  Put16(r, 4, 723);     // 72.3 °F
  Put16(r, 6, 751);     // high
  Put16(r, 8, 702);     // low
  Put16(r, 10, 10);     // 10 clicks
  Put16(r, 12, 40);     // 40 clicks/h
  Put16(r, 14, 30012);  // 30.012 inHg
  Put16(r, 16, 512);    // W/m²
  Put16(r, 18, 234);    // wind samples
  Put16(r, 20, 701);    // inside 70.1 °F
  r[22] = 45;
  r[23] = 67;
  r[24] = 7;
  r[25] = 19;
  r[26] = 4;   // E
  r[27] = 15;  // NNW
  r[28] = 32;  // UV 3.2
  r[29] = 100;
  Put16(r, 30, 780);
  r[32] = 51;
  r[33] = 44;
  r[34] = 150;  // leaf temps
  r[35] = 0xFF;
  r[36] = 15;  // leaf wetness
  r[37] = 0;
  for (int i = 0; i < 4; ++i) r[38 + i] = static_cast<std::uint8_t>(100 + i);
  r[42] = proto::kArchiveRevisionB;
  r[43] = 80;
  r[44] = 0xFF;
  r[45] = 0;  // -90 °F
  r[46] = 254;
  r[47] = 0xFF;
  for (int i = 0; i < 4; ++i) r[48 + i] = static_cast<std::uint8_t>(i == 3 ? 0xFF : 20 * i);
  return r;
}

const std::uint16_t kDate = proto::EncodeArchiveDate(2024, 6, 21);

TEST(ArchiveRecordDecoder, FieldsDashesAndEnds) {
  struct Row {
    const char* legend;
    std::function<void(Record&)> change;
    std::function<float(const VantageArchiveRecord&)> field;
    float expected;
  };
  auto none = [](Record&) {};
  const Row rows[] = {
      {"outside average", none, [](auto& a) { return a.OutsideTemp; }, 72.3f},
      {"outside average dashed 0x7FFF", [](Record& r) { Put16(r, 4, 0x7FFF); },
       [](auto& a) { return a.OutsideTemp; }, kNone},
      {"high dashed 0x8000", [](Record& r) { Put16(r, 6, 0x8000); },
       [](auto& a) { return a.HiOutsideTemp; }, kNone},
      {"low dashed 0x7FFF", [](Record& r) { Put16(r, 8, 0x7FFF); },
       [](auto& a) { return a.LowOutsideTemp; }, kNone},
      {"low below zero", [](Record& r) { Put16(r, 8, -123); },
       [](auto& a) { return a.LowOutsideTemp; }, -12.3f},
      {"inside dashed", [](Record& r) { Put16(r, 20, 0x7FFF); },
       [](auto& a) { return a.InsideTemp; }, kNone},
      {"rain: 10 clicks of 0.2 mm", none, [](auto& a) { return a.Rain; }, 0.1f},
      {"rain rate: 40 clicks/h", none, [](auto& a) { return a.HiRainRate; }, 0.4f},
      {"ET 0.100 in", none, [](auto& a) { return a.ET; }, static_cast<float>(0.1 * 25.4 / 20)},
      {"ET dashed", [](Record& r) { r[29] = 0xFF; }, [](auto& a) { return a.ET; }, kNone},
      {"barometer", none, [](auto& a) { return a.Barometer; }, 30.012f},
      {"barometer dashed 0", [](Record& r) { Put16(r, 14, 0); },
       [](auto& a) { return a.Barometer; }, kNone},
      {"solar dashed 0x7FFF", [](Record& r) { Put16(r, 16, 0x7FFF); },
       [](auto& a) { return a.SolarRad; }, kNone},
      {"solar high 0 without sensor",
       [](Record& r) {
         Put16(r, 16, 0x7FFF);
         Put16(r, 30, 0);
       },
       [](auto& a) { return a.HiSolarRad; }, kNone},
      {"solar high 0 at night",
       [](Record& r) {
         Put16(r, 16, 0);
         Put16(r, 30, 0);
       },
       [](auto& a) { return a.HiSolarRad; }, 0.0f},
      {"UV average", none, [](auto& a) { return a.UV; }, 3.2f},
      {"UV dashed 0xFF", [](Record& r) { r[28] = 0xFF; }, [](auto& a) { return a.UV; }, kNone},
      {"UV high 0 without sensor",
       [](Record& r) {
         r[28] = 0xFF;
         r[32] = 0;
       },
       [](auto& a) { return a.HiUV; }, kNone},
      {"wind average", none, [](auto& a) { return a.AvgWindSpeed; }, 7.0f},
      {"wind average dashed", [](Record& r) { r[24] = 0xFF; },
       [](auto& a) { return a.AvgWindSpeed; }, kNone},
      {"no wind samples: no high", [](Record& r) { Put16(r, 18, 0); },
       [](auto& a) { return a.HiWindSpeed; }, kNone},
      {"no wind samples: no direction", [](Record& r) { Put16(r, 18, 0); },
       [](auto& a) { return a.PrevailingWindDir; }, kNone},
      {"direction code 4 is east", none, [](auto& a) { return a.HiWindDir; }, 90.0f},
      {"direction code 15, the last", none, [](auto& a) { return a.PrevailingWindDir; }, 337.5f},
      {"direction code 0 is north", [](Record& r) { r[26] = 0; },
       [](auto& a) { return a.HiWindDir; }, 0.0f},
      {"direction dashed 0xFF", [](Record& r) { r[27] = 0xFF; },
       [](auto& a) { return a.PrevailingWindDir; }, kNone},
      {"direction code 16 is none", [](Record& r) { r[26] = 16; },
       [](auto& a) { return a.HiWindDir; }, kNone},
      {"inside humidity", none, [](auto& a) { return float(a.InsideHum); }, 45},
      {"outside humidity dashed", [](Record& r) { r[23] = 0xFF; },
       [](auto& a) { return float(a.OutsideHum); }, kNone},
      {"forecast rule", none, [](auto& a) { return float(a.ForecastRule); }, 44},
      {"leaf temperature", none, [](auto& a) { return a.LeafTemp[0]; }, 60.0f},
      {"leaf temperature dashed", none, [](auto& a) { return a.LeafTemp[1]; }, kNone},
      {"leaf wetness 15, the top", none, [](auto& a) { return a.LeafWetness[0]; }, 15.0f},
      {"leaf wetness 0", none, [](auto& a) { return a.LeafWetness[1]; }, 0.0f},
      {"leaf wetness 16 is none", [](Record& r) { r[36] = 16; },
       [](auto& a) { return a.LeafWetness[0]; }, kNone},
      {"soil temperature 4", none, [](auto& a) { return a.SoilTemp[3]; }, 13.0f},
      {"extra humidity dashed", none, [](auto& a) { return a.ExtraHum[1]; }, kNone},
      {"extra temperature 0 is -90 °F", none, [](auto& a) { return a.ExtraTemp[0]; }, -90.0f},
      {"extra temperature 254 is 164 °F", none, [](auto& a) { return a.ExtraTemp[1]; }, 164.0f},
      {"extra temperature dashed", none, [](auto& a) { return a.ExtraTemp[2]; }, kNone},
      {"soil moisture 0", none, [](auto& a) { return a.SoilMoisture[0]; }, 0.0f},
      {"soil moisture dashed", none, [](auto& a) { return a.SoilMoisture[3]; }, kNone},
  };
  for (const Row& row : rows) {
    Record r = MakeRecord(kDate, 1350);
    row.change(r);
    VantageArchiveRecord out{};
    ASSERT_EQ(DecodeArchiveRecord(r, kClickMm, out), ArchiveRecordKind::kDecoded) << row.legend;
    EXPECT_NEAR(row.field(out), row.expected, 1e-4) << row.legend;
  }
}

TEST(ArchiveRecordDecoder, KindsAndStamp) {
  struct Row {
    const char* legend;
    std::function<void(Record&)> change;
    ArchiveRecordKind kind;
  } rows[] = {
      {"revision B", [](Record&) {}, ArchiveRecordKind::kDecoded},
      {"revision A recognised", [](Record& r) { r[42] = 0xFF; }, ArchiveRecordKind::kRevisionA},
      {"unknown type", [](Record& r) { r[42] = 0x42; }, ArchiveRecordKind::kUnknownType},
      {"never written", [](Record& r) { r.fill(0xFF); }, ArchiveRecordKind::kUnwritten},
      {"month 13", [](Record& r) { Put16(r, 0, 5 + 13 * 32 + 24 * 512); },
       ArchiveRecordKind::kBadStamp},
      {"day 0", [](Record& r) { Put16(r, 0, 0 + 6 * 32 + 24 * 512); },
       ArchiveRecordKind::kBadStamp},
      {"hour 24", [](Record& r) { Put16(r, 2, 2400); }, ArchiveRecordKind::kBadStamp},
      {"minute 60", [](Record& r) { Put16(r, 2, 1260); }, ArchiveRecordKind::kBadStamp},
  };
  for (const Row& row : rows) {
    Record r = MakeRecord(kDate, 2359);
    row.change(r);
    VantageArchiveRecord out{};
    EXPECT_EQ(DecodeArchiveRecord(r, kClickMm, out), row.kind) << row.legend;
  }
  VantageArchiveRecord out{};
  ASSERT_EQ(DecodeArchiveRecord(MakeRecord(kDate, 2359), kClickMm, out),
            ArchiveRecordKind::kDecoded);
  EXPECT_EQ(out.Stamp.Year, 2024);
  EXPECT_EQ(out.Stamp.Month, 6);
  EXPECT_EQ(out.Stamp.Day, 21);
  EXPECT_EQ(out.Stamp.Hour, 23);
  EXPECT_EQ(out.Stamp.Minute, 59);
  EXPECT_EQ(out.Revision, 'B');
  EXPECT_EQ(out.DateStamp, kDate);
}

// A page of five slots: a time of day (on kDate) each, or a special slot.
constexpr int kEmpty = -1, kUnknown = -2;
std::vector<std::uint8_t> MakePage(std::array<int, 5> slots, std::uint8_t sequence = 0) {
  std::vector<std::uint8_t> page{sequence};
  for (int t : slots) {
    Record r = MakeRecord(kDate, static_cast<std::uint16_t>(t < 0 ? 0 : t));
    if (t == kEmpty) r.fill(0xFF);
    if (t == kUnknown) {
      r = MakeRecord(kDate, 1200);
      r[42] = 0x21;
    }
    page.insert(page.end(), r.begin(), r.end());
  }
  page.insert(page.end(), 4, 0);
  proto::AppendCrc(page);
  return page;
}

TEST(ArchivePageDecoder, WhichRecordsAreNew) {
  struct Row {
    const char* legend;
    int first_index;
    std::optional<int> after;  // time of day asked for
    std::vector<std::array<int, 5>> pages;
    std::vector<int> counts, undecoded;
    std::vector<int> last_times;  // time of the last new record of each page, -1 none
    int whole_memory;
  } rows[] = {
      {"records before the index are old",
       3,
       1010,
       {{{1000, 1005, 1010, 1015, 1020}}},
       {2},
       {0},
       {1020},
       0},
      {"one page, the newest then the oldest of the ring",
       0,
       1005,
       {{{1010, 1015, 700, 705, 710}}},
       {2},
       {0},
       {1015},
       0},
      {"the wrap at the first record of the last page",
       0,
       955,
       {{{1000, 1005, 1010, 1015, 1020}}, {{700, 705, 710, 715, 720}}},
       {5, 0},
       {0, 0},
       {1020, -1},
       0},
      {"unwritten slots end a memory that is not full",
       0,
       std::nullopt,
       {{{1000, 1005, 1010, 1015, 1020}}, {{1025, kEmpty, kEmpty, kEmpty, kEmpty}}},
       {5, 1},
       {0, 0},
       {1020, 1025},
       1},
      {"a hole and an unknown type in the middle are counted",
       0,
       std::nullopt,
       {{{1000, kEmpty, 1010, kUnknown, 1020}}, {{1025, 1030, 1035, 1040, 1045}}},
       {3, 5},
       {2, 0},
       {1020, 1045},
       1},
      {"a stamp not found: the first record is not newer",
       0,
       1200,
       {{{700, 705, 710, 715, 720}}, {{725, 730, 735, 740, 745}}},
       {5, 5},
       {0, 0},
       {720, 745},
       1},
      {"a stamp not found from the middle of a page",
       3,
       1200,
       {{{1300, 1305, 1310, 700, 705}}, {{710, 715, 720, 600, 605}}},
       {2, 3},
       {0, 0},
       {705, 720},
       1},
  };
  for (const Row& row : rows) {
    std::optional<ArchiveStamp> after;
    if (row.after) after = ArchiveStamp{kDate, static_cast<std::uint16_t>(*row.after)};
    ArchivePageDecoder decoder(after, static_cast<int>(row.pages.size()), row.first_index,
                               kClickMm);
    for (std::size_t i = 0; i < row.pages.size(); ++i) {
      const auto page = MakePage(row.pages[i], static_cast<std::uint8_t>(i));
      ASSERT_TRUE(ArchivePageValid(page)) << row.legend;
      VantageArchivePage out{};
      decoder.Decode(page, static_cast<int>(i), out);
      EXPECT_EQ(out.Index, static_cast<int>(i)) << row.legend;
      EXPECT_EQ(out.Status, VP_OK) << row.legend;
      EXPECT_EQ(out.Count, row.counts[i]) << row.legend << ", page " << i;
      EXPECT_EQ(out.Undecoded, row.undecoded[i]) << row.legend << ", page " << i;
      EXPECT_EQ(out.Count > 0 ? out.Records[out.Count - 1].TimeStamp : -1, row.last_times[i])
          << row.legend << ", page " << i;
      if (i + 1 == row.pages.size()) {
        EXPECT_EQ(out.WholeMemory, row.whole_memory) << row.legend;
      }
    }
  }
}

TEST(ArchivePageDecoder, DamagedPagesAndStamps) {
  auto page = MakePage({1000, 1005, 1010, 1015, 1020});
  EXPECT_TRUE(ArchivePageValid(page));
  page[100] ^= 0x01;
  EXPECT_FALSE(ArchivePageValid(page)) << "one bit flipped";
  EXPECT_FALSE(ArchivePageValid(std::vector<std::uint8_t>(266, 0))) << "one byte short";
  ArchivePageDecoder decoder(std::nullopt, 3, 0, kClickMm);
  VantageArchivePage out{};
  decoder.Skip(1, out);
  EXPECT_EQ(out.Status, VP_ERR_CRC);
  EXPECT_EQ(out.Count, 0);
  EXPECT_EQ(out.Index, 1);

  EXPECT_FALSE(ArchiveStampOf(VantageDateTime{0, 0, 1, 1, 1999}).has_value()) << "before 2000";
  EXPECT_FALSE(ArchiveStampOf(VantageDateTime{60, 0, 1, 1, 2024}).has_value()) << "minute 60";
  const auto stamp = ArchiveStampOf(VantageDateTime{30, 13, 21, 6, 2024});
  ASSERT_TRUE(stamp.has_value());
  EXPECT_EQ(stamp->date, kDate);
  EXPECT_EQ(stamp->time, 1330);
}

// A console that sends its pages after DMPAFT and takes each ACK after a
// page as the go-ahead for the next one, but for the pages whose ACK is
// lost on the line: it never saw the ACK and sends the same page again.
TEST(ArchiveDownload, APageSentAgainForALostAckIsHandedOverOnce) {
  struct Row {
    const char* legend;
    std::set<int> ack_lost;  // pages whose first ACK never reaches the console
    // Of those, the pages whose copy sent again arrives damaged first (NAK).
    std::set<int> damaged_again;
  } rows[] = {
      {"every ACK arrives", {}, {}},
      {"the ACK of the first page lost", {0}, {}},
      {"the ACKs of two pages in a row lost", {1, 2}, {}},
      {"an ACK lost, the page sent again damaged, then good", {1}, {1}},
  };
  const std::vector<std::array<int, 5>> times = {{{1000, 1005, 1010, 1015, 1020}},
                                                 {{1025, 1030, 1035, 1040, 1045}},
                                                 {{1050, 1055, 1100, 1105, 1110}},
                                                 {{1115, 1120, 1125, 1130, 1135}}};
  const int pages = static_cast<int>(times.size());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    std::vector<std::string> writes;
    int sent = -1;  // the page last sent
    std::set<int> lost = row.ack_lost;
    std::set<int> damaged = row.damaged_again;
    const auto page_text = [&](int index, bool damage = false) {
      auto page =
          MakePage(times[static_cast<std::size_t>(index)], static_cast<std::uint8_t>(index));
      if (damage) page[10] ^= 0x01;
      return std::string(page.begin(), page.end());
    };
    auto stream = std::make_unique<ScriptedConsole>(
        [&](const std::string& w) -> std::string {
          if (w == "\n") return "\n\r";
          if (w == std::string(proto::kCmdDmpAft) + "\n") return "\x06";
          if (w.size() == proto::kArchiveStampSize + proto::kCrcSize) {
            std::vector<std::uint8_t> announce{static_cast<std::uint8_t>(pages), 0, 0, 0};
            proto::AppendCrc(announce);
            return "\x06" + std::string(announce.begin(), announce.end());
          }
          if (w == "\x06") {
            if (sent >= 0 && lost.erase(sent) > 0) return page_text(sent, damaged.erase(sent) > 0);
            return sent + 1 < pages ? page_text(++sent) : "";
          }
          if (w == "\x15" && sent >= 0) return page_text(sent);
          return "";
        },
        &writes);
    ConsoleLink link(std::move(stream));
    std::vector<int> got;
    const auto sink = [](void* context, const VantageArchivePage* page) -> std::int32_t {
      auto& out = *static_cast<std::vector<int>*>(context);
      for (int i = 0; i < page->Count; ++i) out.push_back(page->Records[i].TimeStamp);
      return 0;
    };
    EXPECT_EQ(DownloadArchivePages(link, kClickMm, std::nullopt, sink, &got), VP_OK);
    std::vector<int> expected;
    for (const auto& page : times) expected.insert(expected.end(), page.begin(), page.end());
    EXPECT_EQ(got, expected) << "each record once, in order";
    EXPECT_EQ(sent, pages - 1) << "every page asked for";
    int naks = 0;
    for (const auto& w : writes) naks += w == "\x15" ? 1 : 0;
    EXPECT_EQ(naks, static_cast<int>(row.damaged_again.size()))
        << "a NAK for each damaged page, none for a good one sent again";
  }
}

}  // namespace
}  // namespace tv::stationlib
