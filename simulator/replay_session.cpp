#include "simulator/replay_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tv::sim {

namespace {

using Bytes = std::vector<std::uint8_t>;

// The shorter of the two is where the longer starts.
bool Compatible(const Bytes& input, const Bytes& request) {
  const std::size_t n = std::min(input.size(), request.size());
  return std::equal(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n), request.begin());
}

// A recorded pause is replayed up to this long.
constexpr std::chrono::milliseconds kMaxDelay{10'000};

}  // namespace

std::vector<ReplayExchange> ReplayScript::FromBursts(
    const std::vector<protocol::RecordedBurst>& bursts) {
  using Kind = protocol::RecordedBurst::Kind;
  std::vector<ReplayExchange> out;
  ReplayExchange current;
  double last_sent = 0;
  const auto finish = [&] {
    if (!current.request.empty()) out.push_back(std::move(current));
    current = ReplayExchange{};
  };
  for (const auto& b : bursts) {
    switch (b.kind) {
      case Kind::kSent:
        if (!current.reply.empty() || current.hang_up) finish();
        current.request.insert(current.request.end(), b.bytes.begin(), b.bytes.end());
        last_sent = b.seconds;
        break;
      case Kind::kReceived:
        if (current.reply.empty()) {
          const auto ms = std::llround((b.seconds - last_sent) * 1000.0);
          current.delay =
              std::clamp(std::chrono::milliseconds(ms), std::chrono::milliseconds(0), kMaxDelay);
        }
        current.reply.insert(current.reply.end(), b.bytes.begin(), b.bytes.end());
        break;
      case Kind::kClosed:
        current.hang_up = true;
        break;
    }
  }
  finish();
  return out;
}

bool ReplayScript::Load(const std::string& path, ReplayScript& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<protocol::RecordedBurst> bursts;
  if (!protocol::ParseRecording(text.str(), bursts, error)) {
    error = path + ": " + error;
    return false;
  }
  out.exchanges = FromBursts(bursts);
  out.next = 0;
  if (out.exchanges.empty()) {
    error = path + ": no exchange recorded";
    return false;
  }
  return true;
}

ReplaySession::ReplaySession(std::shared_ptr<ReplayScript> script, bool verbose)
    : script_(std::move(script)), verbose_(verbose) {}

void ReplaySession::OnInput(const std::uint8_t* data, std::size_t size, TimePoint,
                            std::vector<Outgoing>& out) {
  ReplayScript& s = *script_;
  input_.insert(input_.end(), data, data + size);
  while (!input_.empty()) {
    if (s.next >= s.exchanges.size()) {
      input_.clear();  // the recording is over: a silent console
      return;
    }
    const ReplayExchange& ex = s.exchanges[s.next];
    if (!Compatible(input_, ex.request)) {
      // Not the next request: a later one, or noise.
      std::size_t k = s.next + 1;
      while (k < s.exchanges.size() && !Compatible(input_, s.exchanges[k].request)) ++k;
      if (k < s.exchanges.size()) {
        if (verbose_) std::fprintf(stderr, "[replay] skipped to exchange %zu\n", k);
        s.next = k;
      } else {
        input_.erase(input_.begin());
        ++s.skipped_bytes;
      }
      continue;
    }
    if (input_.size() < ex.request.size()) return;  // the rest of the request is to come
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(ex.request.size()));
    if (verbose_) {
      std::fprintf(stderr, "[replay] exchange %zu: %zu bytes in, %zu out%s\n", s.next,
                   ex.request.size(), ex.reply.size(), ex.hang_up ? ", hang-up" : "");
    }
    ++s.next;
    if (!ex.reply.empty() || ex.hang_up) out.push_back(Outgoing{ex.reply, ex.delay, ex.hang_up});
    if (ex.hang_up) {
      input_.clear();
      return;
    }
  }
}

}  // namespace tv::sim
