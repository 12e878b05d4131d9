#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "lib/common/balloon.h"

namespace tv {

// What a balloon is to the desktop's notification service: an information
// (normal urgency) or an alert (critical urgency; warnings and errors).
enum class NoticeKind : int { kInformation = 0, kAlert = 1 };
inline constexpr int kNoticeKinds = 2;

NoticeKind NoticeKindOf(const BalloonRequest& balloon);
// The notification service's urgency hint: 1 normal, 2 critical.
std::uint8_t NoticeUrgency(NoticeKind kind);

// One call to make to the notification service: the balloon, and the id of
// the notification of the same kind it replaces (0: none).
struct OutgoingNotice {
  BalloonRequest balloon;
  NoticeKind kind = NoticeKind::kInformation;
  std::uint32_t replaces_id = 0;
  std::uint64_t ticket = 0;  // names the call in Delivered / Failed
};

// What follows an event: calls to make, balloons to show in the fallback (the
// tray's own balloon or the popup of our own).
struct NoticeActions {
  std::vector<OutgoingNotice> send;
  std::vector<BalloonRequest> fallback;
};

// Why a call to the notification service failed.
enum class NoticeFailure {
  kNotDelivered,    // the service was gone: it never saw the notification
  kMaybeDelivered,  // no reply in time, or an error of the service's own
};

// Where the balloons go when the desktop has a notification service: the
// decisions without D-Bus, so that they are tested without a desktop.
//
// - A new notification replaces the previous one of its kind (its id is
//   reused), so that a new alert list takes the place of the old one instead
//   of stacking up. One call per kind is under way at a time: a balloon asked
//   for meanwhile waits for the id its call returns.
// - While the service is absent, a balloon shows in the fallback at once and
//   waits in the queue; when the service comes back the queue is sent, once.
//   The queue keeps one balloon per kind, the newest (it would have replaced
//   the older one on the screen anyway): bounded by the number of kinds.
// - A call that failed because the service had gone is queued again (unless
//   a newer one of its kind waits) and shown in the fallback; one that may
//   have arrived is shown in the fallback and not sent again.
// A new owner of the service knows none of the old ids: they are forgotten.
// Not thread-safe (the GUI thread's).
class NoticeRouter {
 public:
  explicit NoticeRouter(bool service_present = false) : present_(service_present) {}

  NoticeActions Post(const BalloonRequest& balloon);
  NoticeActions ServiceAppeared();
  // Balloons that were waiting for a call under way now show in the fallback.
  NoticeActions ServiceVanished();
  // The call `ticket` was answered with the notification's id.
  NoticeActions Delivered(std::uint64_t ticket, std::uint32_t id);
  NoticeActions Failed(std::uint64_t ticket, NoticeFailure why);

  bool ServicePresent() const { return present_; }
  // Balloons waiting for the service.
  std::size_t Queued() const;

 private:
  struct Slot {
    std::optional<BalloonRequest> queued;
    bool queued_shown = false;  // the fallback has shown it
    std::optional<OutgoingNotice> in_flight;
    std::uint32_t last_id = 0;
  };
  Slot* SlotOf(std::uint64_t ticket);
  OutgoingNotice Send(Slot& slot, NoticeKind kind, const BalloonRequest& balloon);
  void SendQueued(Slot& slot, NoticeKind kind, NoticeActions& actions);

  std::array<Slot, kNoticeKinds> slots_;
  bool present_;
  std::uint64_t next_ticket_ = 1;
};

}  // namespace tv
