#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "lib/common/app_values.h"
#include "lib/station/station_library.h"
#include "lib/station/station_operations.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/station/fake_station.h"

namespace tv {
namespace {

constexpr std::intptr_t A = kArgAbsent;

TEST(StationNames, DecoratedAndPlainNames) {
  struct Case {
    const char* legend;
    const char* operation;
    int count;
    const char* decorated;
    const char* plain;
  };
  const Case cases[] = {
      {"no argument", "GetOutsideTemp_V", 0, "_GetOutsideTemp_V@0", "GetOutsideTemp_V"},
      {"three arguments weigh 12 bytes", "GetCurrentDataStrByID_V", 3,
       "_GetCurrentDataStrByID_V@12", "GetCurrentDataStrByID_V"},
      {"seven arguments", "Op", 7, "_Op@28", "Op"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(DecoratedExportName(c.operation, c.count), c.decorated);
    EXPECT_EQ(PlainExportName(c.decorated), c.plain);
  }
}

TEST(StationArguments, CountUpToTheLastPresentOne) {
  struct Case {
    const char* legend;
    StationArgs args;
    int count;
  };
  const Case cases[] = {
      {"none", {}, 0},
      {"all absent", {A, A, A}, 0},
      {"one", {5}, 1},
      {"trailing absent ones do not count", {5, 6, A, A}, 2},
      {"an absent one before a present one counts", {5, A, 7}, 3},
      {"zero is an argument", {0}, 1},
      {"seven", {1, 2, 3, 4, 5, 6, 7}, 7},
      {"beyond seven is dropped", {1, 2, 3, 4, 5, 6, 7, 8}, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(CountStationArguments(c.args), c.count);
  }
}

TEST(StationLibraryPath, DefaultIsBesideTheProgram) {
  SetStationLibraryPath("");
  EXPECT_EQ(DefaultStationLibraryPath(), AppDir() + "libvantagepro.so");
  EXPECT_EQ(StationLibraryPath(), DefaultStationLibraryPath());
}

// Every path answers its "not loaded" value and calls nothing.
TEST(StationCallPaths, NotLoadedValues) {
  SetStationLibraryPath("/nonexistent/folder/libvantagepro.so");
  ASSERT_EQ(LoadStationLibrary(), 0);
  EXPECT_EQ(StationLibraryHandle(), nullptr);
  EXPECT_EQ(GetOutsideTemp_V(), -32701.0f);
  EXPECT_EQ(InitStation_V(), -32701);
  EXPECT_EQ(GetInsideHumidity_V(), -32701);
  EXPECT_EQ(IsNewLoopPackageSupported_V(), -32701);
  EXPECT_EQ(GetUSBDevSerialNumber_V(), -32701);
  EXPECT_EQ(CallStationByte("FakeByte_V"), 0);
  EXPECT_EQ(GetStationFirmwareVersion_V(), "-32701");
  EXPECT_EQ(GetTimeAlarmStr_V(), "-32701");
  SetStationLibraryPath("");
}

class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& dir)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~CurrentDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// A working library planted in the current directory must never be picked
// up, whether the configured path is missing or is not absolute.
TEST(StationLibraryPath, NeverLoadsFromTheCurrentDirectory) {
  const tv::testing::TempDir folder("tv-station-cwd");
  const std::filesystem::path& dir = folder.path;
  const auto planted = dir / "libvantagepro.so";
  std::filesystem::copy_file(kFakeStationPath, planted,
                             std::filesystem::copy_options::overwrite_existing);
  {
    CurrentDirectory cwd(dir);
    struct Case {
      const char* legend;
      const char* path;
    };
    const Case cases[] = {
        {"absolute path to nothing", "/nonexistent/folder/libvantagepro.so"},
        {"bare file name", "libvantagepro.so"},
        {"relative path", "./libvantagepro.so"},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.legend);
      SetStationLibraryPath(c.path);
      EXPECT_EQ(LoadStationLibrary(), 0);
      EXPECT_EQ(GetOutsideTemp_V(), -32701.0f);
    }
    EXPECT_EQ(dlopen(planted.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "the planted library was loaded";
  }
  SetStationLibraryPath("");
}

using StationCallPathTest = FakeStationTest;

TEST_F(StationCallPathTest, LoadingTwiceKeepsTheSameLibrary) {
  void* first = StationLibraryHandle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(LoadStationLibrary(), 1);
  EXPECT_EQ(StationLibraryHandle(), first);
  EXPECT_EQ(GetOutsideTemp_V(), 71.5f);
}

// Each argument reaches its own place, including the seventh, which travels
// on the stack.
TEST_F(StationCallPathTest, ArgumentsArriveInOrder) {
  struct Case {
    const char* legend;
    const char* operation;
    StationArgs args;
    std::int32_t encoded;
  };
  const Case cases[] = {
      {"one", "FakeEcho1_V", {7}, 7},
      {"two", "FakeEcho2_V", {1, 2}, 21},
      {"three", "FakeEcho3_V", {1, 2, 3}, 321},
      {"four", "FakeEcho4_V", {1, 2, 3, 4}, 4321},
      {"five", "FakeEcho5_V", {1, 2, 3, 4, 5}, 54321},
      {"six", "FakeEcho6_V", {1, 2, 3, 4, 5, 6}, 654321},
      {"seven", "FakeEcho7_V", {1, 2, 3, 4, 5, 6, 7}, 7654321},
      {"absent ones after the last are not passed", "FakeEcho2_V", {4, 5, A, A, A}, 54},
      {"a negative argument keeps its sign", "FakeEcho1_V", {-5}, -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(CallStationLong(c.operation, c.args), c.encoded);
  }
  EXPECT_EQ(CallStationFloat("FakeEchoFloat7_V", {1, 2, 3, 4, 5, 6, 7}), 7654321.0f);
  EXPECT_EQ(GetLowExtraTempAlarm_V(3), 103.0f);
}

TEST_F(StationCallPathTest, TextPathAppendsItsBuffer) {
  struct Case {
    const char* legend;
    const char* operation;
    StationArgs args;
    const char* text;
  };
  const Case cases[] = {
      {"buffer only", "GetStationFirmwareVersion_V", {}, "1.90"},
      {"one argument then the buffer", "FakeEchoText1_V", {8}, "<8>"},
      {"six arguments then the buffer", "FakeEchoText6_V", {1, 2, 3, 4, 5, 6}, "1,2,3,4,5,6"},
      {"missing export leaves the initial text", "GetNothing_V", {}, "-32701"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(CallStationText(c.operation, c.args), c.text);
  }
  EXPECT_EQ(CallStationText("FakeLongText_V"), std::string(349, 'x'));
}

// How each path takes the integer the library returns.
TEST_F(StationCallPathTest, IntegerResultsAreCutToTheirPath) {
  struct Case {
    const char* legend;
    const char* operation;
    std::int32_t as_long;
    std::int16_t as_value;
    std::int16_t as_status;
    std::uint8_t as_byte;
  };
  const Case cases[] = {
      {"wider than 16 bits: the low bits, sign-extended", "FakeWide_V", 0x18000, -32768, -32768, 0},
      {"low byte only", "FakeByte_V", 0x1FF, 0x1FF, 0x1FF, 0xFF},
      {"error code stays an error code", "FakeNegative_V", -32703, -32703, -32703, 0x41},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(CallStationLong(c.operation), c.as_long);
    EXPECT_EQ(CallStationShort(c.operation, ShortResult::kValue), c.as_value);
    EXPECT_EQ(CallStationShort(c.operation, ShortResult::kStatus), c.as_status);
    EXPECT_EQ(CallStationByte(c.operation), c.as_byte);
  }
}

// A status of 0 is the library's success and reads 1; a measured value or
// threshold of 0 is a reading and stays 0.
TEST_F(StationCallPathTest, ZeroBecomesOneForStatusesOnly) {
  struct Case {
    const char* legend;
    std::int16_t (*operation)();
    std::int16_t expected;
  };
  const Case cases[] = {
      {"load answering 0 is a success", LoadCurrentVantageData_V, 1},
      {"close answering 0 is a success", CloseCommPort_V, 1},
      {"load error passes unchanged", LoadVantageAlarms_V, -32703},
      {"north wind stays 0 degrees", GetWindDir_V, 0},
      {"0 % humidity stays 0", GetInsideHumidity_V, 0},
      {"a threshold of 0 stays 0", GetHiWindSpeedAlarm_V, 0},
      {"lack of the newer packet stays 0", IsNewLoopPackageSupported_V, 0},
      {"a value other than 0 passes", GetModelNo_V, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    EXPECT_EQ(c.operation(), c.expected);
  }
  fake().SetShortValue(1);
  EXPECT_EQ(GetInsideHumidity_V(), 1);
  fake().SetShortValue(55);
  EXPECT_EQ(GetInsideHumidity_V(), 55);
}

TEST_F(StationCallPathTest, MissingExports) {
  EXPECT_EQ(GetInsideTemp_V(), -32701.0f) << "float";
  EXPECT_EQ(LoadVantageHiLows_V(), 1) << "status";
  EXPECT_EQ(GetOutsideHumidity_V(), -32701) << "a value must not read as a measurement";
  EXPECT_EQ(CallStationLong("GetNothing_V"), 0) << "long";
  EXPECT_EQ(CallStationByte("GetNothing_V"), 0) << "byte";
}

}  // namespace
}  // namespace tv
