#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "protocol/link_recording.h"
#include "simulator/port_session.h"

namespace tv::sim {

// A recorded link session (protocol/link_recording.h) as request / reply
// pairs: the bytes the host sent in a row, then what the console answered,
// how long after, and whether the line went away after it.
struct ReplayExchange {
  std::vector<std::uint8_t> request;
  std::vector<std::uint8_t> reply;
  std::chrono::milliseconds delay{0};
  bool hang_up = false;
};

// The exchanges of a recording and how far the playback got. Shared by the
// sessions of successive connections: a client that reconnects after a
// dropped line carries on with the rest of the recording.
struct ReplayScript {
  std::vector<ReplayExchange> exchanges;
  std::size_t next = 0;
  long long skipped_bytes = 0;  // host bytes that matched no recorded request

  static std::vector<ReplayExchange> FromBursts(const std::vector<protocol::RecordedBurst>& bursts);
  // Reads and parses a recording file; false with a reason in `error`.
  static bool Load(const std::string& path, ReplayScript& out, std::string& error);
};

// Plays a recording back as a console: when the host has sent the next
// recorded request, the recorded reply goes out (after the recorded delay)
// and, where the line went away, the connection is dropped. Host bytes that
// do not fit the next request are matched against the later ones (a host
// that skipped an exchange), else ignored like noise. After the last
// exchange the console is silent.
class ReplaySession final : public PortSession {
 public:
  explicit ReplaySession(std::shared_ptr<ReplayScript> script, bool verbose = false);

  void OnInput(const std::uint8_t* data, std::size_t size, TimePoint now,
               std::vector<Outgoing>& out) override;
  void Poll(TimePoint, std::vector<Outgoing>&) override {}
  std::optional<TimePoint> NextDue() const override { return std::nullopt; }

 private:
  std::shared_ptr<ReplayScript> script_;
  std::vector<std::uint8_t> input_;
  bool verbose_;
};

}  // namespace tv::sim
