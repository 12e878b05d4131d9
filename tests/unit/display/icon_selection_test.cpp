#include "gadget/display/icon_selection.h"

#include <gtest/gtest.h>

#include "gadget/display/image_sets.h"
#include "gadget/window/memory_window.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

class IconSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterGeneralSet();
    RegisterForecastSet();
    RegisterTrendSet();
  }
  static ImageHandle Named(const char* name) {
    if (name == nullptr) return kNoImage;
    const ImageHandle h = LookupHandle(name, kHandleKindImage);
    EXPECT_NE(h, kNoImage) << name;
    return h;
  }
  MemoryWindow window_;
};

TEST_F(IconSelection, ForecastIconByExactValue) {
  struct Row {
    int icon;
    const char* picture;  // null: no picture
  };
  const Row rows[] = {
      {8, "ICO_ForeCast_Soleil"},
      {3, "ICO_ForeCast_Pluie"},
      {5, "ICO_ForeCast_Orage"},
      {18, "ICO_ForeCast_Neige"},
      {2, "ICO_ForeCast_Nuage"},
      {6, "ICO_ForeCast_SoleilNuage"},
      {7, "ICO_ForeCast_SoleilNuage_Pluie"},
      {22, "ICO_ForeCast_SoleilNuage_Neige"},
      {23, "ICO_ForeCast_SoleilNuage_Pluie_Neige"},
      {19, "ICO_ForeCast_Pluie_Neige"},
      {0, nullptr},
      {1, nullptr},
      {4, nullptr},
      {255, nullptr},
      {-1, nullptr},
  };
  for (const Row& row : rows) {
    // Start from another picture so that "no picture" is seen to clear it.
    window_.SetPicture(Field::ForecastIcon, 999);
    ShowForecastIcon(window_, row.icon);
    EXPECT_EQ(window_.Picture(Field::ForecastIcon), Named(row.picture)) << "icon " << row.icon;
  }
}

TEST_F(IconSelection, BaroTrendInAnyCaseButNotPadded) {
  struct Row {
    const char* text;
    const char* picture;
  };
  const Row rows[] = {
      {"RISING", "ICO_Tendance_Pression_hausse"},
      {"Rising", "ICO_Tendance_Pression_hausse"},
      {"falling", "ICO_Tendance_Pression_baisse"},
      {"Steady", "ICO_Tendance_Pression_stable"},
      {"rising rapidly", "ICO_Tendance_Pression_hausse_rapide"},
      {"Falling Rapidly", "ICO_Tendance_Pression_baisse_rapide"},
      {" RISING", nullptr},
      {"RISING ", nullptr},
      {"RISING  RAPIDLY", nullptr},
      {"", nullptr},
      {"UP", nullptr},
  };
  for (const Row& row : rows) {
    window_.SetPicture(Field::BaroTrendIcon, 999);
    ShowBaroTrend(window_, row.text, Field::BaroTrendIcon);
    EXPECT_EQ(window_.Picture(Field::BaroTrendIcon), Named(row.picture))
        << "\"" << row.text << "\"";
  }
}

TEST_F(IconSelection, ForecastTrendSentenceLists) {
  struct Row {
    const char* legend;
    const char* list;
    const char* main;
    const char* sky;
    const char* heavy;
    const char* wind;
    const char* stop;
    bool shift_shown;
    const char* horizon;
  };
  const Row rows[] = {
      {"empty list clears everything", "", nullptr, nullptr, nullptr, nullptr, nullptr, false, ""},
      {"later sentence overwrites, earlier sky stays", "14;24;", "ICO_Tendance_PluiePossible",
       "ICO_Tendance_Nuage", nullptr, nullptr, nullptr, false, "6 hrs"},
      {"not numbers and numbers above 41 do nothing", "abc;42;;0;-3;", nullptr, nullptr, nullptr,
       nullptr, nullptr, false, ""},
      {"a field not closed by ';' is not read", "24", nullptr, nullptr, nullptr, nullptr, nullptr,
       false, ""},
      {"clearing sky after sentence 11", "11;", "ICO_HiLowValeurBasse", "ICO_Tendance_FinNuage",
       nullptr, nullptr, nullptr, false, ""},
      {"sentence 12 adds wind", "12;", "ICO_HiLowValeurBasse", "ICO_Tendance_FinNuage", nullptr,
       "ICO_Tendance_Vent", nullptr, false, ""},
      {"wind shift is shown", "36;", nullptr, nullptr, nullptr, "ICO_Tendance_Vent", nullptr, true,
       ""},
      {"horizon dashes", "15;", nullptr, nullptr, nullptr, nullptr, nullptr, false, "---"},
      {"stop and heavy from two sentences", "20;17;", "ICO_Tendance_PluieContinue", nullptr,
       "ICO_Tendance_Forte", nullptr, "ICO_Tendance_Stop", false, "6 hrs"},
      {"last horizon wins", "3;33;", "ICO_Tendance_PluiePossible", "ICO_Tendance_Soleil", nullptr,
       nullptr, nullptr, false, "48 hrs"},
      {"cooler with clouds", "13;", "ICO_Tendance_TemperatureFraiche", "ICO_Tendance_Nuage",
       nullptr, nullptr, nullptr, false, ""},
      {"high after change", "39;5;", "ICO_HiLowValeurHaute", "ICO_Tendance_Soleil", nullptr,
       nullptr, nullptr, false, ""},
      {"blanks before a number", " 41;", nullptr, nullptr, nullptr, "ICO_Tendance_Vent", nullptr,
       true, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    // What an earlier refresh left behind must go.
    ShowForecastTrend(window_, "37;17;20;9;3;");
    ShowForecastTrend(window_, row.list);
    EXPECT_EQ(window_.Picture(Field::TrendMainIcon), Named(row.main));
    EXPECT_EQ(window_.Picture(Field::TrendSkyIcon), Named(row.sky));
    EXPECT_EQ(window_.Picture(Field::TrendHeavyIcon), Named(row.heavy));
    EXPECT_EQ(window_.Picture(Field::TrendWindIcon), Named(row.wind));
    EXPECT_EQ(window_.Picture(Field::TrendStopIcon), Named(row.stop));
    EXPECT_EQ(window_.Picture(Field::TrendWindShiftIcon),
              row.shift_shown ? Named("ICO_Tendance_ChangementDeDirectionVent") : kNoImage);
    EXPECT_EQ(window_.Visible(Field::TrendWindShiftIcon), row.shift_shown);
    EXPECT_EQ(window_.Text(Field::TrendHorizonText), row.horizon);
  }
}

TEST_F(IconSelection, TrendPicturesAreSetInRowOrder) {
  ShowForecastTrend(window_, "12;");
  std::vector<std::string> log = window_.Log();
  const std::vector<std::string> tail(log.end() - 3, log.end());
  EXPECT_TRUE(tail[0].starts_with("SetPicture TrendMainIcon")) << tail[0];
  EXPECT_TRUE(tail[1].starts_with("SetPicture TrendSkyIcon")) << tail[1];
  EXPECT_TRUE(tail[2].starts_with("SetPicture TrendWindIcon")) << tail[2];
}

TEST(SentenceNumber, LeadingInteger) {
  const std::pair<const char*, int> rows[] = {
      {"14", 14}, {"", 0}, {"abc", 0}, {" 7", 7}, {"7x", 7}, {"-3", -3}, {"+5", 5},
  };
  for (const auto& [text, number] : rows) {
    EXPECT_EQ(SentenceNumber(text), number) << "\"" << text << "\"";
  }
  EXPECT_GT(SentenceNumber("99999999999999999999"), 41) << "no overflow into the table";
}

}  // namespace
}  // namespace tv
