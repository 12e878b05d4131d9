#include "lib/common/worker_thread.h"

#include <utility>

#include "lib/common/escape_edge.h"
#include "lib/common/thread_name.h"

namespace tv {

WorkerThread::WorkerThread(WorkerParts parts) : parts_(std::move(parts)), sleep_(parts_.clock) {}

WorkerThread::~WorkerThread() {
  Stop();
}

void WorkerThread::Start() {
  if (thread_.joinable()) return;
  last_escape_.reset();
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void WorkerThread::RequestStop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  if (parts_.interrupt) parts_.interrupt();
}

void WorkerThread::Stop() {
  if (!thread_.joinable()) return;
  RequestStop();
  if (thread_.get_id() == std::this_thread::get_id()) return;
  thread_.join();
}

void WorkerThread::Tell(std::string_view reason) {
  if (last_escape_ && *last_escape_ == reason) return;
  last_escape_ = std::string(reason);
  if (parts_.escaped) parts_.escaped(reason);
}

void WorkerThread::Run(std::stop_token stop) {
  NameThisThread(parts_.name);
  const auto tell = [this](std::string_view reason) { Tell(reason); };
  while (!stop.stop_requested()) {
    std::optional<Clock::Duration> next;
    if (CatchAtEdge(tell, [&] { next = parts_.round(stop); })) {
      last_escape_.reset();
      if (!next) break;
    } else {
      next = Clock::Duration{std::chrono::seconds{1}};
      if (parts_.after_escape) CatchAtEdge(tell, [&] { next = parts_.after_escape(); });
    }
    if (stop.stop_requested()) break;
    sleep_.Sleep(*next, stop);
  }
  if (parts_.finish) CatchAtEdge(tell, parts_.finish);
}

}  // namespace tv
