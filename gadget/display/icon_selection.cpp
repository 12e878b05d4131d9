#include "gadget/display/icon_selection.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "lib/common/named_handles.h"

namespace tv {
namespace {

ImageHandle Named(std::string_view name) {
  return name.empty() ? kNoImage : LookupHandle(name, kHandleKindImage);
}

struct ForecastPicture {
  int icon;
  std::string_view name;
};

constexpr ForecastPicture kForecastPictures[] = {
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
};

struct BaroPicture {
  std::string_view trend;
  std::string_view name;
};

constexpr BaroPicture kBaroPictures[] = {
    {"RISING", "ICO_Tendance_Pression_hausse"},
    {"FALLING", "ICO_Tendance_Pression_baisse"},
    {"STEADY", "ICO_Tendance_Pression_stable"},
    {"RISING RAPIDLY", "ICO_Tendance_Pression_hausse_rapide"},
    {"FALLING RAPIDLY", "ICO_Tendance_Pression_baisse_rapide"},
};

// What one forecast sentence sets in the trend area. An empty name sets
// nothing; a null horizon leaves the horizon text alone.
struct TrendRow {
  std::string_view main;
  std::string_view sky;
  std::string_view heavy;
  std::string_view wind;
  std::string_view stop;
  bool wind_shift;
  const char* horizon;
};

constexpr std::string_view kLow = "ICO_HiLowValeurBasse";
constexpr std::string_view kHigh = "ICO_HiLowValeurHaute";
constexpr std::string_view kTempChange = "ICO_Tendance_ChangementDeTemperature";
constexpr std::string_view kCooler = "ICO_Tendance_TemperatureFraiche";
constexpr std::string_view kRain = "ICO_Tendance_PluieContinue";
constexpr std::string_view kRainLikely = "ICO_Tendance_PluiePossible";
constexpr std::string_view kSun = "ICO_Tendance_Soleil";
constexpr std::string_view kCloud = "ICO_Tendance_Nuage";
constexpr std::string_view kPartCloud = "ICO_Tendance_NuagePartiel";
constexpr std::string_view kClearing = "ICO_Tendance_FinNuage";
constexpr std::string_view kWind = "ICO_Tendance_Vent";
constexpr std::string_view kHeavy = "ICO_Tendance_Forte";
constexpr std::string_view kStop = "ICO_Tendance_Stop";

// Indexed by sentence number - 1.
// clang-format off
constexpr TrendRow kTrendRows[] = {
    /*  1 */ {kLow, kSun, {}, {}, {}, false, nullptr},
    /*  2 */ {kTempChange, kSun, {}, {}, {}, false, nullptr},
    /*  3 */ {kTempChange, kSun, {}, {}, {}, false, "12 hrs"},
    /*  4 */ {kLow, kSun, {}, {}, {}, false, "12-24 hrs"},
    /*  5 */ {kHigh, kSun, {}, {}, {}, false, nullptr},
    /*  6 */ {kTempChange, kSun, {}, {}, {}, false, "6-12 hrs"},
    /*  7 */ {kTempChange, kSun, {}, {}, {}, false, "12-24 hrs"},
    /*  8 */ {kHigh, kCloud, {}, {}, {}, false, nullptr},
    /*  9 */ {kTempChange, kPartCloud, {}, {}, {}, false, nullptr},
    /* 10 */ {kLow, kCloud, {}, {}, {}, false, nullptr},
    /* 11 */ {kLow, kClearing, {}, {}, {}, false, nullptr},
    /* 12 */ {kLow, kClearing, {}, kWind, {}, false, nullptr},
    /* 13 */ {kCooler, kCloud, {}, {}, {}, false, nullptr},
    /* 14 */ {kTempChange, kCloud, {}, {}, {}, false, nullptr},
    /* 15 */ {{}, {}, {}, {}, {}, false, "---"},
    /* 16 */ {kRain, {}, {}, {}, {}, false, nullptr},
    /* 17 */ {kRain, {}, kHeavy, {}, {}, false, nullptr},
    /* 18 */ {kRainLikely, {}, {}, {}, {}, false, nullptr},
    /* 19 */ {kRainLikely, {}, kHeavy, {}, {}, false, nullptr},
    /* 20 */ {kRainLikely, {}, {}, {}, kStop, false, "6 hrs"},
    /* 21 */ {kRainLikely, {}, {}, {}, kStop, false, "12 hrs"},
    /* 22 */ {kRain, {}, {}, {}, kStop, false, "12 hrs"},
    /* 23 */ {kRain, {}, {}, {}, kStop, false, "12-24 hrs"},
    /* 24 */ {kRainLikely, {}, {}, {}, {}, false, "6 hrs"},
    /* 25 */ {kRainLikely, {}, {}, kWind, {}, false, "6 hrs"},
    /* 26 */ {kRainLikely, {}, kHeavy, {}, {}, false, "6-12 hrs"},
    /* 27 */ {kRainLikely, {}, {}, {}, {}, false, "6-12 hrs"},
    /* 28 */ {kRainLikely, {}, {}, {}, {}, false, "12 hrs"},
    /* 29 */ {kRainLikely, {}, kHeavy, {}, {}, false, "12 hrs"},
    /* 30 */ {kRainLikely, {}, {}, {}, {}, false, "12-24 hrs"},
    /* 31 */ {kRainLikely, {}, {}, {}, {}, false, "24 hrs"},
    /* 32 */ {kRainLikely, {}, {}, {}, {}, false, "24-48 hrs"},
    /* 33 */ {kRainLikely, {}, {}, {}, {}, false, "48 hrs"},
    /* 34 */ {{}, {}, {}, kWind, {}, false, nullptr},
    /* 35 */ {{}, {}, {}, kWind, {}, false, nullptr},
    /* 36 */ {{}, {}, {}, kWind, {}, true, nullptr},
    /* 37 */ {kLow, {}, {}, kWind, {}, true, nullptr},
    /* 38 */ {kLow, kPartCloud, {}, {}, {}, false, nullptr},
    /* 39 */ {kTempChange, kPartCloud, {}, {}, {}, false, nullptr},
    /* 40 */ {{}, {}, {}, kWind, {}, true, nullptr},
    /* 41 */ {{}, {}, {}, kWind, {}, true, nullptr},
};
// clang-format on

constexpr std::string_view kWindShift = "ICO_Tendance_ChangementDeDirectionVent";

void ApplyTrendRow(Window& window, const TrendRow& row, const TrendFields& f) {
  if (!row.main.empty()) window.SetPicture(f.main, Named(row.main));
  if (!row.sky.empty()) window.SetPicture(f.sky, Named(row.sky));
  if (!row.heavy.empty()) window.SetPicture(f.heavy, Named(row.heavy));
  if (!row.stop.empty()) window.SetPicture(f.stop, Named(row.stop));
  if (!row.wind.empty()) window.SetPicture(f.wind, Named(row.wind));
  if (row.wind_shift) {
    window.SetPicture(f.wind_shift, Named(kWindShift));
    window.SetVisible(f.wind_shift, true);
  }
  if (row.horizon != nullptr) window.SetText(f.horizon, row.horizon);
}

}  // namespace

void ShowForecastIcon(Window& window, int forecast_icon) {
  ImageHandle image = kNoImage;
  for (const ForecastPicture& p : kForecastPictures) {
    if (p.icon == forecast_icon) image = Named(p.name);
  }
  window.SetPicture(Field::ForecastIcon, image);
}

void ShowBaroTrend(Window& window, std::string_view trend_text, Field field) {
  std::string upper(trend_text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  ImageHandle image = kNoImage;
  for (const BaroPicture& p : kBaroPictures) {
    if (p.trend == upper) {
      image = Named(p.name);
      break;
    }
  }
  window.SetPicture(field, image);
}

int SentenceNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  long value = 0;
  for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i) {
    // Anything this large has no sentence; stop before it can overflow.
    if (value < 1'000'000) value = value * 10 + (field[i] - '0');
  }
  return static_cast<int>(negative ? -value : value);
}

void ShowForecastTrend(Window& window, std::string_view sentence_list, const TrendFields& f) {
  window.SetText(f.horizon, "");
  for (Field picture : {f.sky, f.wind, f.main, f.heavy, f.wind_shift, f.stop}) {
    window.SetPicture(picture, kNoImage);
  }
  window.SetVisible(f.wind_shift, false);

  // Only fields closed by ";" count: text after the last ";" is ignored.
  std::size_t start = 0;
  for (std::size_t end = sentence_list.find(';'); end != std::string_view::npos;
       end = sentence_list.find(';', start)) {
    const int number = SentenceNumber(sentence_list.substr(start, end - start));
    if (number >= 1 && number <= static_cast<int>(std::size(kTrendRows))) {
      ApplyTrendRow(window, kTrendRows[number - 1], f);
    }
    start = end + 1;
  }
}

}  // namespace tv
