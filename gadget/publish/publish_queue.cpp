#include "gadget/publish/publish_queue.h"

#include <utility>

namespace tv {

void PublishQueue::PushState(StateInput state) {
  {
    std::lock_guard lock(mutex_);
    if (state_) ++dropped_;
    state_ = std::move(state);
  }
  if (waker_) waker_();
}

void PublishQueue::PushEvent(std::string payload) {
  {
    std::lock_guard lock(mutex_);
    if (max_events_ == 0) {
      ++dropped_;
      return;
    }
    if (events_.size() >= max_events_) {
      events_.pop_front();
      ++dropped_;
    }
    events_.push_back(std::move(payload));
  }
  if (waker_) waker_();
}

std::optional<StateInput> PublishQueue::TakeState() {
  std::lock_guard lock(mutex_);
  std::optional<StateInput> out = std::move(state_);
  state_.reset();
  return out;
}

std::vector<std::string> PublishQueue::TakeEvents() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out(std::make_move_iterator(events_.begin()),
                               std::make_move_iterator(events_.end()));
  events_.clear();
  return out;
}

std::size_t PublishQueue::TakeDropped() {
  std::lock_guard lock(mutex_);
  return std::exchange(dropped_, 0);
}

}  // namespace tv
