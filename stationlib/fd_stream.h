#pragma once

#include <atomic>

#include "stationlib/byte_stream.h"

namespace tv::stationlib {

// ByteStream over a non-blocking file descriptor (a tty or a socket). Waits
// with poll() on the descriptor and on an eventfd that Interrupt() signals,
// so a close from another thread wakes a blocked read at once.
class FdStream final : public ByteStream {
 public:
  // Takes ownership of `fd`, which must already be non-blocking.
  FdStream(int fd, int baud_rate);
  ~FdStream() override;
  FdStream(const FdStream&) = delete;
  FdStream& operator=(const FdStream&) = delete;

  // False when the interrupt event could not be created.
  bool Valid() const { return fd_ >= 0 && event_fd_ >= 0; }

  IoStatus Write(std::span<const std::uint8_t> data, Deadline deadline) override;
  IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) override;
  void DiscardInput() override;
  void Interrupt() override;
  int BaudRate() const override { return baud_rate_; }

 private:
  // Waits until `events` is ready on fd_, the deadline passes or an interrupt arrives.
  IoStatus WaitFor(short events, Deadline deadline);

  int fd_;
  int event_fd_;
  int baud_rate_;
  bool is_tty_;
  bool is_socket_;
  std::atomic<bool> interrupted_{false};
};

}  // namespace tv::stationlib
