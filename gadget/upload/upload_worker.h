#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "gadget/upload/upload_outcome.h"
#include "gadget/upload/upload_request.h"
#include "gadget/upload/upload_sender.h"
#include "gadget/upload/upload_settings.h"
#include "lib/common/clock.h"
#include "lib/common/worker_thread.h"

namespace tv {

inline constexpr Clock::Duration kUploadTimeOut = std::chrono::seconds{10};

struct UploadWorkerParts {
  UploadSettings settings;
  Clock& clock;
  // The sender of the network's kind (the other may be null); it must
  // outlive the worker.
  HttpSender* http = nullptr;
  CwopSender* cwop = nullptr;
  // Called on the worker thread with each "[Envoi]" line (secrets masked).
  std::function<void(std::string_view)> log;
  // Called on the worker thread with a notification for the user (a refused
  // id or key); none when empty.
  std::function<void(std::string_view)> notify = {};
  std::string program = "teskaro-ventaro";
  std::string version = "1.0";
  Clock::Duration timeout = kUploadTimeOut;
};

// The thread that posts the current conditions to one network. It is given
// the newest conditions after each collection (Offer, which never waits
// for the network); its first post follows the first of them, the next
// ones come at the interval (after each collection with Weather
// Underground's rapid fire), each with the newest conditions. Conditions
// older than the interval are never posted, nor the same ones twice (but
// for the retry of a post that timed out). Nothing queues up: a network
// that is down costs one post per interval.
class UploadWorker {
 public:
  explicit UploadWorker(UploadWorkerParts parts);
  ~UploadWorker();
  UploadWorker(const UploadWorker&) = delete;
  UploadWorker& operator=(const UploadWorker&) = delete;

  void Start();
  void RequestStop();
  void Stop();

  // Any thread. `console_latitude`/`longitude`: the console's own position,
  // used by CWOP when the settings give none.
  void Offer(const UploadConditions& conditions, std::optional<double> console_latitude = {},
             std::optional<double> console_longitude = {});
  // Any thread.
  UploadStatus Status() const;
  const UploadSettings& settings() const { return parts_.settings; }

 private:
  struct Offered {
    UploadConditions conditions;
    std::optional<double> latitude;
    std::optional<double> longitude;
    Clock::SteadyPoint at;
    std::uint64_t generation = 0;
    Clock::Duration since_previous{0};  // since the offer before (rapid fire's pace)
  };

  std::optional<Clock::Duration> Round(std::stop_token stop);
  SendResult SendOne(const Offered& offered, std::stop_token stop, bool* built);
  std::string Software() const { return parts_.program + "-" + parts_.version; }

  const UploadWorkerParts parts_;
  const Clock::Duration interval_;

  mutable std::mutex mutex_;
  std::optional<Offered> latest_;
  std::uint64_t generation_ = 0;
  UploadStatus status_;
  std::atomic<bool> idle_{false};  // the worker waits for new conditions

  // Worker thread only.
  UploadHealth health_;
  std::uint64_t posted_generation_ = 0;
  std::optional<Clock::SteadyPoint> next_due_;
  std::optional<Offered> retry_;

  // Last: stopped before what it uses goes.
  WorkerThread worker_;
};

}  // namespace tv
