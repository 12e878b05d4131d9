#include "gadget/display/state_indicators.h"

#include <gtest/gtest.h>

#include <set>

#include "gadget/display/blinking.h"
#include "gadget/display/image_sets.h"
#include "gadget/window/field_catalogue.h"
#include "gadget/window/memory_window.h"
#include "lib/common/named_handles.h"
#include "tests/support/gui_thread_window.h"

namespace tv {
namespace {

using std::chrono::milliseconds;

class LinkState : public ::testing::Test {
 protected:
  void SetUp() override { RegisterGeneralSet(); }
  void TearDown() override { StopNamedBlink(gui_, kLinkBlinkName); }

  static ImageHandle Named(const char* name) { return LookupHandle(name, kHandleKindImage); }

  // One blink period of the window's clock.
  void Tick() { clock_.Advance(milliseconds{1000}); }

  ManualClock clock_;
  MemoryWindow window_{{}, clock_};
  // The calls are carried out on a GUI thread, as on the desktop.
  testing::GuiThreadWindow gui_{window_};
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
    EXPECT_EQ(ShowLinkState(gui_, row.state), 1);
    EXPECT_NE(Named(row.picture), kNoImage);
    EXPECT_EQ(window_.Picture(Field::LinkStateIcon), Named(row.picture));
    EXPECT_EQ(window_.Picture(Field::StatusLinkIcon), Named(row.picture));
    EXPECT_EQ(NamedBlinkRunning(kLinkBlinkName), row.blinking);
    if (!row.blinking) {
      EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
    }
    StopNamedBlink(gui_, kLinkBlinkName);
  }
}

TEST_F(LinkState, BusyBlinksEverySecond) {
  window_.SetVisible(Field::StatusLinkIcon, false);
  ShowLinkState(gui_, kLinkBusy);
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon)) << "the first flip shows the icon";
  Tick();
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon));
  Tick();
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
}

TEST_F(LinkState, BusyTwiceLeavesOneBlinkStartedAfresh) {
  ShowLinkState(gui_, kLinkBusy);
  clock_.Advance(milliseconds{600});
  ShowLinkState(gui_, kLinkBusy);
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName));
  EXPECT_TRUE(window_.Blinking(Field::StatusLinkIcon));
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon)) << "the restart flips at once";
  clock_.Advance(milliseconds{600});
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon)) << "one period from the restart";
  clock_.Advance(milliseconds{400});
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
}

TEST_F(LinkState, DownAfterBusyStopsBlinkingAndLeavesTheIconShown) {
  ShowLinkState(gui_, kLinkBusy);
  Tick();  // hidden by the blink
  ASSERT_FALSE(window_.Visible(Field::StatusLinkIcon));
  ShowLinkState(gui_, kLinkDown);
  EXPECT_FALSE(NamedBlinkRunning(kLinkBlinkName));
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon));
  EXPECT_EQ(window_.Picture(Field::StatusLinkIcon), Named("ICO_EtatConnexionNOK"));
  clock_.Advance(milliseconds{5000});
  EXPECT_TRUE(window_.Visible(Field::StatusLinkIcon)) << "a stopped task never hides it again";
}

TEST_F(LinkState, OtherStatesChangeNothing) {
  ShowLinkState(gui_, kLinkUp);
  window_.ClearLog();
  for (int state : {2, 5, -1, 65535}) {
    EXPECT_EQ(ShowLinkState(gui_, state), 1);
  }
  EXPECT_TRUE(window_.Log().empty());
  EXPECT_FALSE(NamedBlinkRunning(kLinkBlinkName));
  ShowLinkState(gui_, kLinkBusy);
  ShowLinkState(gui_, 2);
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName)) << "state 2 does not stop a blink either";
}

TEST_F(LinkState, ResetHidesTheBlinkingIconUntilItsNextShow) {
  ShowLinkState(gui_, kLinkBusy);
  ResetDisplayedValues(gui_);
  EXPECT_FALSE(window_.Visible(Field::StatusLinkIcon));
  EXPECT_TRUE(NamedBlinkRunning(kLinkBlinkName)) << "the reset stops no blinking";
  bool shown_again = false;
  for (int i = 0; i < 2 && !shown_again; ++i) {
    Tick();
    shown_again = window_.Visible(Field::StatusLinkIcon);
  }
  EXPECT_TRUE(shown_again);
}

TEST(NamedBlink, StartTwiceKeepsOneBlinkAndStopForgetsIt) {
  ClearNamedHandles();
  ManualClock clock;
  MemoryWindow window({}, clock);
  EXPECT_TRUE(StartNamedBlink(window, "CLIGNOTANT_ALERTE", Field::AlarmAlertIcon));
  EXPECT_FALSE(StartNamedBlink(window, "CLIGNOTANT_ALERTE", Field::AlarmAlertIcon));
  EXPECT_NE(LookupHandle("CLIGNOTANT_ALERTE", kHandleKindBlink), 0);
  EXPECT_TRUE(NamedBlinkRunning("CLIGNOTANT_ALERTE"));
  EXPECT_TRUE(window.Blinking(Field::AlarmAlertIcon));
  EXPECT_TRUE(StopNamedBlink(window, "CLIGNOTANT_ALERTE"));
  EXPECT_FALSE(StopNamedBlink(window, "CLIGNOTANT_ALERTE")) << "nothing left to stop";
  EXPECT_FALSE(window.Blinking(Field::AlarmAlertIcon));
  EXPECT_EQ(LookupHandle("CLIGNOTANT_ALERTE", kHandleKindBlink), 0);
  EXPECT_FALSE(StopNamedBlink(window, "CLIGNOTANT_PLUIE_EN_COURS")) << "never started";

  // The phase is the field's own: a new blink goes on from where the last
  // one left it, and SetVisible holds until the next flip.
  window.SetVisible(Field::RainAlertIcon, false);
  StartNamedBlink(window, "CLIGNOTANT_PLUIE_EN_COURS", Field::RainAlertIcon);
  std::vector<bool> seen;
  for (int i = 0; i < 4; ++i) {
    seen.push_back(window.Visible(Field::RainAlertIcon));
    clock.Advance(std::chrono::milliseconds{1000});
  }
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false}));
  window.SetVisible(Field::RainAlertIcon, true);
  EXPECT_TRUE(window.Visible(Field::RainAlertIcon));
  clock.Advance(std::chrono::milliseconds{1000});
  EXPECT_FALSE(window.Visible(Field::RainAlertIcon)) << "the next flip hides what it showed";
  StopNamedBlink(window, "CLIGNOTANT_PLUIE_EN_COURS");
  clock.Advance(std::chrono::milliseconds{5000});
  EXPECT_FALSE(window.Visible(Field::RainAlertIcon)) << "no flip after the stop";
  ClearNamedHandles();
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
