#include "gadget/display/tray_temperature.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(TrayTemperature, WholeDegreesThatFitTheIcon) {
  struct Row {
    const char* legend;
    const char* shown;
    const char* text;
  };
  const Row rows[] = {
      {"rounded down", "23.4", "23°"},
      {"rounded up, half away from zero", "23.5", "24°"},
      {"below zero", "-5.2", "-5°"},
      {"just below zero is no minus zero", "-0.3", "0°"},
      {"three characters leave out the degree sign", "-12.0", "-12"},
      {"three digits too", "104.0", "104"},
      {"no reading", "---", "--"},
      {"the catalogue's initial text is no reading", "-88,8", "--"},
      {"empty", "", "--"},
      {"out of any range", "12345", "--"},
  };
  for (const Row& row : rows) EXPECT_EQ(TrayTemperatureText(row.shown), row.text) << row.legend;
}

TEST(TrayTemperature, ThePortalsPreferenceDecidesThenThePalette) {
  EXPECT_EQ(PanelSchemeOf(1u, false), PanelScheme::kDark);             // prefers dark
  EXPECT_EQ(PanelSchemeOf(2u, true), PanelScheme::kLight);             // prefers light
  EXPECT_EQ(PanelSchemeOf(0u, true), PanelScheme::kDark);              // no preference: the palette
  EXPECT_EQ(PanelSchemeOf(std::nullopt, false), PanelScheme::kLight);  // no portal
}

}  // namespace
}  // namespace tv
