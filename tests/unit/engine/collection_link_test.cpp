#include <gtest/gtest.h>

#include <map>

#include "gadget/engine/collection_engine.h"
#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

using testing::EngineRig;
using testing::FakeStation;
using States = std::vector<int>;
using Lines = std::vector<std::string>;

TEST(CollectionLink, ConnectsWithTheConfiguredKindAndAddress) {
  struct Row {
    const char* legend;
    const char* type;
    const char* address;
    FakeStation::ConnectCall expected;
    const char* shown;
  };
  const Row rows[] = {
      {"TCP/IP",
       "IP",
       "127.0.0.1@22222",
       {kLinkTcpIp, "127.0.0.1@22222", 5000},
       "OK:\nIP : 127.0.0.1@22222"},
      {"serial port", "SERIAL", "COM3", {kLinkSerial, "COM3", 5000}, "OK:\nSERIAL : COM3"},
      {"USB by serial number", "USB", "123456", {kLinkUsb, "123456", 5000}, "OK:\nUSB : 123456"},
      {"USB auto takes the logger's number",
       "USB",
       "auto",
       {kLinkUsb, "987654", 5000},
       "OK:\nUSB : 987654"},
      {"an unknown type keeps the previous kind (serial at first)",
       "usb",
       "x",
       {kLinkSerial, "x", 5000},
       "OK:\nusb : x"},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.config.Set("CONSOLE", "type", row.type);
    rig.config.Set("CONSOLE", "adresse", row.address);
    rig.station.usb_serial = 987654;
    rig.Build();
    rig.engine->RunCycle();
    ASSERT_EQ(rig.station.connects.size(), 1U) << row.legend;
    EXPECT_EQ(rig.station.connects[0], row.expected) << row.legend;
    EXPECT_EQ(rig.record.LinkKind, row.expected.kind) << row.legend;
    EXPECT_EQ(rig.record.LinkConnected, 1) << row.legend;
    EXPECT_EQ(rig.window.Text(Field::LinkStateText), row.shown) << row.legend;
  }
}

TEST(CollectionLink, FailedConnectionIsReportedAndRetriedNextCycle) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.station.connect_results = {kResultOpenError, 1};
  rig.Build();

  rig.Cycle();
  EXPECT_EQ(rig.window.Text(Field::LinkStateText),
            "Impossible de se connecter à la console :\nIP : 127.0.0.1@22222");
  EXPECT_EQ(rig.window.Lines(Field::AppLogList),
            (Lines{ResultCodeText(kResultOpenError), "Type : IP | Adresse : 127.0.0.1@22222",
                   "Impossible de se connecter à la console !"}))
      << "three lines, the newest on top";
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{});
  EXPECT_EQ(rig.TakeLinkStates(), (States{0, 0}));
  EXPECT_EQ(rig.record.LinkConnected, 0);

  rig.Cycle();
  EXPECT_EQ(rig.station.connects.size(), 2U);
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{"CurrentData"});
  EXPECT_EQ(rig.TakeLinkStates(), (States{3, 1}));
}

TEST(CollectionLink, AnyCodeOtherThanOneIsAFailure) {
  for (const int code : {0, 2, -1, kResultCommError}) {
    EngineRig rig;
    rig.station.connect_results = {code};
    rig.Build();
    rig.engine->RunCycle();
    EXPECT_EQ(rig.record.LinkConnected, 0) << code;
  }
}

TEST(CollectionLink, LongOrWhollyFailedCycleClosesTheLinkAndTheNextCycleReopensIt) {
  struct Row {
    const char* legend;
    int load_seconds;
    int cycle_seconds;
    std::map<std::string, int> results;
    bool closed;
  };
  const Row rows[] = {
      {"3 s keeps the link open", 0, 3, {}, false},
      {"4 s closes it", 0, 4, {}, true},
      {"the library load before the cycle does not count", 2, 3, {}, false},
      {"every service failing closes it", 0, 0, {{"CurrentData", 0}, {"Alarm", 0}}, true},
      {"one service succeeding keeps it", 0, 0, {{"CurrentData", 0}}, false},
  };
  for (const Row& row : rows) {
    EngineRig rig;
    rig.config.Set("SERVICES", "CurrentData", "1");
    rig.config.Set("SERVICES", "Alarm", "1");
    rig.durations["CurrentData"] = row.cycle_seconds;
    rig.results = row.results;
    rig.station.on_load = [&rig, &row] {
      rig.clock.Advance(std::chrono::seconds{row.load_seconds});
    };
    rig.Build();

    rig.Cycle();
    EXPECT_EQ(rig.station.closes, row.closed ? std::vector<int>{kLinkTcpIp} : std::vector<int>{})
        << row.legend;
    EXPECT_EQ(rig.TakeLinkStates(), row.closed ? (States{3, 1, 4}) : (States{3, 1})) << row.legend;
    EXPECT_EQ(rig.record.LinkConnected, row.closed ? 0 : 1) << row.legend;

    rig.durations["CurrentData"] = 0;
    rig.results.clear();
    rig.Cycle();
    EXPECT_EQ(rig.station.connects.size(), row.closed ? 2U : 1U) << row.legend;
    EXPECT_EQ(rig.TakeRuns(),
              (std::vector<std::string>{"CurrentData", "Alarm", "CurrentData", "Alarm"}))
        << row.legend;
  }
}

TEST(CollectionLink, ACycleWithNoServiceDueKeepsTheLink) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "60");
  rig.Build();
  rig.Cycle();
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{"CurrentData"});
  EXPECT_EQ(rig.station.closes, std::vector<int>{});
  EXPECT_EQ(rig.record.LinkConnected, 1);
}

TEST(CollectionLink, ReconnectionAfterALongCycleShowsTheAttempt) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "1");
  rig.durations["CurrentData"] = 4;
  rig.station.connect_results = {1, kResultCommError};
  rig.Build();
  rig.Cycle();
  rig.window.ClearLog();
  rig.Cycle();
  const auto log = rig.window.Log();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "SetText LinkStateText Tentative de connexion : IP : 127.0.0.1@22222"),
            log.end());
}

TEST(CollectionLink, ConsoleWithoutTheNewerPacketKeepsCollecting) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "10");
  rig.station.loop_supported = 0;
  rig.station.station_time = testing::ConsoleTime(rig.Now());  // on time
  rig.Build();
  rig.engine->RunCycle();
  EXPECT_EQ(rig.window.Lines(Field::AppLogList),
            Lines{"[MoteurRecupDonnees] : La console ne supporte pas la fonction Loop Package."});
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{"CurrentData"});
}

TEST(CollectionLink, StationTimeIsReadAtEveryConnectedCycle) {
  EngineRig rig;
  rig.Build();
  rig.engine->RunCycle();
  const StationDateTime t = rig.record.Snapshot().StationTime;
  EXPECT_EQ((std::vector<int>{t.Minute, t.Hour, t.Day, t.Month, t.Year}),
            (std::vector<int>{5, 7, 3, 2, 2010}));

  // A read that fails without filling the time leaves the previous one.
  rig.station.station_time_result = kResultCommError;
  rig.engine->RunCycle();
  const StationDateTime kept = rig.record.Snapshot().StationTime;
  EXPECT_EQ((std::vector<int>{kept.Minute, kept.Hour, kept.Day, kept.Month, kept.Year}),
            (std::vector<int>{5, 7, 3, 2, 2010}));
}

TEST(CollectionThread, SleepsTheComputedWaitAndStopsOnRequest) {
  EngineRig rig;
  rig.config.Set("SERVICES", "CurrentData", "2");
  rig.Build();
  rig.engine->Start();
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{"CurrentData"});

  rig.clock.Advance(std::chrono::milliseconds{2499});
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{}) << "still waiting";

  rig.clock.Advance(std::chrono::milliseconds{1});
  // The next cycle runs, then the thread sleeps again.
  const auto loads = [&] {
    std::lock_guard lock(rig.station.mutex);
    return rig.station.loads;
  };
  for (int i = 0; i < 1000 && loads() < 2; ++i) {
    ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  }
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  EXPECT_EQ(rig.TakeRuns(), std::vector<std::string>{"CurrentData"});
  rig.engine->Stop();
}

}  // namespace
}  // namespace tv
