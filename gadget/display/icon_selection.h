#pragma once

#include <string_view>

#include "gadget/window/window.h"

namespace tv {

// Shows in ForecastIcon the picture of the console's forecast icon value;
// values without a picture leave the field empty.
void ShowForecastIcon(Window& window, int forecast_icon);

// Shows in `field` the arrow of the console's barometric trend text, compared
// in any case but otherwise exactly ("Rising", "FALLING RAPIDLY"); any other
// text leaves the field empty.
void ShowBaroTrend(Window& window, std::string_view trend_text, Field field);

struct TrendFields {
  Field heavy = Field::TrendHeavyIcon;
  Field main = Field::TrendMainIcon;
  Field horizon = Field::TrendHorizonText;
  Field wind = Field::TrendWindIcon;
  Field wind_shift = Field::TrendWindShiftIcon;
  Field stop = Field::TrendStopIcon;
  Field sky = Field::TrendSkyIcon;
};

// Clears the trend area, then applies the trend of each forecast sentence of
// the list ("14;24;", each number followed by ";") in list order, a later
// sentence overwriting what an earlier one set in the same field.
void ShowForecastTrend(Window& window, std::string_view sentence_list,
                       const TrendFields& fields = {});

// The leading decimal integer of a list field; 0 for an empty or non-numeric one.
int SentenceNumber(std::string_view field);

}  // namespace tv
