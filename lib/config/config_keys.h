#pragma once

#include <string_view>

#include "lib/config/config_table.h"

namespace tv {

// Every setting the agent reads, by composed key.
inline constexpr std::string_view kKeyStartHideAgent = "GENERAL_StartHideAgent";
inline constexpr std::string_view kKeySeePanelDefault = "GENERAL_SeePanelDefault";
inline constexpr std::string_view kKeyRefreshServices = "GENERAL_RefreshServices";
inline constexpr std::string_view kKeyGeneralNotify = "GENERAL_Notify";
inline constexpr std::string_view kKeyConsoleType = "CONSOLE_type";
inline constexpr std::string_view kKeyConsoleAddress = "CONSOLE_adresse";
inline constexpr std::string_view kKeyOffsetService = "CONSOLE_OffsetService";
inline constexpr std::string_view kKeyConnectionTimeout = "CONSOLE_ConnectionTimeout";
inline constexpr std::string_view kKeyAlertsActive = "ALERTS_Active";
inline constexpr std::string_view kKeyAlertsNotify = "ALERTS_Notify";
inline constexpr std::string_view kKeyAlertsSeePanel = "ALERTS_SeePanel";
inline constexpr std::string_view kKeyAlertsSeeWindow = "ALERTS_SeeWindow";
inline constexpr std::string_view kKeyAlertsSound = "ALERTS_Sound";
inline constexpr std::string_view kKeyAlertsRainNotify = "ALERTS_RainNotify";
inline constexpr std::string_view kKeyTempHumBar = "CURRENTDATA_TempHumBar";
inline constexpr std::string_view kKeyForeCast = "CURRENTDATA_ForeCast";
inline constexpr std::string_view kKeySunSetSunRise = "CURRENTDATA_SunSetSunRise";
// "1": the console's clock is set from the computer's by itself, at most once
// a day, when it has drifted further than "CONSOLE_ClockDrift" seconds.
inline constexpr std::string_view kKeyConsoleSetClock = "CONSOLE_SetClock";
inline constexpr std::string_view kKeyConsoleClockDrift = "CONSOLE_ClockDrift";
// The console's archive kept on the computer: on unless set to anything but
// "1", and the store's folder.
inline constexpr std::string_view kKeyArchiveActive = "ARCHIVE_Active";
inline constexpr std::string_view kKeyArchiveFolder = "ARCHIVE_Folder";
inline constexpr std::string_view kKeyMqttActive = "MQTT_Active";
inline constexpr std::string_view kKeyMqttHost = "MQTT_Host";
inline constexpr std::string_view kKeyMqttPort = "MQTT_Port";
inline constexpr std::string_view kKeyMqttUser = "MQTT_User";
inline constexpr std::string_view kKeyMqttPassword = "MQTT_Password";
inline constexpr std::string_view kKeyMqttCaFile = "MQTT_CAFile";
inline constexpr std::string_view kKeyMqttClientId = "MQTT_ClientId";
inline constexpr std::string_view kKeyMqttPrefix = "MQTT_Prefix";
inline constexpr std::string_view kKeyMqttDiscovery = "MQTT_Discovery";
inline constexpr std::string_view kKeyMqttDiscoveryPrefix = "MQTT_DiscoveryPrefix";
// A service is collected only when "SERVICES_" + its name is present; the
// value is its period in seconds.
inline constexpr std::string_view kServiceKeyPrefix = "SERVICES_";

// Number of pages of the detail panel.
inline constexpr int kDetailPageCount = 10;

// The zero-based detail page to open at start: "GENERAL_SeePanelDefault"
// counts pages from 1; an empty value, a value that is not a number or a
// page number outside 1 to 10 opens the first page.
int DefaultPanelIndex(const ConfigTable& table);

// Kinds of link to the console.
inline constexpr int kLinkSerial = 0;
inline constexpr int kLinkTcpIp = 1;
inline constexpr int kLinkUsb = 2;

// The link kind named by "CONSOLE_type": exactly "USB", "IP" or "SERIAL";
// anything else, or nothing, is a serial link.
int ConfiguredLinkKind(const ConfigTable& table);

}  // namespace tv
