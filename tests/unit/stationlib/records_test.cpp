// Records filled for the caller, read back at the byte positions the agent
// reads, and the parsers of the console's text replies.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "protocol/eeprom_map.h"
#include "stationlib/current_conditions.h"
#include "stationlib/data_ids.h"
#include "stationlib/eeprom_view.h"
#include "stationlib/records.h"
#include "stationlib/usb_locator.h"
#include "tests/support/comma_locale.h"
#include "tests/support/temp_dir.h"

namespace tv::stationlib {
namespace {

namespace ee = protocol::eeprom;

template <typename T>
T At(const std::uint8_t* record, std::size_t offset) {
  T v{};
  std::memcpy(&v, record + offset, sizeof v);
  return v;
}

SetupView SetupImage(std::initializer_list<std::pair<std::uint16_t, std::uint8_t>> bytes) {
  std::vector<std::uint8_t> image(SetupView::kSize, 0);
  for (const auto& [address, value] : bytes) image[address] = value;
  return SetupView(std::move(image));
}

TEST(PositionRecord, DegreesMinutesAndHemisphere) {
  struct Row {
    const char* legend;
    std::int16_t tenths;
    float degrees;
    std::uint16_t south_or_west, whole, minutes;
  } rows[] = {
      {"45.5 N", 455, 45.5f, 0, 45, 30},
      {"12.3 S", -123, -12.3f, 1, 12, 18},
      {"0.1 W", -1, -0.1f, 1, 0, 6},
      {"equator", 0, 0.0f, 0, 0, 0},
  };
  for (const Row& row : rows) {
    std::uint8_t rec[20];
    std::memset(rec, 0xAA, sizeof rec);
    FillPosition(rec, row.tenths);
    EXPECT_EQ(At<std::uint16_t>(rec, 0), 0) << row.legend;
    EXPECT_FLOAT_EQ(At<float>(rec, 4), row.degrees) << row.legend;
    EXPECT_EQ(At<std::uint16_t>(rec, 8), row.south_or_west) << row.legend;
    EXPECT_EQ(At<std::uint16_t>(rec, 10), row.whole) << row.legend;
    // Read as the agent does, a 32-bit value at 12: minutes, with zero seconds above them.
    EXPECT_EQ(At<std::int32_t>(rec, 12), row.minutes) << row.legend;
    EXPECT_EQ(rec[16], 0xAA) << "only 16 bytes are written: " << row.legend;
  }
}

TEST(TimeZoneRecord, FlagsZoneAndOffset) {
  std::uint8_t rec[12] = {};
  FillTimeZone(rec, SetupImage({{ee::kTimeZone, 21},
                                {ee::kManualOrAuto, 1},
                                {ee::kDaylightSavings, 1},
                                {ee::kGmtOffset, 0x64},  // 100: one hour
                                {ee::kGmtOrZone, 0}}));
  EXPECT_EQ(At<std::uint16_t>(rec, 0), 1) << "the zone list is in use";
  EXPECT_EQ(At<std::uint16_t>(rec, 2), 21);
  EXPECT_FLOAT_EQ(At<float>(rec, 4), 1.0f);
  EXPECT_EQ(At<std::uint16_t>(rec, 8), 0) << "manual daylight saving is not automatic";
  EXPECT_EQ(At<std::uint16_t>(rec, 10), 1);
}

TEST(TransmitterRecord, KindsAndIdsOfTheFirstSevenIds) {
  // ID 1 main suite, ID 2 temperature/humidity, ID 3 off (period 0), ID 4 leaf/soil,
  // ID 5 anemometer, ID 6 main suite sending as a temperature/humidity station
  // (0x13), ID 7 main suite sending as a temperature station (0x11), ID 8
  // retransmitted (beyond the record).
  const SetupView setup = SetupImage({{ee::kStationList + 0, 0x10},
                                      {ee::kStationList + 2, 0x43},
                                      {ee::kStationList + 4, 0x03},
                                      {ee::kStationList + 6, 0x18},
                                      {ee::kStationList + 8, 0x14},
                                      {ee::kStationList + 10, 0x13},
                                      {ee::kStationList + 12, 0x11},
                                      {ee::kRetransmitId, 8}});
  std::uint8_t rec[56];
  std::memset(rec, 0xAA, sizeof rec);
  FillTxConfig(rec, setup);
  const std::int32_t kinds[7] = {1, 3, 0, 10, 7, 5, 4};
  const std::int32_t ids[7] = {1, 2, 0, 4, 5, 6, 7};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(At<std::int32_t>(rec, 4 * i), kinds[i]) << "kind of ID " << i + 1;
    EXPECT_EQ(At<std::int32_t>(rec, 28 + 4 * i), ids[i]) << "station ID of ID " << i + 1;
  }
  EXPECT_EQ(TransmitterKind(setup, 8), 12) << "the console retransmits on ID 8";
}

TEST(CalibrationRecord, TemperatureOffsetsAsFahrenheitAroundFreezing) {
  struct Row {
    const char* legend;
    std::uint8_t in_cal, out_cal, in_hum, out_hum;
    float in_f, out_f;
  } rows[] = {
      {"the manual's example: +0.5 and +1.4 °F", 0x05, 0x0E, 0, 0, 32.5f, 33.4f},
      {"negative offsets, humidity -2 %", 0xEC, 0x00, 0xFE, 3, 30.0f, 32.0f},
  };
  for (const Row& row : rows) {
    std::uint8_t rec[20] = {};
    FillCalibration(rec, SetupImage({{ee::kTempInCal, row.in_cal},
                                     {ee::kTempOutCal, row.out_cal},
                                     {ee::kHumInCal, row.in_hum},
                                     {ee::kHumCal, row.out_hum},
                                     {ee::kDirCal, 0xF6},
                                     {ee::kDirCal + 1, 0xFF}}));
    EXPECT_FLOAT_EQ(At<float>(rec, 10), row.in_f) << row.legend;
    EXPECT_FLOAT_EQ(At<float>(rec, 14), row.out_f) << row.legend;
    EXPECT_EQ(rec[18], row.in_hum) << row.legend;
    EXPECT_EQ(rec[19], row.out_hum) << row.legend;
    EXPECT_EQ(At<std::int16_t>(rec, 4), -10) << row.legend;
  }
}

TEST(SetupView, RainCollectorAndWindCup) {
  struct Row {
    const char* legend;
    std::uint8_t setup_bits;
    double click_mm;
    int cup;
  } rows[] = {
      {"0.01 in, small cup", 0x00, 0.254, 2},
      {"0.2 mm, large cup", 0x18, 0.2, 1},
      {"0.1 mm", 0x20, 0.1, 2},
      {"unused code 3 reads as 0.01 in", 0x30, 0.254, 2},
  };
  for (const Row& row : rows) {
    const SetupView s = SetupImage({{ee::kSetupBits, row.setup_bits}});
    EXPECT_DOUBLE_EQ(s.ClickMm(), row.click_mm) << row.legend;
    EXPECT_EQ(s.WindCupCode(), row.cup) << row.legend;
  }
}

TEST(AlarmView, NotSetValuesAndTheGuardedTimeAlarm) {
  std::vector<std::uint8_t> block(ee::kAlarmBlockSize, 0xFF);
  auto set = [&](std::uint16_t address, std::uint8_t v) { block[address - ee::kAlarmBase] = v; };
  set(ee::kAlarmBarRise, 0);       // not set
  set(ee::kAlarmBarFall, 60);      // 0.060 inHg
  set(ee::kAlarmLowOutTemp, 122);  // 32 °F
  set(ee::kAlarmLowDew, 100);      // -20 °F (offset 120)
  set(ee::kAlarmHighUv, 85);       // 8.5
  set(ee::kAlarmTime, 0xCB);       // 07:15 and its complement
  set(ee::kAlarmTime + 1, 0x02);
  set(ee::kAlarmTimeComp, 0x34);
  set(ee::kAlarmTimeComp + 1, 0xFD);
  const AlarmView a(block);
  EXPECT_FALSE(a.BarRise());
  EXPECT_DOUBLE_EQ(*a.BarFall(), 0.060);
  EXPECT_DOUBLE_EQ(*a.Temp(ee::kAlarmLowOutTemp), 32);
  EXPECT_DOUBLE_EQ(*a.Temp(ee::kAlarmLowDew, 120), -20);
  EXPECT_FALSE(a.Temp(ee::kAlarmHighOutTemp));
  EXPECT_DOUBLE_EQ(*a.Uv(ee::kAlarmHighUv), 8.5);
  EXPECT_FALSE(a.Word(ee::kAlarmHighRainRate));
  EXPECT_EQ(a.Time(), 715);
  set(ee::kAlarmTimeComp, 0x35);  // complement no longer matches
  EXPECT_FALSE(AlarmView(block).Time());
}

TEST(TextReplies, Parsers) {
  const auto rx = ParseRxCheck(" 21629 15 0 3204 128");
  ASSERT_TRUE(rx);
  EXPECT_EQ(*rx, (std::array<std::int32_t, 5>{21629, 15, 0, 3204, 128}));
  EXPECT_FALSE(ParseRxCheck("21629 15 0 3204"));
  EXPECT_FALSE(ParseRxCheck("21629 15 x 3204 128"));

  const auto date = ParseFirmwareDate("Apr 24 2002");
  ASSERT_TRUE(date);
  EXPECT_EQ(date->day, 24);
  EXPECT_EQ(date->month, 4);
  EXPECT_EQ(date->year, 2002);
  EXPECT_FALSE(ParseFirmwareDate("Foo 24 2002"));

  const auto bar = ParseBarData({"BAR 29.775", "ELEVATION 27", "DEW POINT 56", "VIRTUAL TEMP 63",
                                 "C 29", "R 1.001", "BARCAL 0", "GAIN 1533", "OFFSET 18110"});
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->bar, 29775);
  EXPECT_EQ(bar->elevation, 27);
  EXPECT_EQ(bar->dew_point, 56);
  EXPECT_EQ(bar->virtual_temp, 63);
  EXPECT_EQ(bar->ratio, 1001);
  EXPECT_EQ(bar->offset, 18110);
  const auto ints = ParseBarData({"BAR 29775", "R 1001", "BARCAL -12"});
  ASSERT_TRUE(ints);
  EXPECT_EQ(ints->bar, 29775);
  EXPECT_EQ(ints->ratio, 1001);
  std::uint8_t rec[28] = {};
  FillBarometer(rec, *ints);
  EXPECT_FLOAT_EQ(At<float>(rec, 24), -0.012f);
}

// The console writes decimal points; the library must read and write them the
// same way when the program using it runs on a French desktop.
TEST(ConsoleTexts, DecimalPointWhateverTheLocale) {
  const testing::ScopedCommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.why_not();
  const auto bar = ParseBarData({"BAR 29.775", "R 1.001"});
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->bar, 29775);
  EXPECT_EQ(bar->ratio, 1001);
  EXPECT_FALSE(ParseBarData({"BAR 29,775"}));
  EXPECT_FALSE(ParseBarData({"BAR 1e99"}));
  CurrentConditions now;
  now.console_volts = 4.7;
  std::string text;
  EXPECT_EQ(CurrentTextById(now, VP_ID_CONSOLE_VOLTAGE, {}, text), VP_OK);
  EXPECT_EQ(text, "4.70");
}

TEST(TimeBlock, ConsoleClock) {
  const auto t = DecodeTimeBlock({0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67});
  ASSERT_TRUE(t);
  EXPECT_EQ(t->minute, 27);
  EXPECT_EQ(t->hour, 15);
  EXPECT_EQ(t->day, 4);
  EXPECT_EQ(t->month, 6);
  EXPECT_EQ(t->year, 2003);
  EXPECT_FALSE(DecodeTimeBlock({0, 0, 24, 1, 1, 124})) << "hour 24";
  EXPECT_FALSE(DecodeTimeBlock({0, 0, 0, 1, 13, 124})) << "month 13";
}

// A fake sysfs: ttys whose device links lead up to USB devices.
class FakeSysfs {
 public:
  FakeSysfs() { std::filesystem::create_directories(root_ / "class" / "tty"); }

  void AddUsbTty(const std::string& tty, const std::string& vendor, const std::string& serial,
                 const std::string& devname = "") {
    const auto usb = root_ / "devices" / "usb1" / ("1-" + tty);
    const auto iface = usb / ("1-" + tty + ":1.0") / tty;
    std::filesystem::create_directories(iface);
    std::ofstream(usb / "idVendor") << vendor << "\n";
    std::ofstream(usb / "serial") << serial << "\n";
    const auto cls = root_ / "class" / "tty" / tty;
    std::filesystem::create_directories(cls);
    std::filesystem::create_directory_symlink(iface, cls / "device");
    if (!devname.empty()) std::ofstream(cls / "uevent") << "MAJOR=4\nDEVNAME=" << devname << "\n";
  }
  void AddVirtualTty(const std::string& tty) {
    std::filesystem::create_directories(root_ / "class" / "tty" / tty);
  }
  std::string Root() const { return root_.string(); }

 private:
  tv::testing::TempDir dir_{"stl-sysfs"};
  const std::filesystem::path& root_ = dir_.path;
};

TEST(UsbLocator, FindsLoggersBySerialNumber) {
  FakeSysfs sys;
  sys.AddVirtualTty("tty0");
  sys.AddUsbTty("ttyUSB1", "10c4", "00123456");
  sys.AddUsbTty("ttyUSB0", "10c4", "987", "pts/7");
  sys.AddUsbTty("ttyUSB2", "0403", "555");   // another maker's bridge
  sys.AddUsbTty("ttyUSB3", "10c4", "A1B2");  // not a number
  const auto loggers = FindUsbLoggers(sys.Root());
  ASSERT_EQ(loggers.size(), 2u);
  EXPECT_EQ(loggers[0].tty, "ttyUSB0") << "ordered by tty name";
  EXPECT_EQ(loggers[0].serial, 987);
  EXPECT_EQ(loggers[0].device_path, "/dev/pts/7") << "the node named by the uevent";
  EXPECT_EQ(loggers[1].serial, 123456);
  EXPECT_EQ(loggers[1].device_path, "/dev/ttyUSB1");
  EXPECT_TRUE(FindUsbLogger(sys.Root(), 123456));
  EXPECT_FALSE(FindUsbLogger(sys.Root(), 555));
  EXPECT_TRUE(FindUsbLoggers(sys.Root() + "/missing").empty());
}

}  // namespace
}  // namespace tv::stationlib
