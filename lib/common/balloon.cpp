#include "lib/common/balloon.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "lib/config/text_encoding.h"

namespace tv {
namespace {

struct SinkSlot {
  std::mutex mutex;
  std::shared_ptr<BalloonSink> sink;
};

SinkSlot& TheSlot() {
  static SinkSlot slot;
  return slot;
}

}  // namespace

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

void SetBalloonSink(std::shared_ptr<BalloonSink> sink) {
  SinkSlot& slot = TheSlot();
  std::lock_guard lock(slot.mutex);
  slot.sink = std::move(sink);
}

bool ShowBalloon(std::string_view title, std::string_view text, int icon_kind, int seconds) {
  std::shared_ptr<BalloonSink> sink;
  {
    SinkSlot& slot = TheSlot();
    std::lock_guard lock(slot.mutex);
    sink = slot.sink;
  }
  if (!sink) return false;
  sink->Show(BalloonRequest::Make(title, text, icon_kind, seconds));
  return true;
}

}  // namespace tv
