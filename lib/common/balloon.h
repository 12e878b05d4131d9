#pragma once

#include <cstddef>
#include <memory>
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

// Whoever can show balloons (the tray icon of the window, a fallback popup,
// a test recorder) implements this and installs itself with SetBalloonSink.
// Show may be called from any thread.
class BalloonSink {
 public:
  virtual ~BalloonSink() = default;
  virtual void Show(const BalloonRequest& request) = 0;
};

// Installs the process-wide sink; nullptr removes it.
void SetBalloonSink(std::shared_ptr<BalloonSink> sink);

// Hands a balloon to the installed sink. Returns false when no sink is
// installed (the balloon is dropped). Safe to call from any thread; the sink
// is called without any lock of ours held.
bool ShowBalloon(std::string_view title, std::string_view text, int icon_kind, int seconds);

}  // namespace tv
