#include "gadget/display/state_indicators.h"

#include "gadget/display/blinking.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

constexpr Field kResetTextFields[] = {
    Field::IndoorTempValue,
    Field::IndoorHumValue,
    Field::OutdoorTempValue,
    Field::OutdoorHumValue,
    Field::BaroValue,
    Field::WindSpeedValue,
    Field::WindDirName,
    Field::WindDirDegrees,
    Field::LastCollectValue,
    Field::TimeZoneValue,
    Field::FeelsLikeValue,
    Field::DewPointValue,
    Field::RainDayValue,
    Field::RainMonthValue,
    Field::RainRateValue,
    Field::RainStormValue,
    Field::RainYearValue,
    Field::RainLastHourValue,
    Field::LatitudeValue,
    Field::LongitudeValue,
    Field::PacketsRecvValue,
    Field::PacketsLostValue,
    Field::ResyncValue,
    Field::CrcErrorsValue,
    Field::SunriseValue,
    Field::SunsetValue,
    Field::ConsoleBatteryValue,
    Field::TransmitterStatusValue,
    Field::RepeaterStatusValue,
    Field::ElevationValue,
    Field::FirmwareDateValue,
    Field::FirmwareVersionValue,
    Field::TimeZoneUseValue,
    Field::AutoDstValue,
    Field::DstModeValue,
    Field::ArchiveIntervalValue,
    Field::RainLast24hValue,
    Field::RainPeakDayTime,
    Field::RainPeakYearValue,
    Field::RainPeakMonthValue,
    Field::RainPeakDayValue,
    Field::WindAvg2Value,
    Field::WindAvg10Value,
    Field::WindGust10Value,
    Field::WindPeakDayTime,
    Field::WindPeakMonthValue,
    Field::WindPeakYearValue,
    Field::WindPeakDayValue,
    Field::ExtraTempValue2,
    Field::ExtraTempValue3,
    Field::ExtraTempValue4,
    Field::ExtraTempValue5,
    Field::ExtraTempValue6,
    Field::ExtraTempValue7,
    Field::ExtraTempValue1,
    Field::WindSpeedMsValue,
    Field::ExtraHumValue1,
    Field::ExtraHumValue2,
    Field::ExtraHumValue3,
    Field::ExtraHumValue4,
    Field::ExtraHumValue5,
    Field::ExtraHumValue6,
    Field::ExtraHumValue7,
    Field::BeaufortValue,
    Field::IndexValue,
    Field::SolarRadValue,
    Field::UvValue,
    Field::SolarPeakDayTime,
    Field::SolarPeakDayValue,
    Field::SolarPeakMonthValue,
    Field::SolarPeakYearValue,
    Field::UvPeakDayTime,
    Field::UvPeakDayValue,
    Field::UvPeakMonthValue,
    Field::UvPeakYearValue,
    Field::HeatIndexValue,
    Field::EtDayValue,
    Field::EtMonthValue,
    Field::EtYearValue,
    Field::UvIndexValue,
    Field::InTempCorrValue,
    Field::OutTempCorrValue,
    Field::InHumCorrValue,
    Field::OutHumCorrValue,
    Field::WindDirCorrValue,
    Field::LeafWetValue1,
    Field::LeafWetValue2,
    Field::LeafTempValue1,
    Field::LeafTempValue2,
    Field::SoilMoistValue1,
    Field::SoilMoistValue2,
    Field::SoilMoistValue3,
    Field::SoilMoistValue4,
    Field::SoilTempValue1,
    Field::SoilTempValue2,
    Field::SoilTempValue3,
    Field::SoilTempValue4,
    Field::TrendHorizonText,
};

void SetLinkPictures(Window& window, std::string_view name) {
  const ImageHandle image = LookupHandle(name, kHandleKindImage);
  window.SetPicture(Field::LinkStateIcon, image);
  window.SetPicture(Field::StatusLinkIcon, image);
}

// Stops the blinking and only then shows the icon, so that a stopped task
// cannot hide it again afterwards.
void StopBlinkingAndShow(Window& window) {
  StopNamedBlink(window, kLinkBlinkName);
  window.SetVisible(Field::StatusLinkIcon, true);
}

}  // namespace

int ShowLinkState(Window& window, int state) {
  switch (state) {
    case kLinkDown:
      StopBlinkingAndShow(window);
      SetLinkPictures(window, "ICO_EtatConnexionNOK");
      break;
    case kLinkUp:
      StopBlinkingAndShow(window);
      SetLinkPictures(window, "ICO_EtatConnexionOK");
      break;
    case kLinkBusy:
      SetLinkPictures(window, "ICO_EtatConnexionActivite");
      StopNamedBlink(window, kLinkBlinkName);
      StartNamedBlink(window, kLinkBlinkName, Field::StatusLinkIcon);
      break;
    case kLinkIdle:
      SetLinkPictures(window, "ICO_EtatConnexionOK");
      StopBlinkingAndShow(window);
      break;
    default:
      break;
  }
  return 1;
}

void ResetDisplayedValues(Window& window) {
  for (Field field : kResetTextFields) window.SetText(field, "---");
  for (Field field : {Field::ForecastIcon, Field::TrendHeavyIcon, Field::TrendMainIcon,
                      Field::TrendWindIcon, Field::TrendWindShiftIcon, Field::TrendStopIcon,
                      Field::TrendSkyIcon, Field::BaroTrendIcon}) {
    window.SetPicture(field, kNoImage);
  }
  for (Field field :
       {Field::AlarmAlertIcon, Field::StatusLinkIcon, Field::FrostIcon, Field::RainAlertIcon}) {
    window.SetVisible(field, false);
  }
  window.ClearTree(Field::TempPeakTree);
  window.ClearTree(Field::HumPeakTree);
}

std::span<const Field> ResetTextFields() {
  return kResetTextFields;
}

}  // namespace tv
