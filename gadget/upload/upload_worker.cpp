#include "gadget/upload/upload_worker.h"

#include "lib/common/escape_edge.h"

namespace tv {
namespace {

// The sleep while there is nothing new to post: an offer wakes it.
constexpr Clock::Duration kIdle = std::chrono::hours{1};

// From `from` to `to`, rounded up so that a sleep never ends early; zero
// when `to` has passed.
Clock::Duration Until(Clock::SteadyPoint to, Clock::SteadyPoint from) {
  if (to <= from) return Clock::Duration{0};
  return std::chrono::ceil<Clock::Duration>(to - from);
}

}  // namespace

UploadWorker::UploadWorker(UploadWorkerParts parts)
    : parts_(std::move(parts)),
      interval_(std::chrono::seconds{parts_.settings.interval}),
      health_(parts_.settings),
      worker_(WorkerParts{
          .name = "envoi-" + std::string(GroupOf(parts_.settings.network)).substr(0, 8),
          .clock = parts_.clock,
          .round = [this](std::stop_token stop) { return Round(stop); },
          .escaped =
              [this](std::string_view reason) {
                parts_.log(parts_.settings.Masked(EdgeErrorLine(
                    "envoi " + std::string(NameOf(parts_.settings.network)), reason)));
              },
          .after_escape = [this] { return interval_; },
          .interrupt = {},
          .finish = {},
      }) {}

UploadWorker::~UploadWorker() {
  Stop();
}

void UploadWorker::Start() {
  worker_.Start();
}
void UploadWorker::RequestStop() {
  worker_.RequestStop();
}
void UploadWorker::Stop() {
  worker_.Stop();
}

void UploadWorker::Offer(const UploadConditions& conditions, std::optional<double> latitude,
                         std::optional<double> longitude) {
  {
    const std::lock_guard lock(mutex_);
    const Clock::SteadyPoint now = parts_.clock.SteadyNow();
    const Clock::Duration since = latest_ ? Until(now, latest_->at) : Clock::Duration{0};
    latest_ = Offered{conditions,
                      parts_.settings.latitude ? parts_.settings.latitude : latitude,
                      parts_.settings.longitude ? parts_.settings.longitude : longitude,
                      now,
                      ++generation_,
                      since};
  }
  if (idle_.exchange(false) || parts_.settings.rapid_fire) worker_.WakeNow();
}

UploadStatus UploadWorker::Status() const {
  const std::lock_guard lock(mutex_);
  return status_;
}

SendResult UploadWorker::SendOne(const Offered& o, std::stop_token stop, bool* built) {
  *built = false;
  const UploadSettings& s = parts_.settings;
  if (s.network == Network::kCwop) {
    const auto packet = CwopPacket(s, o.conditions, o.latitude, o.longitude, " " + Software());
    if (!packet || parts_.cwop == nullptr) return {};
    *built = true;
    return parts_.cwop->Send(s.server, CwopLoginLine(s, parts_.program, parts_.version), *packet,
                             parts_.timeout, stop);
  }
  const int rtfreq =
      static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(o.since_previous).count());
  const auto request = BuildHttpRequest(s, o.conditions, Software(), rtfreq);
  if (!request || parts_.http == nullptr) return {};
  *built = true;
  return parts_.http->Get(*request, s.ca_file, parts_.timeout, stop);
}

std::optional<Clock::Duration> UploadWorker::Round(std::stop_token stop) {
  const Clock::SteadyPoint now = parts_.clock.SteadyNow();
  if (next_due_ && now < *next_due_) return Until(*next_due_, now);

  std::optional<Offered> post;
  if (retry_) {
    post = std::move(retry_);
    retry_.reset();
  } else {
    const std::lock_guard lock(mutex_);
    if (latest_ && latest_->generation != posted_generation_) post = latest_;
  }
  if (!post) {
    idle_ = true;
    // An offer made between the look and the flag finds the flag unset:
    // look again so that it is not missed.
    const std::lock_guard lock(mutex_);
    if (latest_ && latest_->generation != posted_generation_) {
      idle_ = false;
      return Clock::Duration{0};
    }
    return kIdle;
  }
  posted_generation_ = post->generation;
  // Values older than the interval are not current any more: nothing is
  // posted until the console is read again.
  if (now - post->at > interval_) return Clock::Duration{0};

  bool built = false;
  const SendResult result = SendOne(*post, stop, &built);
  if (!built || stop.stop_requested()) return Clock::Duration{0};
  const Verdict verdict = Interpret(parts_.settings.network, result, health_.AfterTimeOut());
  const Clock::SteadyPoint after = parts_.clock.SteadyNow();
  const UploadStep step = health_.Record(verdict, parts_.clock.NowSeconds(), after);
  for (const std::string& line : step.log_lines) parts_.log(line);
  if (step.notification && parts_.notify) parts_.notify(*step.notification);
  {
    const std::lock_guard lock(mutex_);
    status_ = health_.Status();
  }
  if (step.retry_same) retry_ = post;
  // Rapid fire posts each collection once a post is taken; the interval
  // stays the pace of everything else.
  const bool rapid = parts_.settings.rapid_fire && verdict.kind == Verdict::Kind::kSent;
  next_due_ = now + (rapid ? Clock::Duration{0} : step.next_wait);
  return Until(*next_due_, after);
}

}  // namespace tv
