#include "gadget/upload/upload_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "gadget/upload/upload_settings.h"
#include "lib/common/unit_conversions.h"
#include "lib/station/result_codes.h"
#include "tests/unit/upload/decimal_locales.h"

namespace tv {
namespace {

using namespace std::chrono;
constexpr auto kNoData = static_cast<float>(kResultNegativeValue);

Clock::TimePoint Utc(year_month_day day, hours h, minutes m, seconds s = seconds{0}) {
  return sys_days{day} + h + m + s;
}

// A console with every sensor, its values converted as the collection does.
CurrentDataGroup FullConsole() {
  CurrentDataGroup d;
  d.OutsideTemp = FahrenheitToCelsius(72.5f);
  d.DewPt = FahrenheitToCelsius(55.0f);
  d.OutsideHumidity = 65;
  d.Barometer = InHgToHpa(30.012f);
  d.WindSpeed = MphToKmh(5);
  d.WindSpeedAvg2Min = MphToKmh(4);
  d.WindGust10Min = MphToKmh(12);
  d.WindDir = 270;
  d.RainLastHour = 2.54f;
  d.RainLast24Hours = 12.7f;
  d.DailyRain = 5.08f;
  d.SolarRad = 512;
  d.UV = 3;
  d.InsideTemp = FahrenheitToCelsius(68.0f);
  d.InsideHumidity = 40;
  return d;
}

// A console with only its humidity, barometer and wind speeds.
CurrentDataGroup SparseConsole() {
  CurrentDataGroup d = FullConsole();
  d.OutsideTemp = d.DewPt = d.InsideTemp = kNoData;
  d.InsideHumidity = kResultNegativeValue;
  d.SolarRad = d.UV = static_cast<std::int16_t>(kResultNegativeValue);
  d.WindDir = 0;
  d.RainLastHour = d.RainLast24Hours = d.DailyRain = kNoData;
  return d;
}

UploadSettings Settings(Network network) {
  ConfigTable config;
  const std::string group(GroupOf(network));
  config.Set(group, network == Network::kWow ? "SiteID" : "StationID", "ST1");
  config.Set(group, network == Network::kWow ? "AuthKey" : "Password", "k&y 1");
  return ReadUploadSettings(config, network);
}

const Clock::TimePoint kAfternoon = Utc(2026y / 12 / 11, hours{16}, minutes{5}, seconds{30});

// The requests built from fixed records, checked in the C locale and in
// locales whose decimal separator is a comma.
void CheckHttpRequests() {
  const std::string wu =
      "https://weatherstation.wunderground.com/weatherstation/updateweatherstation.php?";
  const std::string keys =
      "ID=ST1&PASSWORD=k%26y%201&action=updateraw&dateutc=2026-12-11%2016%3A05%3A30";
  const std::string full_us =
      "&tempf=72.5&dewptf=55.0&humidity=65&baromin=30.012&windspeedmph=5&winddir=270"
      "&windspdmph_avg2m=4&windgustmph=12&rainin=0.10&dailyrainin=0.20&solarradiation=512"
      "&UV=3.0&indoortempf=68.0&indoorhumidity=40";
  const std::string sparse_us =
      "&humidity=65&baromin=30.012&windspeedmph=5&windspdmph_avg2m=4&windgustmph=12";
  const std::string soft = "&softwaretype=tv-1.0";
  struct Case {
    const char* name;
    Network network;
    CurrentDataGroup data;
    std::string url;
    std::string header;
  };
  const Case cases[] = {
      {"wu full", Network::kWunderground, FullConsole(), wu + keys + full_us + soft, ""},
      {"wu sparse", Network::kWunderground, SparseConsole(), wu + keys + sparse_us + soft, ""},
      {"pws full", Network::kPwsweather, FullConsole(),
       "https://pwsupdate.pwsweather.com/api/v1/submitwx?" + keys + full_us + soft, ""},
      {"wow sparse", Network::kWow, SparseConsole(),
       "https://wow.metoffice.gov.uk/automaticreading?siteid=ST1&siteAuthenticationKey=k%26y%201"
       "&dateutc=2026-12-11%2016%3A05%3A30" +
           soft + sparse_us,
       ""},
      {"windy full", Network::kWindy, FullConsole(),
       "https://stations.windy.com/api/v2/observation/update?id=ST1&time=2026-12-11T16%3A05%3A30Z"
       "&temp=22.5&dewpoint=12.8&rh=65&pressure=101636&wind=1.8&gust=5.4&winddir=270&precip=2.5"
       "&uv=3.0&solarradiation=512",
       "Authorization: Bearer k&y 1"},
      {"windy sparse", Network::kWindy, SparseConsole(),
       "https://stations.windy.com/api/v2/observation/update?id=ST1&time=2026-12-11T16%3A05%3A30Z"
       "&rh=65&pressure=101636&wind=1.8&gust=5.4",
       "Authorization: Bearer k&y 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto request =
        BuildHttpRequest(Settings(c.network), ConditionsOf(c.data, kAfternoon), "tv-1.0");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->url, c.url);
    if (c.header.empty()) {
      EXPECT_TRUE(request->headers.empty());
    } else {
      EXPECT_EQ(request->headers, std::vector<std::string>{c.header});
    }
  }

  // Rapid fire goes to its own address with the seconds between posts.
  UploadSettings rapid = Settings(Network::kWunderground);
  rapid.rapid_fire = true;
  const auto fast = BuildHttpRequest(rapid, ConditionsOf(FullConsole(), kAfternoon), "tv-1.0", 10);
  ASSERT_TRUE(fast.has_value());
  EXPECT_EQ(fast->url.rfind("https://rtupdate.wunderground.com/", 0), 0u) << fast->url;
  EXPECT_NE(fast->url.find("&realtime=1&rtfreq=10"), std::string::npos) << fast->url;

  // Without temperature, humidity, pressure and wind nothing is worth a post.
  CurrentDataGroup silent = SparseConsole();
  silent.OutsideHumidity = kResultNegativeValue;
  silent.Barometer = silent.WindSpeed = silent.WindSpeedAvg2Min = silent.WindGust10Min = kNoData;
  for (const Network n : kNetworks) {
    EXPECT_FALSE(BuildHttpRequest(Settings(n), ConditionsOf(silent, kAfternoon), "tv").has_value());
  }
  EXPECT_FALSE(CwopPacket(Settings(Network::kCwop), ConditionsOf(silent, kAfternoon), 45.0, 5.0, "")
                   .has_value());
}

void CheckCwopPackets() {
  CurrentDataGroup cold = FullConsole();
  cold.OutsideTemp = FahrenheitToCelsius(-5.0f);
  cold.OutsideHumidity = 100;
  cold.SolarRad = 1100;
  // Just after local midnight the console's day total is back at 0 while
  // its 24-hour total still holds yesterday's rain.
  cold.DailyRain = 0;
  struct Case {
    const char* name;
    CurrentDataGroup data;
    double latitude;
    double longitude;
    std::string packet;
  };
  const Case cases[] = {
      {"full", FullConsole(), 49.0583333, -72.0291667,
       "CW1>APRS,TCPIP*:@111605z4903.50N/07201.75W_270/004g012t073r010p050P020h65b10164L512tv\r\n"},
      {"cold, saturated, bright, after midnight", cold, -33.8688, 151.2093,
       "CW1>APRS,TCPIP*:@111605z3352.13S/15112.56E_270/004g012t-05r010p050P000h00b10164l100tv\r\n"},
      {"missing sensors as dots", SparseConsole(), 0.9999999, -0.5,
       "CW1>APRS,TCPIP*:@111605z0100.00N/00030.00W_.../004g012t...r...p...P...h65b10164tv\r\n"},
  };
  ConfigTable config;
  config.Set("CWOP", "StationID", "CW1");
  const UploadSettings settings = ReadUploadSettings(config, Network::kCwop);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CwopPacket(settings, ConditionsOf(c.data, kAfternoon), c.latitude, c.longitude, "tv"),
              c.packet);
  }
  EXPECT_FALSE(CwopPacket(settings, ConditionsOf(FullConsole(), kAfternoon), {}, 5.0, "tv"));
  EXPECT_EQ(CwopLoginLine(settings, "teskaro-ventaro", "1.0"),
            "user CW1 pass -1 vers teskaro-ventaro 1.0\r\n");
}

TEST(UploadRequest, EachNetworksRequestFromFixedRecordsInEveryLocale) {
  CheckHttpRequests();
  CheckCwopPackets();
  const auto& locales = testing::DecimalCommaLocales::Names();
  if (locales.empty()) GTEST_SKIP() << "localedef could not build de_DE nor fr_FR";
  for (const std::string& name : locales) {
    SCOPED_TRACE(name);
    testing::ScopedLocale locale(name);
    ASSERT_TRUE(locale.active());
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");
    CheckHttpRequests();
    CheckCwopPackets();
  }
}

TEST(UploadRequest, TimesAreUtcAcrossAClockChange) {
  // 01:30 UTC on the night central Europe moves to summer time: the local
  // hour is skipped, the stamp is not.
  setenv("TZ", "Europe/Paris", 1);
  tzset();
  const Clock::TimePoint night = Utc(2026y / 3 / 29, hours{1}, minutes{30});
  const auto request =
      BuildHttpRequest(Settings(Network::kWunderground), ConditionsOf(FullConsole(), night), "tv");
  ASSERT_TRUE(request.has_value());
  EXPECT_NE(request->url.find("dateutc=2026-03-29%2001%3A30%3A00"), std::string::npos);
  ConfigTable config;
  config.Set("CWOP", "StationID", "CW1");
  const auto packet = CwopPacket(ReadUploadSettings(config, Network::kCwop),
                                 ConditionsOf(FullConsole(), night), 45.0, 5.0, "");
  ASSERT_TRUE(packet.has_value());
  EXPECT_NE(packet->find("@290130z"), std::string::npos) << *packet;
  unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace tv
