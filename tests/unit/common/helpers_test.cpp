#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lib/common/app_values.h"
#include "lib/common/balloon.h"
#include "lib/common/date_format.h"
#include "lib/common/number_text.h"
#include "lib/common/unit_conversions.h"
#include "lib/common/wording.h"
#include "lib/station/result_codes.h"
#include "tests/support/comma_locale.h"

namespace tv {
namespace {

TEST(UnitConversions, ValuesAndPassThroughOfCodes) {
  struct Case {
    const char* legend;
    float got;
    float want;
  };
  const Case cases[] = {
      {"boiling point", FahrenheitToCelsius(212.0f), 100.0f},
      {"-40 is the same in both", FahrenheitToCelsius(-40.0f), -40.0f},
      {"temperature code passes", FahrenheitToCelsius(-32701.0f), -32701.0f},
      {"standard pressure", InHgToHpa(29.92f), 1013.2408f},
      {"pressure code passes", InHgToHpa(-32703.0f), -32703.0f},
      {"36 km/h is 10 m/s", KmhToMs(36), 10.0f},
      {"speed code passes", KmhToMs(-32768), -32768.0f},
      {"10 mph", MphToKmh(10), 16.1f},
      {"mph code passes", MphToKmh(32768), 32768.0f},
      {"1000 feet", FeetToMetres(1000.0f), 304.78513f},
      {"one rain click is 0.2 mm", RainToMm(0.01f), 0.2f},
      {"rain code passes", RainToMm(-32701.0f), -32701.0f},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(c.got, c.want) << c.legend;
}

TEST(NumberText, DecimalsRoundingAndSign) {
  const testing::ScopedCommaLocale comma;  // a French desktop keeps the point
  ASSERT_TRUE(comma.active()) << comma.why_not();
  const struct Row {
    const char* legend;
    std::string got;
    const char* want;
  } rows[] = {
      {"one decimal", DecimalText(21.46, 1), "21.5"},
      {"negative", DecimalText(-3.0, 1), "-3.0"},
      {"two decimals", DecimalText(1013.256, 2), "1013.26"},
      {"rounds to zero: no sign", DecimalText(-0.04, 1), "0.0"},
      {"negative zero", DecimalText(-0.0, 0), "0"},
      {"no decimals", DecimalText(-9.6, 0), "-10"},
      {"not a number", DecimalText(std::nan(""), 1), "---"},
      {"half to even, down", RoundedText(2.5), "2"},
      {"half to even, up", RoundedText(3.5), "4"},
      {"negative half", RoundedText(-0.5), "0"},
      {"whole", WholeText(-32768), "-32768"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.legend;
}

TEST(FormatStationDate, FullAndTimeOnly) {
  struct Case {
    const char* legend;
    StationDateTime when;  // Minute, Hour, Day, Month, Year
    int mode;
    const char* text;
  };
  const Case cases[] = {
      {"one-digit fields padded", {9, 7, 5, 3, 2010}, kArgAbsent, "05/03/2010 07h09"},
      {"time only", {5, 7, 5, 3, 2010}, kStationTimeOnly, "07h05"},
      {"unknown minute", {-1, 7, 5, 3, 2010}, kArgAbsent, "---"},
      {"unknown hour, time only", {5, -1, 5, 3, 2010}, kStationTimeOnly, "---"},
      {"unknown day", {5, 7, -1, 3, 2010}, kArgAbsent, "---"},
      {"year written as it is", {0, 0, 1, 1, 99}, 0, "01/01/99 00h00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatStationDate(c.when, c.mode), c.text) << c.legend;
}

// The export's and the alert events' time stamps: the desktop clock's local
// time, whatever the zone, its summer time included.
TEST(LocalIsoTime, LocalTimeInTheComputersZone) {
  struct Case {
    const char* zone;
    long long seconds;
    const char* text;
  };
  const Case cases[] = {
      {"UTC", 0, "1970-01-01T00:00:00"},
      {"UTC", 1'718'971'200, "2024-06-21T12:00:00"},
      {"Europe/Paris", 1'718'971'200, "2024-06-21T14:00:00"},
      {"Europe/Paris", 1'704'067'199, "2024-01-01T00:59:59"},
  };
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  for (const Case& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(LocalIsoTime(c.seconds), c.text) << c.zone << " " << c.seconds;
  }
  if (old != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(EnabledText, Wording) {
  EXPECT_EQ(EnabledText(1), "Activé");
  EXPECT_EQ(EnabledText(0), "Désactivé");
  EXPECT_EQ(EnabledText(2), "2");
  EXPECT_EQ(EnabledText(-1), "-1");
}

TEST(Balloon, RequestIsCutToWhatTheTrayShows) {
  const std::string e_acute = "\xC3\xA9";
  std::string accented_300;
  for (int i = 0; i < 300; ++i) accented_300 += e_acute;
  std::string accented_255;
  for (int i = 0; i < 255; ++i) accented_255 += e_acute;
  struct Case {
    const char* legend;
    BalloonRequest got;
    BalloonRequest want;
  };
  const Case cases[] = {
      {"short texts kept", BalloonRequest::Make("T", "x", 1, 1),
       BalloonRequest{"T", "x", BalloonIcon::kInfo, 1}},
      {"300-character text cut to 255", BalloonRequest::Make("T", std::string(300, 'a'), 2, 10),
       BalloonRequest{"T", std::string(255, 'a'), BalloonIcon::kWarning, 10}},
      {"title cut to 63", BalloonRequest::Make(std::string(70, 't'), "x", 3, 1),
       BalloonRequest{std::string(63, 't'), "x", BalloonIcon::kError, 1}},
      {"accented text cut by characters, not bytes", BalloonRequest::Make("T", accented_300, 1, 1),
       BalloonRequest{"T", accented_255, BalloonIcon::kInfo, 1}},
      {"unknown icon kind shows none, negative time is 0", BalloonRequest::Make("T", "x", 7, -3),
       BalloonRequest{"T", "x", BalloonIcon::kNone, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.legend;
  EXPECT_EQ(BalloonRequest::Make("T", "x", 2, 10).Milliseconds(), 10000);
}

TEST(Balloon, TrayTooltipIsCutTo63Characters) {
  const std::string e_acute = "\xC3\xA9";
  std::string accented_70;
  for (int i = 0; i < 70; ++i) accented_70 += e_acute;
  EXPECT_EQ(TrayTooltipText("Teskaro Ventaro v1.0"), "Teskaro Ventaro v1.0");
  EXPECT_EQ(TrayTooltipText(std::string(70, 'a')), std::string(63, 'a'));
  EXPECT_EQ(TrayTooltipText(accented_70), accented_70.substr(0, 63 * 2)) << "by characters";
}

TEST(AppValues, NamesAndPaths) {
  EXPECT_EQ(AppName(), "Teskaro Ventaro");
  EXPECT_EQ(AppVersion(), "1.0");
  EXPECT_EQ(AppTitle(), "Teskaro Ventaro v1.0");
  ASSERT_FALSE(AppDir().empty());
  EXPECT_EQ(AppDir().back(), '/');
  EXPECT_EQ(IniPath(), AppDir() + "tsk_vnt.ini");
  EXPECT_EQ(LanguagePackPath(), AppDir() + "langue.pack");

  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {{"/opt/tv/bin/teskaro-ventaro", "/opt/tv/bin/"},
                        {"/teskaro-ventaro", "/"},
                        {"teskaro-ventaro", "./"}};
  for (const auto& c : cases) EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

}  // namespace
}  // namespace tv
