#include "gadget/agent/agent.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/gui_thread_window.h"
#include "tests/unit/engine/engine_rig.h"

namespace tv {
namespace {

TEST(Agent, OpensStartsAndQuitsThroughAGuiThread) {
  ConfigTable config;
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@22222");
  config.Set("SERVICES", "CurrentData", "10");
  ManualClock clock;
  MemoryWindow window({}, clock);
  testing::GuiThreadWindow gui(window);
  auto station = std::make_unique<testing::FakeStation>();
  testing::FakeStation& fake = *station;
  fake.station_time = testing::ConsoleTime(clock.NowSeconds());  // on time
  AgentOptions options;
  options.station = std::move(station);
  Agent agent(config, gui, clock, std::move(options));
  agent.Open();
  EXPECT_EQ(window.Lines(Field::AppLogList), std::vector<std::string>{"Teskaro Ventaro v1.0"});
  EXPECT_EQ(window.Text(Field::IndoorTempValue), "---");

  agent.Start();
  ASSERT_TRUE(clock.WaitForSleepers(2)) << "the first cycle ran: the engine and the display wait";
  // No station library is loaded here: the service fails and says so.
  EXPECT_EQ(window.Lines(Field::AppLogList).front(),
            "Report de la collecte pour le service CurrentData.");
  EXPECT_EQ(fake.connects.size(), 1U);

  fake.closes.clear();
  EXPECT_TRUE(agent.Quit(std::chrono::seconds{10}));
  EXPECT_EQ(fake.closes, std::vector<int>{kLinkTcpIp}) << "the link of the recorded kind";
  agent.Stop();
}

}  // namespace
}  // namespace tv
