#include "lib/common/service_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/config/config_file.h"

namespace tv {
namespace {

using Entry = ServiceSchedule::Entry;

TEST(RegisterServices, OnlyServicesWithAKeyKeepingTheirPlace) {
  struct Case {
    const char* legend;
    std::string list;
    std::string settings;
    std::vector<Entry> expected;
  };
  const Case cases[] = {
      {"every service enabled",
       std::string(kServiceList),
       "[SERVICES]\nCurrentData=10\nAlarm=60\nHiLow=60\nConfigStation=3600\nCalibration=3600\n",
       {{"CurrentData", 0, 1},
        {"Alarm", 0, 2},
        {"HiLow", 0, 3},
        {"ConfigStation", 0, 4},
        {"Calibration", 0, 5}}},
      {"no service key: nothing collected", std::string(kServiceList), "[GENERAL]\nNotify=0\n", {}},
      {"gaps kept; an empty value still enables",
       std::string(kServiceList),
       "[SERVICES]\nHiLow=\nCalibration=5\n",
       {{"HiLow", 0, 3}, {"Calibration", 0, 5}}},
      {"names trimmed of blanks",
       " CurrentData , \tAlarm ",
       "[SERVICES]\nCurrentData=1\nAlarm=1\n",
       {{"CurrentData", 0, 1}, {"Alarm", 0, 2}}},
      {"lower-case group enables nothing", std::string(kServiceList), "[services]\nHiLow=1\n", {}},
      {"empty names hold a place", ",,Alarm", "[SERVICES]\nAlarm=1\n", {{"Alarm", 0, 3}}},
  };
  for (const auto& c : cases) {
    ConfigTable config;
    LoadIniText(c.settings, config, "");
    ServiceSchedule schedule;
    ServiceFreshFlags flags;
    schedule.Register("Stale", 9);
    flags.Register("Stale");
    RegisterServices(c.list, config, schedule, flags);
    EXPECT_EQ(schedule.Entries(), c.expected) << c.legend;
    std::vector<std::string> names;
    for (const auto& e : c.expected) names.push_back(e.name);
    EXPECT_EQ(schedule.Names(), names) << c.legend;
    EXPECT_EQ(flags.Size(), c.expected.size()) << c.legend;
    for (const auto& e : c.expected) EXPECT_FALSE(flags.IsRaised(e.name)) << c.legend;
  }
}

TEST(ServiceSchedule, UnknownNamesAreNeverAdded) {
  ServiceSchedule schedule;
  schedule.Register("HiLow", 3);
  EXPECT_TRUE(schedule.SetNextRun("HiLow", 4'000'000'000LL)) << "times beyond 2038 fit";
  EXPECT_EQ(schedule.NextRun("HiLow"), 4'000'000'000LL);
  EXPECT_FALSE(schedule.SetNextRun("Alarm", 5));
  EXPECT_EQ(schedule.NextRun("Alarm"), 0);
  EXPECT_EQ(schedule.Position("Alarm"), 0);
  EXPECT_FALSE(schedule.Contains("Alarm"));
  EXPECT_EQ(schedule.Size(), 1u);

  ServiceFreshFlags flags;
  flags.Register("HiLow");
  EXPECT_FALSE(flags.Raise("Alarm"));
  EXPECT_FALSE(flags.IsRaised("Alarm"));
  EXPECT_FALSE(flags.Contains("Alarm"));
  EXPECT_TRUE(flags.Raise("HiLow"));
  EXPECT_TRUE(flags.IsRaised("HiLow"));
  EXPECT_TRUE(flags.TakeRaised("HiLow"));
  EXPECT_FALSE(flags.TakeRaised("HiLow")) << "taking lowers the flag";
  flags.Raise("HiLow");
  EXPECT_TRUE(flags.Lower("HiLow"));
  EXPECT_FALSE(flags.IsRaised("HiLow"));
}

}  // namespace
}  // namespace tv
