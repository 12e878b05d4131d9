#pragma once

#include <QIcon>
#include <QString>

#include "gadget/display/tray_temperature.h"

namespace tv {

// The tray icon showing `text` (a few characters: "23°"), drawn for each of
// the panels' usual sizes from 16 to 64 pixels at that size (never scaled, so
// that it stays sharp on HiDPI panels too): light letters with a dark edge for
// a dark panel, dark letters with a light edge for a light one.
QIcon TemperatureIcon(const QString& text, PanelScheme scheme);

// The icon asking for attention: `icon` at each of those sizes with a red
// disc and a white exclamation mark in its bottom right quarter.
QIcon AttentionIcon(const QIcon& icon);

}  // namespace tv
