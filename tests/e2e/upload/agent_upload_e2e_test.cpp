// The agent without a window, against the console simulator with its values
// held, posting to stand-ins of Weather Underground and CWOP on 127.0.0.1.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>

#include "gadget/agent/headless_agent.h"
#include "gadget/window/memory_window.h"
#include "lib/config/config_table.h"
#include "tests/e2e/upload/stand_ins.h"
#include "tests/support/gui_thread_window.h"
#include "tests/support/simulator_process.h"

namespace tv {
namespace {

// An output stream that another thread may read while it is written.
class SharedLog final : public std::streambuf {
 public:
  std::string Text() {
    std::lock_guard lock(mutex_);
    return text_;
  }

 protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    std::lock_guard lock(mutex_);
    text_.push_back(static_cast<char>(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard lock(mutex_);
    text_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::mutex mutex_;
  std::string text_;
};

TEST(UploadE2e, TheAgentPostsTheHeldConsolesValuesConverted) {
  testing::SimulatorProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--start", "2024-06-21 14:00:00"}, &error))
      << error;
  for (const char* line : {"HOLD ON", "SET outside_temp 68.4", "SET outside_hum 55",
                           "SET barometer 30.012", "SET wind_speed 9", "SET wind_dir 270"}) {
    ASSERT_EQ(sim.Control(line), "OK") << line;
  }
  testing::HttpStandIn wunderground;
  testing::AprsStandIn aprs;

  ConfigTable config;
  config.Set("GENERAL", "RefreshServices", "1");
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", "127.0.0.1@" + std::to_string(sim.tcp_port()));
  config.Set("CONSOLE", "ConnectionTimeout", "10");
  config.Set("SERVICES", "CurrentData", "1");
  config.Set("ARCHIVE", "Active", "0");
  config.Set("WUNDERGROUND", "Active", "1");
  config.Set("WUNDERGROUND", "StationID", "KTEST1");
  config.Set("WUNDERGROUND", "Password", "s3cr3tkey");
  config.Set("WUNDERGROUND", "Server", wunderground.Url("/update"));
  config.Set("CWOP", "Active", "1");
  config.Set("CWOP", "StationID", "CW0001");
  config.Set("CWOP", "Server", "127.0.0.1:" + std::to_string(aprs.port()));
  config.Set("CWOP", "Latitude", "49.058333");
  config.Set("CWOP", "Longitude", "-72.029167");

  MemoryWindow window;
  testing::GuiThreadWindow gui(window);
  SharedLog log;
  std::ostream out(&log);
  std::stop_source stop;
  std::thread agent([&] { RunHeadless(config, gui, out, stop.get_token()); });
  const bool posted = wunderground.WaitForReceived(1) && aprs.WaitForReceived(1);
  stop.request_stop();
  agent.join();
  ASSERT_TRUE(posted) << log.Text();

  // One post each: the next one waits for the interval.
  ASSERT_EQ(wunderground.Received().size(), 1u);
  const std::string request = wunderground.Received()[0];
  for (const char* field : {"GET /update?ID=KTEST1&PASSWORD=s3cr3tkey&action=updateraw&dateutc=",
                            "&tempf=68.4&", "&humidity=55&", "&baromin=30.012&", "&windspeedmph=9&",
                            "&winddir=270&", "&softwaretype=teskaro-ventaro-"}) {
    EXPECT_NE(request.find(field), std::string::npos) << field << " in " << request;
  }
  const std::string lines = aprs.Received()[0];
  EXPECT_EQ(lines.rfind("user CW0001 pass -1 vers teskaro-ventaro ", 0), 0u) << lines;
  for (const char* field :
       {"\r\nCW0001>APRS,TCPIP*:@", "z4903.50N/07201.75W_270/", "t068", "h55b10164"}) {
    EXPECT_NE(lines.find(field), std::string::npos) << field << " in " << lines;
  }
  // Both were taken: no "[Envoi]" line (but the warning about the
  // permissions of the settings file beside the test program, when there is
  // one), and never the key.
  std::istringstream text(log.Text());
  for (std::string line; std::getline(text, line);) {
    if (line.find("peut être lu par d'autres utilisateurs") != std::string::npos) continue;
    EXPECT_EQ(line.find("[Envoi]"), std::string::npos) << line;
  }
  EXPECT_EQ(log.Text().find("s3cr3tkey"), std::string::npos);
}

}  // namespace
}  // namespace tv
