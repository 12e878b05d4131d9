#include "gadget/upload/upload_outcome.h"

#include <algorithm>

#include "gadget/engine/activity_log.h"

namespace tv {
namespace {

// The first line of a reply's body, without control characters, at most 120
// bytes: what a log line quotes of it.
std::string Snippet(std::string_view body) {
  std::size_t start = 0;
  while (start < body.size() && (body[start] == ' ' || body[start] == '\r' || body[start] == '\n' ||
                                 body[start] == '\t')) {
    ++start;
  }
  body = body.substr(start);
  body = body.substr(0, body.find_first_of("\r\n"));
  std::string out;
  for (const char c : body.substr(0, 120)) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The whole seconds of `"retry_after": N` in a JSON reply.
std::optional<Clock::Duration> RetryAfterOf(std::string_view body) {
  const std::size_t key = body.find("\"retry_after\"");
  if (key == std::string_view::npos) return {};
  std::size_t at = body.find(':', key);
  if (at == std::string_view::npos) return {};
  ++at;
  while (at < body.size() && (body[at] == ' ' || body[at] == '"')) ++at;
  long long seconds = 0;
  std::size_t digits = 0;
  while (at < body.size() && body[at] >= '0' && body[at] <= '9' && digits < 9) {
    seconds = seconds * 10 + (body[at] - '0');
    ++at;
    ++digits;
  }
  if (digits == 0) return {};
  return std::chrono::seconds{seconds};
}

Verdict Failed(std::string reason) {
  return Verdict{Verdict::Kind::kFailed, std::move(reason), {}};
}

std::string HttpReason(int status, std::string_view body) {
  const std::string quoted = Snippet(body);
  return "HTTP " + std::to_string(status) + (quoted.empty() ? "" : " « " + quoted + " »");
}

}  // namespace

Verdict Interpret(Network network, const SendResult& r, bool after_time_out) {
  const auto with_error = [&](std::string what) {
    return r.error.empty() ? what : what + " (" + r.error + ")";
  };
  switch (r.transport) {
    case SendResult::Transport::kRefused:
      return Failed(with_error("connexion impossible"));
    case SendResult::Transport::kTimedOut:
      return Verdict{Verdict::Kind::kTimedOut, with_error("délai dépassé"), {}};
    case SendResult::Transport::kTls:
      return Failed(with_error("échec de la connexion sécurisée"));
    case SendResult::Transport::kOther:
      return Failed(with_error("échec de l'envoi"));
    case SendResult::Transport::kReplied:
      break;
  }
  const Verdict sent{Verdict::Kind::kSent, "", {}};
  if (r.status >= 200 && r.status < 300) {
    const std::string quoted = Snippet(r.body);
    // Weather Underground says "success"; PWSweather answers 200 even when
    // it refuses the post, the body then saying "ERROR: …".
    if (network == Network::kWunderground && !StartsWith(quoted, "success")) {
      return Failed("réponse inattendue « " + quoted + " »");
    }
    if (network == Network::kPwsweather && r.body.find("ERROR") != std::string::npos) {
      const std::size_t at = r.body.find("ERROR");
      return Failed("refusé : « " + Snippet(std::string_view(r.body).substr(at)) + " »");
    }
    return sent;
  }
  if (r.status == 401 || r.status == 403) {
    return Verdict{Verdict::Kind::kRejected,
                   HttpReason(r.status, r.body) + " : identifiant ou clé refusés",
                   {}};
  }
  // After a time-out the server may hold the post already: the retry's
  // "duplicate" or "too frequent" says it does. Windy's 409 always does.
  if (r.status == 409 && (network == Network::kWindy || after_time_out)) return sent;
  if (r.status == 429) {
    if (after_time_out) return sent;
    return Verdict{Verdict::Kind::kRateLimited, HttpReason(r.status, r.body) + " : trop d'envois",
                   RetryAfterOf(r.body)};
  }
  return Failed(HttpReason(r.status, r.body));
}

std::string UploadStatusText(Network network, const UploadStatus& status) {
  std::string text = std::string(NameOf(network)) + " : ";
  const bool failing =
      status.last_failure && (!status.last_success || *status.last_failure >= *status.last_success);
  if (failing) text += "échec (" + status.last_error + ") ; ";
  text += "dernier envoi ";
  text += status.last_success ? FormatLogStamp(*status.last_success) : std::string("jamais");
  return text;
}

UploadHealth::UploadHealth(const UploadSettings& settings)
    : settings_(settings), interval_(std::chrono::seconds{settings.interval}) {}

std::string UploadHealth::Line(const std::string& text) const {
  return settings_.Masked("[Envoi] " + std::string(NameOf(settings_.network)) + " : " + text);
}

UploadStep UploadHealth::Record(const Verdict& verdict, long long wall, Clock::SteadyPoint steady) {
  UploadStep step;
  step.next_wait = interval_;
  const bool was_after_time_out = after_time_out_;
  after_time_out_ = false;
  if (verdict.kind == Verdict::Kind::kSent) {
    if (failing_) {
      step.log_lines.push_back(Line("envoi rétabli après " + std::to_string(failures_) +
                                    (failures_ > 1 ? " échecs" : " échec") + " depuis " +
                                    FormatLogStamp(failing_since_)));
    }
    status_.last_success = wall;
    status_.last_error.clear();
    status_.rejected = false;
    failing_ = false;
    rejection_told_ = false;
    failures_ = 0;
    rate_limits_ = 0;
    return step;
  }
  // A first time-out: the same post is tried again shortly, before anything
  // is counted, since the server may have taken it.
  if (verdict.kind == Verdict::Kind::kTimedOut && !was_after_time_out) {
    after_time_out_ = true;
    step.retry_same = true;
    step.next_wait = std::min(interval_, kRetryAfterTimeOut);
    return step;
  }

  status_.last_failure = wall;
  status_.last_error = settings_.Masked(verdict.reason);
  status_.rejected = verdict.kind == Verdict::Kind::kRejected;
  ++failures_;
  if (verdict.kind == Verdict::Kind::kRateLimited) {
    if (verdict.retry_after) {
      step.next_wait = std::max(*verdict.retry_after, Clock::Duration{std::chrono::seconds{1}});
    } else {
      Clock::Duration wait = interval_;
      for (int i = 0; i <= rate_limits_ && wait < kLongestBackOff; ++i) wait *= 2;
      step.next_wait = std::min(wait, kLongestBackOff);
    }
    ++rate_limits_;
  } else {
    rate_limits_ = 0;
  }

  if (!failing_) {
    failing_ = true;
    failing_since_ = wall;
    failures_ = 1;
    last_line_ = steady;
    step.log_lines.push_back(Line("échec de l'envoi : " + verdict.reason));
  } else if (verdict.kind == Verdict::Kind::kRejected && !rejection_told_) {
    last_line_ = steady;
    step.log_lines.push_back(Line("échec de l'envoi : " + verdict.reason));
  } else if (verdict.kind == Verdict::Kind::kRejected) {
    // A refused id or key was told once: the posts go on without a line.
  } else if (steady - last_line_ >= kSummaryEvery) {
    last_line_ = steady;
    step.log_lines.push_back(Line(std::to_string(failures_) + " envois échoués depuis " +
                                  FormatLogStamp(failing_since_) + " (dernier : " + verdict.reason +
                                  ")"));
  }
  if (verdict.kind == Verdict::Kind::kRejected && !rejection_told_) {
    rejection_told_ = true;
    step.notification = settings_.Masked(
        std::string(NameOf(settings_.network)) +
        " refuse l'identifiant ou la clé de la station : vérifiez-les dans les réglages.");
  }
  return step;
}

}  // namespace tv
