#include "stationlib/fd_stream.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace tv::stationlib {

namespace {

bool IsSocket(int fd) {
  struct stat st {};
  return fd >= 0 && ::fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

FdStream::FdStream(int fd, int baud_rate, FlushBound flush_bound)
    : fd_(fd),
      event_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      baud_rate_(baud_rate),
      flush_bound_(flush_bound),
      is_tty_(fd >= 0 && ::isatty(fd) == 1),
      is_socket_(IsSocket(fd)) {}

FdStream::~FdStream() {
  if (fd_ >= 0) ::close(fd_);
  if (event_fd_ >= 0) ::close(event_fd_);
}

void FdStream::Interrupt() {
  interrupted_.store(true);
  if (event_fd_ >= 0) {
    const std::uint64_t one = 1;
    // A full counter still wakes the poll; nothing to do on failure.
    [[maybe_unused]] const ssize_t n = ::write(event_fd_, &one, sizeof one);
  }
}

IoStatus FdStream::WaitFor(short events, Deadline deadline) {
  for (;;) {
    if (interrupted_.load()) return IoStatus::kInterrupted;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    // Round up so that a deadline a fraction of a millisecond away still polls once.
    const int timeout_ms = left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
    pollfd fds[2] = {{fd_, events, 0}, {event_fd_, POLLIN, 0}};
    const int n = ::poll(fds, 2, timeout_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      return IoStatus::kClosed;
    }
    if (interrupted_.load() || (fds[1].revents & POLLIN) != 0) return IoStatus::kInterrupted;
    if (n == 0) {
      if (SteadyClock::now() >= deadline) return IoStatus::kTimeout;
      continue;
    }
    if ((fds[0].revents & events) != 0) return IoStatus::kOk;
    if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return IoStatus::kClosed;
  }
}

IoStatus FdStream::Write(std::span<const std::uint8_t> data, Deadline deadline) {
  std::size_t done = 0;
  while (done < data.size()) {
    const IoStatus ready = WaitFor(POLLOUT, deadline);
    if (ready != IoStatus::kOk) return ready;
    // A socket whose peer has gone must fail the write, not raise SIGPIPE
    // and end the host program.
    const ssize_t n = is_socket_ ? ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL)
                                 : ::write(fd_, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return IoStatus::kClosed;
    }
    done += static_cast<std::size_t>(n);
  }
  return IoStatus::kOk;
}

IoStatus FdStream::Read(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) {
  got = 0;
  if (out.empty()) return IoStatus::kOk;
  for (;;) {
    const IoStatus ready = WaitFor(POLLIN, deadline);
    if (ready != IoStatus::kOk) return ready;
    const ssize_t n = ::read(fd_, out.data(), out.size());
    if (n > 0) {
      got = static_cast<std::size_t>(n);
      return IoStatus::kOk;
    }
    if (n == 0) return IoStatus::kClosed;  // EOF: the peer closed
    if (errno == EAGAIN || errno == EINTR) continue;
    return IoStatus::kClosed;  // EIO: a pseudo-terminal whose other side closed
  }
}

IoStatus FdStream::DiscardInput() {
  if (is_tty_) ::tcflush(fd_, TCIFLUSH);
  const Deadline until = SteadyClock::now() + flush_bound_.max_time;
  std::size_t dropped = 0;
  std::uint8_t sink[4096];
  for (;;) {
    if (interrupted_.load()) return IoStatus::kInterrupted;
    if (dropped >= flush_bound_.max_bytes || SteadyClock::now() >= until) {
      return IoStatus::kTimeout;
    }
    const std::size_t want = std::min(sizeof sink, flush_bound_.max_bytes - dropped);
    const ssize_t n = ::read(fd_, sink, want);
    if (n > 0) {
      dropped += static_cast<std::size_t>(n);
      continue;
    }
    // A raw tty (VMIN = VTIME = 0) reads 0 when nothing is waiting; a socket
    // reads 0 only when its peer closed, which the next read reports.
    if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) return IoStatus::kOk;
    if (errno == EINTR) continue;
    return IoStatus::kClosed;
  }
}

}  // namespace tv::stationlib
