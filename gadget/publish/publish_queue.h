#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gadget/publish/state_message.h"

namespace tv {

// What the collection and alarm threads hand to the publishing thread. The
// state is held once: a newer one replaces a state not taken yet (the
// newest wins) and the replaced one counts as dropped. Events (alerts) keep
// their order, at most `max_events` of them: when full, the oldest is
// dropped and counted. Pushing never waits for the publishing thread.
class PublishQueue {
 public:
  explicit PublishQueue(std::size_t max_events = 64) : max_events_(max_events) {}

  // Called after each push, outside the queue's lock (the publishing
  // thread's wake-up). Set before the first push.
  void SetWaker(std::function<void()> waker) { waker_ = std::move(waker); }

  void PushState(StateInput state);
  void PushEvent(std::string payload);

  std::optional<StateInput> TakeState();
  std::vector<std::string> TakeEvents();
  // The number dropped since the last call.
  std::size_t TakeDropped();

 private:
  const std::size_t max_events_;
  std::function<void()> waker_;
  std::mutex mutex_;
  std::optional<StateInput> state_;
  std::deque<std::string> events_;
  std::size_t dropped_ = 0;
};

}  // namespace tv
