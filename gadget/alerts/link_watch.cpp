#include "gadget/alerts/link_watch.h"

namespace tv {

LinkWatch::Change LinkWatch::AfterCycle(bool answered, bool link_open) {
  if (answered) {
    failed_ = 0;
    if (!lost_) return Change::kNone;
    lost_ = false;
    return Change::kRestored;
  }
  if (link_open) return Change::kNone;
  if (lost_ || ++failed_ < lost_rounds_) return Change::kNone;
  lost_ = true;
  return Change::kLost;
}

}  // namespace tv
