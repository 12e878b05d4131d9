#pragma once

namespace tv {

// Collection rounds without an answer from the console after which the link
// is said to be lost.
inline constexpr int kLinkLostRounds = 3;

// Says once when the console has not answered for a number of collection
// rounds in a row, and once when it answers again, instead of once per
// failed round. Fed after each collection cycle, on the collection thread.
class LinkWatch {
 public:
  enum class Change { kNone, kLost, kRestored };

  explicit LinkWatch(int lost_rounds = kLinkLostRounds) : lost_rounds_(lost_rounds) {}

  // One cycle: `answered` when a service succeeded in it; `link_open` when
  // the link was still open after it. A cycle without an answer whose link
  // stayed open asked the console nothing (no service was due): it counts
  // neither way. One that closed the link, or never opened it, failed.
  Change AfterCycle(bool answered, bool link_open);

  bool Lost() const { return lost_; }

 private:
  int lost_rounds_;
  int failed_ = 0;
  bool lost_ = false;
};

}  // namespace tv
