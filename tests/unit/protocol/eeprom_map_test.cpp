#include "protocol/eeprom_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "protocol/packets.h"

namespace tv::protocol::eeprom {
namespace {

TEST(EepromMap, NamedFieldsDoNotOverlapAndStayInside) {
  std::vector<int> owner(kEepromSize, -1);
  int index = 0;
  for (const Field& f : Fields()) {
    SCOPED_TRACE(std::string(f.name));
    ASSERT_LE(f.address + FieldSize(f), kEepromSize);
    for (std::size_t a = f.address; a < f.address + FieldSize(f); ++a) {
      EXPECT_EQ(owner[a], -1) << "address " << a << " already belongs to field " << owner[a];
      owner[a] = index;
    }
    EXPECT_EQ(FindField(f.name), &f);
    ++index;
  }
  EXPECT_EQ(FindField("NO_SUCH_FIELD"), nullptr);
}

TEST(EepromMap, BlocksTileTheirAreas) {
  struct Row {
    const char* legend;
    std::uint16_t start;
    std::size_t size;
    std::uint16_t next;
  };
  const Row rows[] = {
      {"station list ends where unit bits start", kStationList, kStationListSize, kUnitBits},
      {"extra/soil/leaf temp offsets end at inside hum offset", kTempCal, kTempCalCount, kHumInCal},
      {"humidity offsets end at the direction offset", kHumCal, kHumCalCount, kDirCal},
      {"direction offset is followed by the graph settings", kDirCal, 2, kDefaultBarGraph},
      {"alarm block ends after the daily ET threshold", kAlarmBase, kAlarmBlockSize,
       kAlarmDailyEt + 1},
      {"low temps run into the high temps", kAlarmLowTemps, 15, kAlarmHighTemps},
      {"high solar then rain rate", kAlarmHighSolar, 2, kAlarmHighRainRate},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    EXPECT_EQ(row.start + row.size, row.next);
  }
}

TEST(EepromMap, RainCollectorCodes) {
  struct Row {
    const char* legend;
    std::uint8_t setup_bits;
    std::optional<RainCollector> collector;
    double mm;
  };
  const Row rows[] = {
      {"code 0, other bits clear", 0x00, RainCollector::kHundredthInch, 0.254},
      {"code 1 with north/east and 24-hour bits", 0xD1, RainCollector::kFifthMm, 0.2},
      {"code 2 with large cup", 0x28, RainCollector::kTenthMm, 0.1},
      {"unused code 3", 0x30, std::nullopt, 0.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    EXPECT_EQ(RainCollectorFromSetupBits(row.setup_bits), row.collector);
    if (row.collector) {
      EXPECT_DOUBLE_EQ(ClickSizeMm(*row.collector), row.mm);
      // Re-coding the collector leaves every other setup bit alone.
      const std::uint8_t recoded = SetupBitsWithRainCollector(0xFF, *row.collector);
      EXPECT_EQ(recoded | kSetupRainCollectorMask, 0xFF);
      EXPECT_EQ(RainCollectorFromSetupBits(recoded), row.collector);
    }
  }
  EXPECT_NEAR(ClickSizeInches(RainCollector::kHundredthInch), 0.01, 1e-12);
}

}  // namespace
}  // namespace tv::protocol::eeprom
