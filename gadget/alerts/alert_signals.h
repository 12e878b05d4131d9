#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gadget/alerts/alarm_items.h"
#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"

namespace tv {

// Names of the blinking tasks of the alert and rain indicators (kind 1).
inline constexpr std::string_view kAlertBlinkName = "CLIGNOTANT_ALERTE";
inline constexpr std::string_view kRainBlinkName = "CLIGNOTANT_PLUIE_EN_COURS";
// The detail page that holds the alert list.
inline constexpr int kAlertPageIndex = 6;
// The alert list never holds more rows than this: the rain notification adds
// a row at every refresh and only an alarm evaluation empties the list.
inline constexpr int kAlertListMaxRows = 100;

// Appends a row to ActiveAlertList: the time now ("08/12/2026 14:05"), the
// label, the value text.
void AddAlertRow(Window& window, const Clock& clock, std::string_view label,
                 std::string_view value);

// On: AlarmAlertIcon blinks (a running blink is left as it is). Off: the
// blink stops and the icon is hidden.
void SetAlertBlinking(Window& window, bool on);

// FrostIcon shown while the THSW index, or without it the THW index, is
// below 0; hidden otherwise, and when neither index is a reading.
void UpdateBelowZeroIndicator(Window& window, const StationData& data);

// "ALERTES :\r\n\r\n" then "label -> value\r\n" per alarm (the balloon cuts
// it to what it shows).
std::string AlertBalloonText(const std::vector<FoundAlarm>& alarms);

}  // namespace tv
