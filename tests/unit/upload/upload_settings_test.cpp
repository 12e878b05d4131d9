#include "gadget/upload/upload_settings.h"

#include <gtest/gtest.h>

#include "lib/config/config_file.h"

namespace tv {
namespace {

TEST(UploadSettings, DefaultsMinimumsAndKeysOfEachGroup) {
  struct Case {
    Network network;
    const char* interval;  // nullptr: absent
    int expected_interval;
  };
  const Case cases[] = {
      {Network::kWunderground, nullptr, 300},
      {Network::kWunderground, "30", 60},
      {Network::kPwsweather, "120", 120},
      {Network::kWow, nullptr, 900},
      {Network::kWow, "120", 300},
      {Network::kWindy, "abc", 300},
      {Network::kWindy, "600", 600},
      {Network::kCwop, nullptr, 600},
      {Network::kCwop, "60", 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(GroupOf(c.network)) + " " + (c.interval ? c.interval : "absent"));
    ConfigTable config;
    if (c.interval != nullptr) config.Set(GroupOf(c.network), "Interval", c.interval);
    const UploadSettings s = ReadUploadSettings(config, c.network);
    EXPECT_FALSE(s.active);
    EXPECT_EQ(s.interval, c.expected_interval);
    EXPECT_EQ(s.server, DefaultServer(c.network));
    EXPECT_EQ(s.password, c.network == Network::kCwop ? "-1" : "");
  }

  ConfigTable config;
  config.Set("WOW", "Active", "1");
  config.Set("WOW", "SiteID", " 1234 ");
  config.Set("WOW", "AuthKey", "654321");
  config.Set("CWOP", "Latitude", "49.0583");
  config.Set("CWOP", "Longitude", "-72,03");
  config.Set("CWOP", "Server", "a:14580, b:23");
  config.Set("PWSWEATHER", "Backfill", "1");
  config.Set("WUNDERGROUND", "Backfill", "1");
  const UploadSettings wow = ReadUploadSettings(config, Network::kWow);
  EXPECT_TRUE(wow.active);
  EXPECT_EQ(wow.station_id, "1234");
  EXPECT_EQ(wow.password, "654321");
  const UploadSettings cwop = ReadUploadSettings(config, Network::kCwop);
  EXPECT_EQ(cwop.latitude, 49.0583);
  EXPECT_EQ(cwop.longitude, -72.03);
  EXPECT_EQ(cwop.server, "a:14580, b:23");
  EXPECT_TRUE(ReadUploadSettings(config, Network::kPwsweather).backfill);
  EXPECT_FALSE(ReadUploadSettings(config, Network::kWunderground).backfill);
}

TEST(UploadSettings, SecretsAreMaskedAndPlainAddressesWarned) {
  ConfigTable config;
  config.Set("WINDY", "Password", "p&ss word");
  config.Set("WINDY", "Server", "http://192.168.1.5/update");
  const UploadSettings windy = ReadUploadSettings(config, Network::kWindy);
  EXPECT_EQ(windy.Masked("PASSWORD=p%26ss%20word&x=1 Bearer p&ss word"),
            "PASSWORD=****&x=1 Bearer ****");
  const std::string warning = PlainHttpWarning(windy);
  EXPECT_EQ(warning.rfind("[Envoi] Windy", 0), 0u) << warning;

  struct Case {
    const char* server;
    bool warned;
  };
  for (const Case& c : {Case{"http://127.0.0.1:8080/x", false}, Case{"https://example.org/", false},
                        Case{"HTTP://user@example.org:80/", true}}) {
    config.Set("WINDY", "Server", c.server);
    EXPECT_EQ(!PlainHttpWarning(ReadUploadSettings(config, Network::kWindy)).empty(), c.warned)
        << c.server;
  }
  // CWOP's unverified passcode is no secret: "-1" stays in what is shown.
  ConfigTable cwop;
  EXPECT_EQ(ReadUploadSettings(cwop, Network::kCwop).Masked("t-1 pass -1"), "t-1 pass -1");

  EXPECT_NEAR(*PositionOfText("49.06° Nord 3' 30\""), 49.058333, 1e-6);
  EXPECT_NEAR(*PositionOfText("72.03° Ouest 1' 45\""), -72.029167, 1e-6);
  EXPECT_NEAR(*PositionOfText("46.00° Nord 59' 56\""), 45.998889, 1e-6);
  EXPECT_EQ(PositionOfText("45.50° Ouest 30' 0\""), -45.5);
  EXPECT_EQ(PositionOfText("3.25° Nord 15' 0\""), 3.25);
  EXPECT_FALSE(PositionOfText("---").has_value());
}

TEST(UploadSettings, DefaultSettingsFileHoldsEveryGroupAllOff) {
  ConfigTable table;
  ASSERT_GT(LoadIniFile(std::string(TV_PAYLOAD_DIR) + "tsk_vnt.ini", table, ""), 0);
  for (const Network network : kNetworks) {
    const std::string group(GroupOf(network));
    std::vector<std::string> keys = {"Active", "Server", "Interval"};
    if (network == Network::kWow) {
      keys.insert(keys.end(), {"SiteID", "AuthKey", "CAFile"});
    } else if (network == Network::kCwop) {
      keys.insert(keys.end(), {"StationID", "Passcode", "Latitude", "Longitude"});
    } else {
      keys.insert(keys.end(), {"StationID", "Password", "CAFile"});
    }
    if (network == Network::kWunderground) keys.push_back("RapidFire");
    for (const std::string& key : keys) {
      EXPECT_TRUE(table.Has(ConfigTable::ComposeKey(group, key))) << group << " " << key;
    }
    const UploadSettings s = ReadUploadSettings(table, network);
    EXPECT_FALSE(s.active) << group;
    EXPECT_EQ(s.interval, DefaultInterval(network)) << group;
  }
}

}  // namespace
}  // namespace tv
