#include "lib/common/blink_task.h"

#include <map>
#include <mutex>

#include "lib/common/named_handles.h"

namespace tv {

BlinkTask::BlinkTask(SetVisible set_visible, Clock& clock, bool initially_visible,
                     Clock::Duration period)
    : set_visible_(std::move(set_visible)),
      clock_(clock),
      visible_(initially_visible),
      period_(period),
      thread_([this](std::stop_token stop) { Run(stop); }) {}

BlinkTask::~BlinkTask() {
  Stop();
}

void BlinkTask::Stop() {
  thread_.request_stop();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  running_ = false;
}

void BlinkTask::Run(std::stop_token stop) {
  while (!stop.stop_requested()) {
    visible_ = !visible_;
    if (set_visible_) {
      try {
        set_visible_(visible_);
      } catch (...) {
        // A failing indicator must not take the process down; keep blinking.
      }
    }
    ++flips_;
    if (!clock_.SleepFor(period_, stop)) break;
  }
  running_ = false;
}

namespace {

struct BlinkRegistry {
  std::mutex mutex;
  std::int64_t next_id = 1;
  std::map<std::int64_t, std::unique_ptr<BlinkTask>> tasks;
};

BlinkRegistry& Blinks() {
  static BlinkRegistry registry;
  return registry;
}

}  // namespace

bool StartNamedBlink(std::string_view name, BlinkTask::SetVisible set_visible, Clock& clock,
                     bool initially_visible) {
  BlinkRegistry& r = Blinks();
  std::lock_guard lock(r.mutex);
  std::int64_t id = LookupHandle(name, kHandleKindBlink);
  if (id != 0) {
    auto it = r.tasks.find(id);
    if (it != r.tasks.end() && it->second->Running()) return false;
    if (it != r.tasks.end()) r.tasks.erase(it);
  }
  id = r.next_id++;
  r.tasks.emplace(id,
                  std::make_unique<BlinkTask>(std::move(set_visible), clock, initially_visible));
  RegisterHandle(name, kHandleKindBlink, id);
  return true;
}

bool StopNamedBlink(std::string_view name) {
  std::unique_ptr<BlinkTask> task;
  {
    BlinkRegistry& r = Blinks();
    std::lock_guard lock(r.mutex);
    std::int64_t id = LookupHandle(name, kHandleKindBlink);
    if (id == 0) return false;
    auto it = r.tasks.find(id);
    if (it == r.tasks.end()) return false;
    task = std::move(it->second);
    r.tasks.erase(it);
    RegisterHandle(name, kHandleKindBlink, 0);
  }
  // Joined outside the registry lock: the callback may itself be waiting on
  // something that needs the registry.
  const bool was_running = task->Running();
  task->Stop();
  return was_running;
}

bool NamedBlinkRunning(std::string_view name) {
  BlinkRegistry& r = Blinks();
  std::lock_guard lock(r.mutex);
  std::int64_t id = LookupHandle(name, kHandleKindBlink);
  auto it = r.tasks.find(id);
  return it != r.tasks.end() && it->second->Running();
}

std::size_t NamedBlinkCount() {
  BlinkRegistry& r = Blinks();
  std::lock_guard lock(r.mutex);
  return r.tasks.size();
}

}  // namespace tv
