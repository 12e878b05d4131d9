#include "lib/common/balloon.h"

#include <algorithm>

#include "lib/config/text_encoding.h"

namespace tv {

BalloonRequest BalloonRequest::Make(std::string_view title, std::string_view text, int icon_kind,
                                    int seconds) {
  BalloonRequest r;
  r.title = Utf8Prefix(title, kBalloonTitleMaxChars);
  r.text = Utf8Prefix(text, kBalloonTextMaxChars);
  r.icon =
      (icon_kind >= 1 && icon_kind <= 3) ? static_cast<BalloonIcon>(icon_kind) : BalloonIcon::kNone;
  // Also keeps Milliseconds() within range.
  r.seconds = std::clamp(seconds, 0, 86400);
  return r;
}

std::string TrayTooltipText(std::string_view text) {
  return Utf8Prefix(text, kTrayTooltipMaxChars);
}

}  // namespace tv
