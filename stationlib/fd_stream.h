#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

#include "stationlib/byte_stream.h"

namespace tv::stationlib {

// How much an input flush may drop before it gives up on a line that keeps
// talking: a backlog of a few LOOP packets or archive pages is far below.
struct FlushBound {
  std::size_t max_bytes = 64 * 1024;
  std::chrono::milliseconds max_time{200};
};

// ByteStream over a non-blocking file descriptor (a tty or a socket). Waits
// with poll() on the descriptor and on an eventfd that Interrupt() signals,
// so a close from another thread wakes a blocked read at once; the input
// flush checks for an interrupt between its reads.
class FdStream final : public ByteStream {
 public:
  // Takes ownership of `fd`, which must already be non-blocking.
  FdStream(int fd, int baud_rate, FlushBound flush_bound = {});
  ~FdStream() override;
  FdStream(const FdStream&) = delete;
  FdStream& operator=(const FdStream&) = delete;

  // False when the interrupt event could not be created.
  bool Valid() const { return fd_ >= 0 && event_fd_ >= 0; }

  IoStatus Write(std::span<const std::uint8_t> data, Deadline deadline) override;
  IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) override;
  IoStatus DiscardInput() override;
  void Interrupt() override;
  int BaudRate() const override { return baud_rate_; }

 private:
  // Waits until `events` is ready on fd_, the deadline passes or an interrupt arrives.
  IoStatus WaitFor(short events, Deadline deadline);

  int fd_;
  int event_fd_;
  int baud_rate_;
  FlushBound flush_bound_;
  bool is_tty_;
  bool is_socket_;
  std::atomic<bool> interrupted_{false};
};

}  // namespace tv::stationlib
