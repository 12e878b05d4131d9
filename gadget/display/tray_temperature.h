#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// "1": the tray icon shows the outdoor temperature instead of the program's
// picture.
inline constexpr std::string_view kKeyTrayTemperature = "GENERAL_TrayTemperature";

// The text of the tray icon for the outdoor temperature as the window shows
// it ("23.4", "-0.3", "---"): the whole degrees, rounded, with "°" while the
// number has at most two characters ("23°", "-5°", "-12", "104"), "--"
// without a reading. At 16 pixels there is room for three characters.
std::string TrayTemperatureText(std::string_view shown);

// The panel the icon is drawn for.
enum class PanelScheme { kLight, kDark };

// The desktop portal's "color-scheme" (org.freedesktop.appearance: 1 prefers
// dark, 2 prefers light, 0 no preference) decides; without a portal or a
// preference, whether the desktop's palette is dark.
PanelScheme PanelSchemeOf(std::optional<std::uint32_t> portal_color_scheme, bool palette_dark);

}  // namespace tv
