#include "gadget/display/state_indicators.h"

#include <gtest/gtest.h>

#include <set>

#include "gadget/display/image_sets.h"
#include "gadget/window/field_catalogue.h"
#include "gadget/window/memory_window.h"
#include "lib/common/blink_task.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

using std::chrono::milliseconds;

class LinkState : public ::testing::Test {
 protected:
  void SetUp() override { RegisterGeneralSet(); }
  void TearDown() override { StopNamedBlink(kLinkBlinkName); }

  static ImageHandle Named(const char* name) { return LookupHandle(name, kHandleKindImage); }

  // Lets the blinking task reach its next sleep, then moves time one period.
  void Tick() {
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    clock_.Advance(milliseconds{1000});
    ASSERT_TRUE(clock_.WaitForSleepers(1));
  }

  ManualClock clock_;
  MemoryWindow window_;
};

TEST_F(LinkState, PicturesAndBlinkingPerState) {
  struct Row {
    int state;
    const char* picture;
    bool blinking;
  };
  const Row rows[] = {
      {kLinkDown, "ICO_EtatConnexionNOK", false},
      {kLinkUp, "ICO_EtatConnexionOK", false},
      {kLinkBusy, "ICO_EtatConnexionActivite", true},
      {kLinkIdle, "ICO_EtatConnexionOK", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.state);
    window_.SetVisible(Field::StatusLinkIcon, false);
    EXPECT_EQ(ShowLinkState(window_, row.state, clock_), 1);
    EXPECT_NE(Named(row.picture), kNoImage);
    EXPECT_EQ(window_.Picture(Field::LinkStateIcon), Named(row.picture));
    EXPECT_EQ(window_.Picture(Field::StatusLinkIcon), Named(row.picture));
    EXPECT_EQ(NamedBlinkRunning(kLinkBlinkName), row.blinking);
    if (!row.blinking) {
      EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
    }
    StopNamedBlink(kLinkBlinkName);
  }
}

TEST_F(LinkState, BusyBlinksEverySecond) {
  window_.SetVisible(Field::StatusLinkIcon, false);
  ShowLinkState(window_, kLinkBusy, clock_);
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon)) << "the first flip shows the icon";
  Tick();
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon));
  Tick();
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
}

TEST_F(LinkState, BusyTwiceLeavesOneTask) {
  const std::size_t before = NamedBlinkCount();
  ShowLinkState(window_, kLinkBusy, clock_);
  ShowLinkState(window_, kLinkBusy, clock_);
  EXPECT_EQ(NamedBlinkCount(), before + 1);
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName));
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  clock_.Advance(milliseconds{10});
  EXPECT_EQ(clock_.Sleepers(), 1u) << "only one task sleeps between flips";
}

TEST_F(LinkState, DownAfterBusyStopsBlinkingAndLeavesTheIconShown) {
  ShowLinkState(window_, kLinkBusy, clock_);
  Tick();  // hidden by the blink
  ASSERT_FALSE(window_.Visible(Field::StatusLinkIcon));
  ShowLinkState(window_, kLinkDown, clock_);
  EXPECT_FALSE(NamedBlinkRunning(kLinkBlinkName));
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
  EXPECT_EQ(window_.Picture(Field::StatusLinkIcon), Named("ICO_EtatConnexionNOK"));
  clock_.Advance(milliseconds{5000});
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon)) << "a stopped task never hides it again";
}

TEST_F(LinkState, OtherStatesChangeNothing) {
  ShowLinkState(window_, kLinkUp, clock_);
  window_.ClearLog();
  for (int state : {2, 5, -1, 65535}) {
    EXPECT_EQ(ShowLinkState(window_, state, clock_), 1);
  }
  EXPECT_TRUE(window_.Log().empty());
  EXPECT_FALSE(NamedBlinkRunning(kLinkBlinkName));
  ShowLinkState(window_, kLinkBusy, clock_);
  ShowLinkState(window_, 2, clock_);
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName)) << "state 2 does not stop a blink either";
}

TEST_F(LinkState, ResetHidesTheBlinkingIconUntilItsNextShow) {
  ShowLinkState(window_, kLinkBusy, clock_);
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  ResetDisplayedValues(window_);
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon));
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName)) << "the reset stops no blinking";
  bool shown_again = false;
  for (int i = 0; i < 2 && !shown_again; ++i) {
    Tick();
    shown_again = window_.Visible(Field::StatusLinkIcon);
  }
  EXPECT_TRUE(shown_again);
}

TEST(ResetDisplayedValues, EmptyLook) {
  MemoryWindow window([](std::string_view) -> ImageHandle { return 42; });
  window.AppendTreeItem(Field::TempPeakTree, "x", 0, 0);
  window.AppendTreeItem(Field::HumPeakTree, "y", 0, 0);
  window.AppendRow(Field::ServiceList, "CurrentData");
  window.SetText(Field::IndexFrame, "THSV");
  ResetDisplayedValues(window);

  const std::span<const Field> reset = ResetTextFields();
  EXPECT_EQ(reset.size(), 98u);
  EXPECT_EQ(std::set<Field>(reset.begin(), reset.end()).size(), 98u) << "no field twice";
  for (Field f : reset) {
    EXPECT_EQ(CatalogueEntry(f).kind, FieldKind::kText) << FieldName(f);
    EXPECT_EQ(window.Text(f), "---") << FieldName(f);
  }
  struct Kept {
    Field field;
    const char* text;
  };
  const Kept kept[] = {
      {Field::TimeCorrectionValue, "N/A"}, {Field::BeaufortDesc, "N/A"},
      {Field::LandEffectText, "N/A"},      {Field::SeaEffectText, "N/A"},
      {Field::ForecastText, "N/A"},        {Field::IndexFrame, "THSV"},
      {Field::LinkStateText, "---"},       {Field::IndoorTempUnit, "°C"},
  };
  for (const Kept& k : kept) EXPECT_EQ(window.Text(k.field), k.text) << FieldName(k.field);

  for (Field f : {Field::ForecastIcon, Field::TrendHeavyIcon, Field::TrendMainIcon,
                  Field::TrendWindIcon, Field::TrendWindShiftIcon, Field::TrendStopIcon,
                  Field::TrendSkyIcon, Field::BaroTrendIcon}) {
    EXPECT_EQ(window.Picture(f), kNoImage) << FieldName(f);
  }
  EXPECT_EQ(window.Picture(Field::WindRose), 42) << "the wind rose keeps its picture";
  EXPECT_EQ(window.Picture(Field::UvIndexIcon), 42);
  for (Field f :
       {Field::AlarmAlertIcon, Field::StatusLinkIcon, Field::FrostIcon, Field::RainAlertIcon}) {
    EXPECT_FALSE(window.Visible(f)) << FieldName(f);
  }
  EXPECT_TRUE(window.Visible(Field::LinkStateIcon));
  EXPECT_TRUE(window.TreeItems(Field::TempPeakTree).empty());
  EXPECT_TRUE(window.TreeItems(Field::HumPeakTree).empty());
  EXPECT_EQ(window.Rows(Field::ServiceList).size(), 1u) << "lists are not the reset's";
}

}  // namespace
}  // namespace tv
