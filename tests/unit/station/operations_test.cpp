#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "lib/station/station_operations.h"
#include "tests/unit/station/fake_station.h"

namespace tv {
namespace {

using StationOperationTest = FakeStationTest;

TEST_F(StationOperationTest, RecordsAreFilledThroughTheirAddress) {
  StationDateTime time;
  EXPECT_EQ(GetStationTime_V(&time), 1);
  EXPECT_EQ(time.Minute, 30);
  EXPECT_EQ(time.Hour, 14);
  EXPECT_EQ(time.Day, 5);
  EXPECT_EQ(time.Month, 6);
  EXPECT_EQ(time.Year, 2024);

  std::array<unsigned char, 20> position{};
  EXPECT_EQ(GetVantageLat_V(position.data()), 1);
  EXPECT_EQ(position[0], 0xAB);
  EXPECT_EQ(position[19], 0xAB);

  std::int32_t offset = 0;
  EXPECT_EQ(GetWindDirCalibrationOffset_V(&offset), 0);
  EXPECT_EQ(offset, -7);
}

// The time alarm text comes back as the text the library wrote, not as a
// number made of part of an address.
TEST_F(StationOperationTest, TimeAlarmTexts) {
  EXPECT_EQ(GetTimeAlarmStr_V(), "06h30");
  EXPECT_EQ(GetTimeAlarm_V(), -32768);
  EXPECT_EQ(GetStationFirmwareVersion(), "1.90");
  EXPECT_EQ(GetUSBDevSerialNumber_V(), 123456);
}

#if defined(__x86_64__)
TEST_F(StationOperationTest, CurrentDataByIdChoosesItsPath) {
  struct Case {
    const char* legend;
    std::int32_t id;
    int kind;
    float value;
  };
  const Case cases[] = {
      {"kind 1: the 16-bit result", 5, 1, 10.0f},
      {"kind 0: the float result", 5, 0, 15.0f},
      {"another kind: the float result", 5, 2, 15.0f},
      {"kind 1 and a reading of 0 stays 0", 0, 1, 0.0f},
      {"kind 1 and a negative reading", -4, 1, -8.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(GetCurrentDataByID(c.id, c.kind), c.value);
  }
}
#endif

TEST_F(StationOperationTest, CurrentDataTextById) {
  struct Case {
    const char* legend;
    std::int32_t id;
    int length;
    std::string text;
  };
  const Case cases[] = {
      {"text written by the library", 7, 10, "id=7"},
      {"text cut to the room given", 12345, 5, "id=1"},
      {"failing status in decimal", 99, 10, "-32705"},
      {"no room at all: the library refuses", 7, 0, "-32706"},
      {"negative length is no room", 7, -3, "-32706"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(GetCurrentDataStrByID(c.id, c.length), c.text);
  }
}

TEST(StationOperationNotLoaded, CompositesAnswerTheNotLoadedValues) {
  SetStationLibraryPath("/nonexistent/folder/libvantagepro.so");
  ASSERT_EQ(LoadStationLibrary(), 0);
  EXPECT_EQ(GetCurrentDataByID(5, 1), -32701.0f);
  EXPECT_EQ(GetCurrentDataByID(5, 0), -32701.0f);
  EXPECT_EQ(GetCurrentDataStrByID(5, 10), "-32701");
  EXPECT_EQ(GetStationFirmwareVersion(), "-32701");
  SetStationLibraryPath("");
}

}  // namespace
}  // namespace tv
