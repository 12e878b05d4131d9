#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tv {

// The icon shown in a notification balloon.
enum class BalloonIcon : int { kNone = 0, kInfo = 1, kWarning = 2, kError = 3 };

inline constexpr std::size_t kBalloonTitleMaxChars = 63;
inline constexpr std::size_t kBalloonTextMaxChars = 255;

// One notification balloon, already cut to what the notification area shows.
struct BalloonRequest {
  std::string title;
  std::string text;
  BalloonIcon icon = BalloonIcon::kInfo;
  int seconds = 0;

  // Cuts the title to 63 and the text to 255 characters (never inside a
  // UTF-8 sequence). Icon kinds other than 1, 2 and 3 show no icon; a
  // negative time counts as 0.
  static BalloonRequest Make(std::string_view title, std::string_view text, int icon_kind,
                             int seconds);

  int Milliseconds() const { return seconds * 1000; }
  bool operator==(const BalloonRequest&) const = default;
};

// The tray icon's tooltip text: cut to 63 characters (never inside a UTF-8
// sequence).
inline constexpr std::size_t kTrayTooltipMaxChars = 63;
std::string TrayTooltipText(std::string_view text);

}  // namespace tv
