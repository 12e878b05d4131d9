#include "gadget/display/tray_temperature.h"

#include <charconv>
#include <cmath>

namespace tv {

std::string TrayTemperatureText(std::string_view shown) {
  double value = 0;
  const char* end = shown.data() + shown.size();
  const auto [stop, error] = std::from_chars(shown.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value) || std::fabs(value) > 999) {
    return "--";
  }
  long whole = std::lround(value);
  if (whole == 0) whole = 0;  // never "-0"
  std::string text = std::to_string(whole);
  if (text.size() <= 2) text += "°";
  return text;
}

PanelScheme PanelSchemeOf(std::optional<std::uint32_t> portal_color_scheme, bool palette_dark) {
  if (portal_color_scheme == 1u) return PanelScheme::kDark;
  if (portal_color_scheme == 2u) return PanelScheme::kLight;
  return palette_dark ? PanelScheme::kDark : PanelScheme::kLight;
}

}  // namespace tv
