#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "lib/vocabulary/beaufort_scale.h"
#include "lib/vocabulary/wind_direction.h"

namespace tv {
namespace {

struct SpeedCase {
  const char* legend;
  double kmh;
  int force;
};

TEST(BeaufortForce, RoundsHalfToEvenThenUsesInclusiveBounds) {
  const SpeedCase cases[] = {
      {"light air below a half", 0.4, 0},
      {"half rounds down to even 0", 0.5, 0},
      {"just over a half", 0.51, 1},
      {"1.5 rounds up to even 2", 1.5, 1},
      {"2.5 rounds down to even 2", 2.5, 1},
      {"5.5 rounds up to even 6", 5.5, 2},
      {"upper bound of 1", 5, 1},
      {"lower bound of 2", 6, 2},
      {"28.5 rounds down to even 28", 28.5, 4},
      {"29.5 rounds up to even 30", 29.5, 5},
      {"upper bound of 8", 74, 8},
      {"lower bound of 9", 75, 9},
      {"upper bound of 10", 102, 10},
      {"upper bound of 11", 117, 11},
      {"lower bound of 12", 118, 12},
      {"117.5 rounds up to even 118", 117.5, 12},
      {"far above the scale", 1e9, 12},
      {"infinite speed", std::numeric_limits<double>::infinity(), 12},
      {"negative speed", -3.0, 0},
      {"minus a half", -0.5, 0},
      {"not a number", std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(BeaufortForce(c.kmh), c.force) << c.legend;
}

struct ForceTextCase {
  const char* legend;
  int force;
  const char* name;
  const char* land;
  const char* sea;
};

TEST(BeaufortTexts, DescribeEachForceAndRejectOthers) {
  const ForceTextCase cases[] = {
      {"calm", 0, "Calme.", "La fumée monte verticalement.", "La mer est comme un miroir."},
      {"near gale keeps its unaccented spelling", 7, "Grand vent frais.",
       "Tous les arbres s'agitent.", "Trainées d'écume, lames déferlantes."},
      {"hurricane keeps its masculine ending", 12, "Ouragan.", "Dégâts très importants.",
       "L'air est plein d'écume et d'embruns. La mer est entièrement blanche du fait des bancs "
       "d'écume dérivants. Visibilité fortement réduit."},
      {"force 13", 13, "---", "---", "---"},
      {"force -1", -1, "---", "---", "---"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BeaufortName(c.force), c.name) << c.legend;
    EXPECT_EQ(BeaufortLandEffect(c.force), c.land) << c.legend;
    EXPECT_EQ(BeaufortSeaState(c.force), c.sea) << c.legend;
  }
}

TEST(BeaufortTexts, EveryForceHasAllThreeTexts) {
  // Forces 9 and 10 in particular must describe the land like the others.
  for (int force = 0; force <= 12; ++force) {
    for (const std::string& text :
         {BeaufortName(force), BeaufortLandEffect(force), BeaufortSeaState(force)}) {
      EXPECT_NE(text, "---") << "force " << force;
      EXPECT_FALSE(text.empty()) << "force " << force;
      EXPECT_EQ(text.back(), '.') << "force " << force;
    }
    if (force > 0) {
      EXPECT_NE(BeaufortLandEffect(force), BeaufortLandEffect(force - 1)) << "force " << force;
    }
  }
  // UTF-8 accents, not Windows-1252 single bytes.
  EXPECT_EQ(BeaufortName(10), "Temp\xC3\xAAte.");
  EXPECT_EQ(BeaufortName(1), "Tr\xC3\xA8s l\xC3\xA9g\xC3\xA8re brise.");
}

struct DirectionCase {
  const char* legend;
  const char* code;
  const char* name;
};

TEST(WindDirectionName, NamesTheSixteenCodesOnly) {
  const DirectionCase cases[] = {
      {"north", "N", "Nord"},
      {"east", "E", "Est"},
      {"west uses the English letter", "W", "Ouest"},
      {"three letters, cardinal first", "NNE", "Nord / Nord-Est"},
      {"three letters west first", "WNW", "Ouest / Nord-Ouest"},
      {"two letters hyphenated", "SW", "Sud-Ouest"},
      {"last code", "NNW", "Nord / Nord-Ouest"},
      {"lower case is not a code", "e", "---"},
      {"mixed case is not a code", "Nw", "---"},
      {"French letter for west", "O", "---"},
      {"dashed direction", "---", "---"},
      {"empty code", "", "---"},
      {"trailing blank", "N ", "---"},
  };
  for (const auto& c : cases) EXPECT_EQ(WindDirectionName(c.code), c.name) << c.legend;
}

}  // namespace
}  // namespace tv
