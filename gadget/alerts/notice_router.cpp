#include "gadget/alerts/notice_router.h"

namespace tv {

NoticeKind NoticeKindOf(const BalloonRequest& balloon) {
  return balloon.icon == BalloonIcon::kWarning || balloon.icon == BalloonIcon::kError
             ? NoticeKind::kAlert
             : NoticeKind::kInformation;
}

std::uint8_t NoticeUrgency(NoticeKind kind) {
  return kind == NoticeKind::kAlert ? 2 : 1;
}

OutgoingNotice NoticeRouter::Send(Slot& slot, NoticeKind kind, const BalloonRequest& balloon) {
  OutgoingNotice out{balloon, kind, slot.last_id, next_ticket_++};
  slot.in_flight = out;
  return out;
}

void NoticeRouter::SendQueued(Slot& slot, NoticeKind kind, NoticeActions& actions) {
  if (!present_ || slot.in_flight || !slot.queued) return;
  actions.send.push_back(Send(slot, kind, *slot.queued));
  slot.queued.reset();
}

NoticeActions NoticeRouter::Post(const BalloonRequest& balloon) {
  NoticeActions actions;
  const NoticeKind kind = NoticeKindOf(balloon);
  Slot& slot = slots_[static_cast<std::size_t>(kind)];
  if (!present_) {
    slot.queued = balloon;
    slot.queued_shown = true;
    actions.fallback.push_back(balloon);
  } else if (slot.in_flight) {
    slot.queued = balloon;
    slot.queued_shown = false;
  } else {
    actions.send.push_back(Send(slot, kind, balloon));
  }
  return actions;
}

NoticeActions NoticeRouter::ServiceAppeared() {
  NoticeActions actions;
  present_ = true;
  for (int k = 0; k < kNoticeKinds; ++k) {
    Slot& slot = slots_[static_cast<std::size_t>(k)];
    slot.last_id = 0;
    SendQueued(slot, static_cast<NoticeKind>(k), actions);
  }
  return actions;
}

NoticeActions NoticeRouter::ServiceVanished() {
  NoticeActions actions;
  present_ = false;
  for (Slot& slot : slots_) {
    if (slot.queued && !slot.queued_shown) {
      actions.fallback.push_back(*slot.queued);
      slot.queued_shown = true;
    }
  }
  return actions;
}

NoticeRouter::Slot* NoticeRouter::SlotOf(std::uint64_t ticket) {
  for (Slot& slot : slots_) {
    if (slot.in_flight && slot.in_flight->ticket == ticket) return &slot;
  }
  return nullptr;
}

NoticeActions NoticeRouter::Delivered(std::uint64_t ticket, std::uint32_t id) {
  NoticeActions actions;
  Slot* slot = SlotOf(ticket);
  if (slot == nullptr) return actions;
  const NoticeKind kind = slot->in_flight->kind;
  slot->in_flight.reset();
  slot->last_id = id;
  SendQueued(*slot, kind, actions);
  return actions;
}

NoticeActions NoticeRouter::Failed(std::uint64_t ticket, NoticeFailure why) {
  NoticeActions actions;
  Slot* slot = SlotOf(ticket);
  if (slot == nullptr) return actions;
  const OutgoingNotice failed = *slot->in_flight;
  slot->in_flight.reset();
  actions.fallback.push_back(failed.balloon);
  if (why == NoticeFailure::kNotDelivered) {
    // The service is gone (its watch says when it is back): this one waits
    // for it, unless a newer one of its kind already does.
    NoticeActions vanished = ServiceVanished();
    actions.fallback.insert(actions.fallback.end(), vanished.fallback.begin(),
                            vanished.fallback.end());
    if (!slot->queued) {
      slot->queued = failed.balloon;
      slot->queued_shown = true;
    }
    return actions;
  }
  SendQueued(*slot, failed.kind, actions);
  return actions;
}

std::size_t NoticeRouter::Queued() const {
  std::size_t n = 0;
  for (const Slot& slot : slots_) n += slot.queued ? 1 : 0;
  return n;
}

}  // namespace tv
