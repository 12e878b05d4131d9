#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tv::sim {

// A piece of output for the port: sent after `delay` (counted from when the
// previous piece was sent), then the connection is closed when `hang_up`.
struct Outgoing {
  std::vector<std::uint8_t> bytes;
  std::chrono::milliseconds delay{0};
  bool hang_up = false;
};

// What answers on one port: the modelled console, or a recorded session
// played back. Bytes in, Outgoing pieces out; no I/O of its own.
class PortSession {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~PortSession() = default;

  virtual void OnInput(const std::uint8_t* data, std::size_t size, TimePoint now,
                       std::vector<Outgoing>& out) = 0;
  // Sends what is due and lets the console doze off when idle.
  virtual void Poll(TimePoint now, std::vector<Outgoing>& out) = 0;
  // When Poll next has something to do.
  virtual std::optional<TimePoint> NextDue() const = 0;
};

}  // namespace tv::sim
