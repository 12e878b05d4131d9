#include "gadget/pages/station_config_page.h"

#include <cstdint>
#include <string>

#include "lib/common/number_text.h"
#include "lib/common/wording.h"
#include "lib/station/result_codes.h"
#include "lib/vocabulary/station_config_text.h"

namespace tv {
namespace {

constexpr int kShownTransmitters = 6;

bool Valid(float value) {
  return IsValidResult(value) == 1;
}

std::string OrDashes(float value, const std::string& text) {
  return Valid(value) ? text : std::string("---");
}

std::string Decimal(float value, int decimals) {
  return OrDashes(value, DecimalText(static_cast<double>(value), decimals));
}

std::string Rounded(float value) {
  return OrDashes(value, RoundedText(static_cast<double>(value)));
}

std::string Whole(std::int32_t value) {
  return OrDashes(static_cast<float>(value), WholeText(value));
}

}  // namespace

void RefreshStationConfigPage(Window& window, const StationData& data) {
  const ConfigGroup& c = data.Config;
  const TimeZoneSettings& zone = c.TimeZone;
  window.SetText(Field::ConsoleBatteryValue, Decimal(c.ConsoleVoltage, 2));
  window.SetText(Field::TransmitterStatusValue, Rounded(c.TransmitterStatus));
  window.SetText(Field::RepeaterStatusValue, Rounded(c.RepeaterStatus));
  window.SetText(Field::PacketsRecvValue, Whole(c.Reception.PacketsReceived));
  window.SetText(Field::PacketsLostValue, Whole(c.Reception.PacketsLost));
  window.SetText(Field::ResyncValue, Whole(c.Reception.Resyncs));
  window.SetText(Field::CrcErrorsValue, Whole(c.Reception.CrcErrors));
  window.SetText(Field::FirmwareDateValue, c.FirmwareDateText);
  window.SetText(Field::FirmwareVersionValue, c.FirmwareVersion);
  window.SetText(Field::LatitudeValue, c.LatitudeText);
  window.SetText(Field::LongitudeValue, c.LongitudeText);
  window.SetText(Field::ArchiveIntervalValue, Whole(c.ArchivePeriod));
  window.SetText(Field::TimeZoneUseValue, OrDashes(zone.UseTimeZone, YesNoText(zone.UseTimeZone)));
  window.SetText(Field::AutoDstValue,
                 OrDashes(zone.AutoDaylightSaving, EnabledText(zone.AutoDaylightSaving)));
  window.SetText(Field::DstModeValue,
                 OrDashes(zone.DaylightSavingMode, YesNoText(zone.DaylightSavingMode)));
  window.SetText(Field::TimeCorrectionValue, Rounded(zone.TimeCorrection));
  window.SetText(Field::TimeZoneValue,
                 OrDashes(zone.TimeZoneIndex, TimeZoneText(zone.TimeZoneIndex)));

  window.ClearRows(Field::TransmitterList);
  // Each row goes on top: the list reads from the highest ID down.
  for (int id = 1; id <= kShownTransmitters; ++id) {
    const TransmitterEntry tx = TransmitterAt(c, id);
    window.InsertRow(Field::TransmitterList, 0,
                     std::to_string(id) + "\n" + TransmitterTypeText(tx.kind) + "\n" +
                         std::to_string(tx.station_id));
  }
}

}  // namespace tv
