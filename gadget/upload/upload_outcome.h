#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gadget/upload/upload_settings.h"
#include "lib/common/clock.h"

namespace tv {

// What one try of a post gave, as a sender reports it.
struct SendResult {
  enum class Transport {
    kReplied,   // the server answered: `status` and `body`
    kRefused,   // no connection (refused, unreachable, unknown host)
    kTimedOut,  // no complete answer within the time-out
    kTls,       // the secure connection failed (certificate, handshake)
    kOther,     // anything else: `error` says what
  };
  Transport transport = Transport::kReplied;
  int status = 0;
  std::string body;
  std::string error;
};

// What a try means for the post.
struct Verdict {
  enum class Kind {
    kSent,         // taken (or already there)
    kRejected,     // 401/403: wrong id or key
    kRateLimited,  // 429: wait `retry_after` when the server said so
    kTimedOut,     // may have been taken: tried again soon
    kFailed,       // not taken: `reason`
  };
  Kind kind = Kind::kFailed;
  std::string reason;  // for the log, in French; empty when sent
  std::optional<Clock::Duration> retry_after;
};

// The verdict of `result` for a post to `network`. `after_time_out`: the
// previous try of the same post timed out, so the server may hold it already
// (a 409 or 429 then means it does).
Verdict Interpret(Network network, const SendResult& result, bool after_time_out);

// A network's upload state, as the station page or a tooltip shows it.
struct UploadStatus {
  std::optional<long long> last_success;  // wall seconds
  std::optional<long long> last_failure;
  std::string last_error;  // the reason of the last failure ("" since a success)
  bool rejected = false;   // the last failure was a 401/403
};

// One line of a network's state for the station page or the tray's tooltip:
// "Weather Underground : dernier envoi 2026-12-11 17:05:30" or, while it
// fails, "… : échec (HTTP 500) ; dernier envoi …" ("jamais" before one).
std::string UploadStatusText(Network network, const UploadStatus& status);

// What the worker is to do after a try.
struct UploadStep {
  std::vector<std::string> log_lines;       // "[Envoi] …", the secrets masked
  std::optional<std::string> notification;  // one for a refused id or key
  Clock::Duration next_wait{0};             // until the next try
  bool retry_same = false;                  // the next try sends the same post again
};

// The failures of one network and what of them reaches the log: the first
// failure with its reason, then at most one summary an hour, and one line
// when a post is taken again; a refused id or key gets one line and one
// notification until a post is taken. A 429 backs off (the server's
// `retry_after`, or doubling from the interval up to an hour); a time-out is
// tried again after a short wait. Not thread-safe: one worker owns it.
class UploadHealth {
 public:
  static constexpr Clock::Duration kSummaryEvery = std::chrono::hours{1};
  static constexpr Clock::Duration kLongestBackOff = std::chrono::hours{1};
  static constexpr Clock::Duration kRetryAfterTimeOut = std::chrono::seconds{30};

  explicit UploadHealth(const UploadSettings& settings);

  // Records the verdict of a try made at `wall` (seconds) / `steady`.
  UploadStep Record(const Verdict& verdict, long long wall, Clock::SteadyPoint steady);
  const UploadStatus& Status() const { return status_; }
  // True between a time-out and the next verdict.
  bool AfterTimeOut() const { return after_time_out_; }

 private:
  std::string Line(const std::string& text) const;

  UploadSettings settings_;
  Clock::Duration interval_;
  UploadStatus status_;
  bool failing_ = false;
  bool rejection_told_ = false;
  bool after_time_out_ = false;
  long long failing_since_ = 0;
  int failures_ = 0;
  int rate_limits_ = 0;  // 429s in a row
  Clock::SteadyPoint last_line_{};
};

}  // namespace tv
