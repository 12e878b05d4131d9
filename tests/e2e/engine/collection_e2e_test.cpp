// The collection engine and its five services with the real station library,
// against the console simulator over TCP: what lands in the station record
// after a cycle, compared with the simulator's read-back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cmath>

#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lib/station/result_codes.h"
#include "tests/e2e/engine/collector.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

using testing::Celsius;
using testing::Collector;
using testing::SimulatorProcess;
using Lines = std::vector<std::string>;

class CollectionE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-21 14:00:00"}, &error))
        << error;
    ASSERT_EQ(sim.Control("HOLD ON"), "OK");
    ASSERT_TRUE(c.clock.AlignWith(sim.Control("CLOCK")));
    address = "127.0.0.1@" + std::to_string(sim.tcp_port());
    c.config.Set("CONSOLE", "type", "IP");
    c.config.Set("CONSOLE", "adresse", address);
    c.config.Set("CONSOLE", "ConnectionTimeout", "10");
  }

  void EnableAll() {
    c.config.Set("SERVICES", "CurrentData", "10");
    c.config.Set("SERVICES", "Alarm", "3600");
    c.config.Set("SERVICES", "HiLow", "3600");
    c.config.Set("SERVICES", "ConfigStation", "3600");
    c.config.Set("SERVICES", "Calibration", "3600");
  }

  double Num(const std::string& name) { return sim.GetNumber(name); }

  SimulatorProcess sim;
  std::string address;
  Collector c;
};

TEST_F(CollectionE2e, OneCycleFillsEveryGroupInDisplayUnits) {
  EnableAll();
  c.Build();
  c.engine->RunCycle();

  EXPECT_EQ(c.window.Text(Field::LinkStateText), "OK:\nIP : " + address);
  EXPECT_EQ(c.window.Lines(Field::AppLogList), Lines{}) << "nothing failed";
  EXPECT_EQ(c.window.Rows(Field::ServiceList).size(), 5U);
  for (const char* name : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
    EXPECT_TRUE(c.flags.IsRaised(name)) << name;
  }
  EXPECT_EQ(c.record.CycleSuccessCount, 2);

  const StationData d = c.record.Snapshot();
  const CurrentDataGroup& cd = d.CurrentData;
  EXPECT_NEAR(cd.OutsideTemp, Celsius(Num("outside_temp")), 0.06);
  EXPECT_NEAR(cd.InsideTemp, Celsius(Num("inside_temp")), 0.06);
  EXPECT_NEAR(cd.DewPt, Celsius(Num("dew_point")), 0.06);
  EXPECT_EQ(cd.OutsideHumidity, Num("outside_hum"));
  EXPECT_EQ(cd.InsideHumidity, Num("inside_hum"));
  EXPECT_NEAR(cd.Barometer, Num("barometer") * 33.865, 0.05);
  EXPECT_NEAR(cd.WindSpeed, std::round(Num("wind_speed")) * 1.61, 0.01);
  EXPECT_EQ(cd.WindDir, Num("wind_dir"));
  EXPECT_NEAR(cd.DailyRain, Num("day_rain") * 0.2, 0.01) << "0.2 mm clicks";
  EXPECT_NEAR(cd.MonthlyRain, Num("month_rain") * 0.2, 0.01);
  EXPECT_NEAR(cd.RainRate, Num("rain_rate") * 0.2, 0.01);
  EXPECT_EQ(cd.SolarRad, Num("solar"));
  EXPECT_FALSE(cd.WindDirText.empty());
  EXPECT_FALSE(cd.BarTrendText.empty());
  const double extra1 = Num("extra_temp1");
  if (std::isnan(extra1)) {
    EXPECT_EQ(IsValidResult(cd.ExtraTemp[0]), 0) << "absent sensor stays recognisable";
  } else {
    EXPECT_NEAR(cd.ExtraTemp[0], Celsius(extra1), 0.06);
  }

  EXPECT_FALSE(d.Forecast.Text.empty());
  EXPECT_EQ(d.Forecast.Text.back(), ';');
  EXPECT_EQ(d.StationTime.Year, 2024);
  EXPECT_EQ(d.StationTime.Month, 6);
  EXPECT_EQ(d.StationTime.Day, 21);
  EXPECT_EQ(d.SunriseTime.Hour * 100 + d.SunriseTime.Minute, Num("sunrise"));
  EXPECT_EQ(d.SunsetTime.Hour * 100 + d.SunsetTime.Minute, Num("sunset"));

  // Records stay in the library's units.
  const HiLowValue* out_high = d.HiLow.Find("OutsideTemp", HiLowPeriod::DayHigh);
  ASSERT_NE(out_high, nullptr);
  EXPECT_NEAR(out_high->value, Num("hl.outside_temp.day_high"), 0.06);
  EXPECT_EQ(out_high->time.Hour * 100 + out_high->time.Minute,
            Num("hl.outside_temp.day_high_time"));
  EXPECT_EQ(d.HiLow.Find("InsideHum", HiLowPeriod::MonthLow)->value,
            Num("hl.inside_hum.month_low"));
  EXPECT_NEAR(d.HiLow.Find("WindSpeed", HiLowPeriod::YearHigh)->value,
              Num("hl.wind_speed.year_high"), 0.01);
  EXPECT_NEAR(d.HiLow.Find("WindChill", HiLowPeriod::DayLow)->value, Num("hl.wind_chill.day_low"),
              0.06);

  // Thresholds set in the simulated console, converted.
  const AlarmsGroup& a = d.Alarms;
  EXPECT_NEAR(a.outsideHiTemp, 35.0, 0.01) << "95 °F";
  EXPECT_NEAR(a.OutsideLowTemp, 0.0, 0.01) << "32 °F";
  EXPECT_NEAR(a.HiWindSpeed, 64.4, 0.01) << "40 mph";
  EXPECT_NEAR(a.HiRainRate, 40.0, 0.01) << "200 clicks of 0.2 mm per hour";
  EXPECT_EQ(a.HiInsideHum, 70);
  EXPECT_NEAR(a.BarFall, 0.060 * 33.865, 0.01);

  EXPECT_EQ(d.Config.ArchivePeriod, 10);
  EXPECT_FALSE(d.Config.FirmwareVersion.empty());
  EXPECT_NE(d.Config.ModelText, "---");
  EXPECT_NE(d.Config.LatitudeText, "---");
  EXPECT_NE(d.Config.FirmwareDateText, "---");
  EXPECT_EQ(d.Calibration.WindDirOffset, -12);
}

TEST_F(CollectionE2e, SubOptionsKeepTheirOwnPeriods) {
  c.config.Set("SERVICES", "CurrentData", "10");
  c.config.Set("CURRENTDATA", "TempHumBar", "60");
  c.config.Set("CURRENTDATA", "ForeCast", "3600");
  c.Build();
  ASSERT_EQ(sim.Control("SET outside_temp 50.0"), "OK");
  ASSERT_EQ(sim.Control("SET wind_speed 5"), "OK");
  c.engine->RunCycle();
  EXPECT_NEAR(c.record.Snapshot().CurrentData.OutsideTemp, 10.0, 0.01);

  ASSERT_EQ(sim.Control("SET outside_temp 59.0"), "OK");
  ASSERT_EQ(sim.Control("SET wind_speed 10"), "OK");
  c.clock.Jump(std::chrono::seconds{10});
  c.engine->RunCycle();
  StationData d = c.record.Snapshot();
  EXPECT_NEAR(d.CurrentData.WindSpeed, 16.1, 0.01) << "wind is read on every run";
  EXPECT_NEAR(d.CurrentData.OutsideTemp, 10.0, 0.01) << "temperatures wait their minute";

  c.clock.Jump(std::chrono::seconds{60});
  c.engine->RunCycle();
  d = c.record.Snapshot();
  EXPECT_NEAR(d.CurrentData.OutsideTemp, 15.0, 0.01);
  EXPECT_GT(c.current_data.NextRead("ForeCast"), c.clock.SteadySeconds() + 3000)
      << "the forecast waits its hour";
}

TEST_F(CollectionE2e, SilentConsoleIsReportedAndTheLinkReopenedNextCycle) {
  c.config.Set("SERVICES", "CurrentData", "10");
  c.Build();
  c.engine->RunCycle();
  ASSERT_EQ(c.record.LinkConnected, 1);
  ASSERT_EQ(c.window.Lines(Field::AppLogList), Lines{});

  c.flags.Lower("CurrentData");
  ASSERT_EQ(sim.Control("FAULT SILENT"), "OK");
  c.clock.Jump(std::chrono::seconds{10});
  c.engine->RunCycle();
  EXPECT_EQ(c.window.Lines(Field::AppLogList),
            Lines{"Report de la collecte pour le service CurrentData."});
  EXPECT_EQ(c.record.LinkConnected, 0) << "the failed exchange made a long cycle";
  EXPECT_FALSE(c.flags.IsRaised("CurrentData"));

  ASSERT_EQ(sim.Control("FAULT CLEAR"), "OK");
  c.engine->RunCycle();
  EXPECT_EQ(c.record.LinkConnected, 1);
  EXPECT_EQ(c.window.Text(Field::LinkStateText), "OK:\nIP : " + address);
  EXPECT_TRUE(c.flags.IsRaised("CurrentData")) << "collected again after reconnecting";
}

TEST_F(CollectionE2e, ConsoleClockFiveMinutesAheadIsLoggedWithItsOffset) {
  c.config.Set("SERVICES", "CurrentData", "10");
  c.Build();
  // Five minutes ahead of the desktop clock, which now follows the console's.
  const std::time_t ahead = std::chrono::system_clock::to_time_t(c.clock.Now()) + 5 * 60;
  std::tm t{};
  localtime_r(&ahead, &t);
  char request[64];
  std::strftime(request, sizeof request, "CLOCK %Y-%m-%d %H:%M:%S", &t);
  ASSERT_EQ(sim.Control(request), "OK");
  c.engine->RunCycle();
  const Lines lines = c.window.Lines(Field::AppLogList);
  ASSERT_EQ(lines.size(), 1U);
  // The minute of either clock may turn between the two readings.
  EXPECT_THAT(lines[0],
              ::testing::MatchesRegex(".*L'horloge de la console avance de [456] min .*"));
  EXPECT_THAT(c.window.Tooltip(Field::LastCollectValue),
              ::testing::MatchesRegex("L'horloge de la console avance de [456] min .*"));
}

TEST_F(CollectionE2e, UnreachableConsoleGivesTheThreeLines) {
  c.config.Set("CONSOLE", "adresse", "127.0.0.1@1");
  c.config.Set("CONSOLE", "ConnectionTimeout", "2");
  c.config.Set("SERVICES", "CurrentData", "10");
  c.Build();
  c.engine->RunCycle();
  const Lines lines = c.window.Lines(Field::AppLogList);
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[2], "Impossible de se connecter à la console !");
  EXPECT_EQ(lines[1], "Type : IP | Adresse : 127.0.0.1@1");
  EXPECT_EQ(c.record.LinkConnected, 0);
  EXPECT_EQ(c.window.Text(Field::LinkStateText),
            "Impossible de se connecter à la console :\nIP : 127.0.0.1@1");
}

}  // namespace
}  // namespace tv

namespace tv {
namespace {

TEST(CollectionE2eSerial, CollectsOverThePseudoTerminal) {
  SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--pty", "--start", "2024-06-21 14:00:00"}, &error)) << error;
  ASSERT_EQ(sim.Control("HOLD ON"), "OK");
  ASSERT_EQ(sim.Control("SET outside_temp 41.0"), "OK");
  Collector c;
  ASSERT_TRUE(c.clock.AlignWith(sim.Control("CLOCK")));
  c.config.Set("CONSOLE", "type", "SERIAL");
  c.config.Set("CONSOLE", "adresse", sim.pty_path() + "@19200");
  c.config.Set("CONSOLE", "ConnectionTimeout", "10");
  c.config.Set("SERVICES", "CurrentData", "10");
  c.Build();
  c.engine->RunCycle();
  EXPECT_EQ(c.record.LinkKind, kLinkSerial);
  EXPECT_EQ(c.window.Lines(Field::AppLogList), Lines{});
  EXPECT_NEAR(c.record.Snapshot().CurrentData.OutsideTemp, 5.0, 0.01);
}

// A USB-serial adapter named by its /dev/serial/by-id link: unplugged and
// plugged back, it may come back as another tty, and the link follows it.
TEST(CollectionE2eSerial, AByIdNameFollowsTheConsoleWhenItComesBackOnAnotherTty) {
  const std::filesystem::path by_id = std::filesystem::path(::testing::TempDir()) /
                                      ("tv-by-id-" + std::to_string(getpid())) / "serial" / "by-id";
  std::filesystem::create_directories(by_id);
  const std::string link = (by_id / "usb-Silicon_Labs_CP2102_USB_to_UART_0001-if00-port0").string();
  auto plug = [&](SimulatorProcess& sim, const char* fahrenheit) {
    std::string error;
    return sim.Start({"--pty", "--pty-link", link}, &error) && sim.Control("HOLD ON") == "OK" &&
           sim.Control(std::string("SET outside_temp ") + fahrenheit) == "OK";
  };
  SimulatorProcess first;
  ASSERT_TRUE(plug(first, "41.0"));
  Collector c;
  ASSERT_TRUE(c.clock.AlignWith(first.Control("CLOCK")));
  c.config.Set("CONSOLE", "type", "SERIAL");
  c.config.Set("CONSOLE", "adresse", link);
  c.config.Set("CONSOLE", "ConnectionTimeout", "5");
  c.config.Set("SERVICES", "CurrentData", "0");
  c.Build();
  c.Cycle();
  ASSERT_EQ(c.record.LinkConnected, 1);
  EXPECT_EQ(c.window.Text(Field::LinkStateText), "OK:\nSERIAL : " + link);
  EXPECT_NEAR(c.record.Snapshot().CurrentData.OutsideTemp, 5.0, 0.01);

  // Plugged back on another tty (started before the first one goes, so the
  // two cannot share a number), then the first unplugged.
  SimulatorProcess second;
  ASSERT_TRUE(plug(second, "50.0"));
  ASSERT_NE(second.pty_path(), first.pty_path());
  first.Kill();
  for (int cycle = 0; cycle < 4 && c.record.Snapshot().CurrentData.OutsideTemp < 9.99F; ++cycle) {
    c.Cycle();
  }
  EXPECT_NEAR(c.record.Snapshot().CurrentData.OutsideTemp, 10.0, 0.01)
      << "collected again through the same name";
  std::filesystem::remove_all(by_id.parent_path().parent_path());
}

}  // namespace
}  // namespace tv
