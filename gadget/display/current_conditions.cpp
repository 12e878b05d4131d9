#include "gadget/display/current_conditions.h"

#include <string>
#include <string_view>

#include "gadget/display/icon_selection.h"
#include "gadget/display/image_sets.h"
#include "lib/common/date_format.h"
#include "lib/common/number_text.h"
#include "lib/common/unit_conversions.h"
#include "lib/station/result_codes.h"
#include "lib/vocabulary/beaufort_scale.h"
#include "lib/vocabulary/wind_direction.h"

namespace tv {
namespace {

// The arrow text: the spaces carry the visible arrow out from the centre.
constexpr std::string_view kWindRoseArrow = "             ->";

bool Valid(float value) {
  return IsValidResult(value) == 1;
}

bool Valid(int value) {
  return Valid(static_cast<float>(value));
}

// Writes `value` with `decimals` places when the console has a reading.
void ShowDecimal(Window& window, Field field, float value, int decimals) {
  if (Valid(value)) window.SetText(field, DecimalText(static_cast<double>(value), decimals));
}

void ShowWhole(Window& window, Field field, int value) {
  if (Valid(value)) window.SetText(field, WholeText(value));
}

// A temperature of the tooltip: the number, or "---" without a reading.
std::string TooltipTemperature(float celsius) {
  return (Valid(celsius) ? DecimalText(static_cast<double>(celsius), 1) : std::string("---")) +
         "°c";
}

// " " and the language pack's sentence for each number of the list ("8;29;").
std::string ForecastSentences(std::string_view list, LanguagePack& language) {
  std::string text;
  std::size_t start = 0;
  for (std::size_t end = list.find(';'); end != std::string_view::npos;
       end = list.find(';', start)) {
    text += ' ';
    text += language.Text("PREV_METEO_" + std::string(list.substr(start, end - start)));
    start = end + 1;
  }
  return text;
}

template <std::size_t N>
void ShowDecimals(Window& window, const Field (&fields)[N], const std::array<float, N>& values,
                  int decimals) {
  for (std::size_t i = 0; i < N; ++i) ShowDecimal(window, fields[i], values[i], decimals);
}

}  // namespace

void DrawWindRoseArrow(Window& window, int direction) {
  const int angle = 90 - direction;
  const int start_x = angle <= 90 ? 90 : 100;
  window.DrawWindRose(Field::WindRose, NumberedImage(kWindRoseImageNumber), kWindRoseArrow, angle,
                      start_x, 100);
}

namespace {

void DrawCurrentConditions(Window& window, const StationData& data, const std::string& forecast,
                           const RainNotifyHook& rain_notify) {
  const CurrentDataGroup& c = data.CurrentData;
  window.SetText(Field::ForecastText, "");
  std::string tooltip;

  ShowDecimal(window, Field::IndoorTempValue, c.InsideTemp, 1);
  ShowDecimal(window, Field::OutdoorTempValue, c.OutsideTemp, 1);
  ShowWhole(window, Field::IndoorHumValue, c.InsideHumidity);
  ShowWhole(window, Field::OutdoorHumValue, c.OutsideHumidity);
  ShowDecimal(window, Field::BaroValue, c.Barometer, 2);
  ShowDecimal(window, Field::FeelsLikeValue, c.WindChill, 1);
  // The console gives the elevation in feet.
  if (Valid(c.StationElevation)) {
    window.SetText(Field::ElevationValue,
                   RoundedText(static_cast<double>(FeetToMetres(c.StationElevation))));
  }
  ShowDecimal(window, Field::DewPointValue, c.DewPt, 1);
  ShowDecimal(window, Field::RainDayValue, c.DailyRain, 1);
  ShowDecimal(window, Field::RainMonthValue, c.MonthlyRain, 1);
  ShowDecimal(window, Field::RainStormValue, c.StormRain, 1);
  ShowDecimal(window, Field::RainYearValue, c.TotalRain, 1);
  ShowDecimal(window, Field::WindAvg2Value, c.WindSpeedAvg2Min, 1);
  ShowDecimal(window, Field::WindAvg10Value, c.WindSpeedAvg10Min, 1);
  ShowDecimal(window, Field::WindGust10Value, c.WindGust10Min, 1);

  // Without a ten-minute average the force is unknown, not calm.
  if (Valid(c.WindSpeedAvg10Min)) {
    const int force = BeaufortForce(static_cast<double>(c.WindSpeedAvg10Min));
    window.SetText(Field::BeaufortValue, WholeText(force));
    window.SetText(Field::BeaufortDesc, BeaufortName(force));
    window.SetText(Field::LandEffectText, BeaufortLandEffect(force));
    window.SetText(Field::SeaEffectText, BeaufortSeaState(force));
  }

  ShowDecimal(window, Field::RainLastHourValue, c.RainLastHour, 1);
  ShowDecimal(window, Field::RainLast24hValue, c.RainLast24Hours, 1);
  if (Valid(c.RainRate)) {
    window.SetText(Field::RainRateValue, DecimalText(static_cast<double>(c.RainRate), 1));
    if (rain_notify) rain_notify(c.RainRate);
  }
  ShowDecimal(window, Field::SolarRadValue, c.SolarRad, 1);
  ShowWhole(window, Field::UvValue, c.UV);

  if (Valid(c.THSWIndex)) {
    window.SetText(Field::IndexFrame, "THSV");
    window.SetText(Field::IndexValue, DecimalText(c.THSWIndex, 0));
  } else if (Valid(c.THWIndex)) {
    window.SetText(Field::IndexFrame, "THV");
    window.SetText(Field::IndexValue, DecimalText(c.THWIndex, 0));
  }
  ShowDecimal(window, Field::HeatIndexValue, c.HeatIndex, 1);

  ShowBaroTrend(window, c.BarTrendText, Field::BaroTrendIcon);

  if (Valid(c.WindSpeed)) {
    window.SetText(Field::WindSpeedValue, DecimalText(static_cast<double>(c.WindSpeed), 1));
    window.SetText(Field::WindSpeedMsValue,
                   DecimalText(static_cast<double>(KmhToMs(RoundToInt32(c.WindSpeed))), 2));
  }
  if (Valid(c.WindDir)) {
    DrawWindRoseArrow(window, c.WindDir);
    window.SetText(Field::WindDirDegrees, WholeText(c.WindDir) + "°");
  }
  window.SetText(Field::WindDirName, WindDirectionName(c.WindDirText));

  ShowDecimal(window, Field::EtDayValue, c.ETDay, 1);
  ShowDecimal(window, Field::EtMonthValue, c.ETMonth, 1);
  ShowDecimal(window, Field::EtYearValue, c.ETYear, 1);

  constexpr Field kExtraTemp[] = {Field::ExtraTempValue1, Field::ExtraTempValue2,
                                  Field::ExtraTempValue3, Field::ExtraTempValue4,
                                  Field::ExtraTempValue5, Field::ExtraTempValue6,
                                  Field::ExtraTempValue7};
  ShowDecimals(window, kExtraTemp, c.ExtraTemp, 1);
  constexpr Field kExtraHum[] = {
      Field::ExtraHumValue1, Field::ExtraHumValue2, Field::ExtraHumValue3, Field::ExtraHumValue4,
      Field::ExtraHumValue5, Field::ExtraHumValue6, Field::ExtraHumValue7};
  for (std::size_t i = 0; i < c.ExtraHum.size(); ++i)
    ShowWhole(window, kExtraHum[i], c.ExtraHum[i]);

  ShowDecimals(window, {Field::LeafTempValue1, Field::LeafTempValue2}, c.LeafTemp, 1);
  ShowDecimals(window, {Field::LeafWetValue1, Field::LeafWetValue2}, c.LeafWet, 1);
  ShowDecimals(
      window,
      {Field::SoilTempValue1, Field::SoilTempValue2, Field::SoilTempValue3, Field::SoilTempValue4},
      c.SoilTemp, 1);
  constexpr Field kSoilMoist[] = {Field::SoilMoistValue1, Field::SoilMoistValue2,
                                  Field::SoilMoistValue3, Field::SoilMoistValue4};
  for (std::size_t i = 0; i < c.SoilMoisture.size(); ++i) {
    if (Valid(c.SoilMoisture[i]))
      window.SetText(kSoilMoist[i], RoundedText(static_cast<double>(c.SoilMoisture[i])));
  }

  tooltip += "\r\nTempérature intérieur : " + TooltipTemperature(c.InsideTemp);
  tooltip += "\r\nTempérature extérieur : " + TooltipTemperature(c.OutsideTemp);

  window.SetText(Field::ForecastText, forecast);
  tooltip += "\r\nPrévision : " + forecast;

  ShowForecastTrend(window, data.Forecast.Text);
  ShowForecastIcon(window, data.Forecast.Icon);

  window.SetText(Field::SunriseValue, FormatStationDate(data.SunriseTime, kArgAbsent));
  window.SetText(Field::SunsetValue, FormatStationDate(data.SunsetTime, kArgAbsent));
  window.SetText(Field::LastCollectValue, FormatStationDate(data.StationTime, kArgAbsent));

  window.SetTrayTooltip(forecast + "\r\n" + tooltip);
}

}  // namespace

void ShowCurrentConditions(Window& window, const StationData& data, LanguagePack& language,
                           const RainNotifyHook& rain_notify) {
  // The language pack may read its file: done here, before the window's
  // batch, so that the GUI thread never reads a disk.
  const std::string forecast = ForecastSentences(data.Forecast.Text, language);
  window.Batch([&] { DrawCurrentConditions(window, data, forecast, rain_notify); });
}

}  // namespace tv
