#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "stationlib/fd_stream.h"

namespace tv::stationlib {

// The far end of a socket pair, played by a thread: answers each LF with
// LF CR and, once `flood_on` is the line written, sends `prefix` and then
// `flood` bytes of 'A' without a line end ("" floods from the start). Ends
// when the link's end closes or the flood is over.
class SocketConsole {
 public:
  SocketConsole(std::string flood_on, std::string prefix, std::size_t flood)
      : flood_on_(std::move(flood_on)), prefix_(std::move(prefix)), flood_(flood) {
    int fds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return;
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    link_fd_ = fds[0];
    fd_ = fds[1];
    thread_ = std::thread([this] { Run(); });
  }
  ~SocketConsole() {
    if (link_fd_ >= 0) ::close(link_fd_);
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // unblocks the thread
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  SocketConsole(const SocketConsole&) = delete;
  SocketConsole& operator=(const SocketConsole&) = delete;

  // The link's end, as the library opens a line.
  std::unique_ptr<FdStream> LinkEnd(FlushBound bound = {}) {
    const int fd = link_fd_;
    link_fd_ = -1;
    return std::make_unique<FdStream>(fd, 19200, bound);
  }
  std::size_t Flooded() const { return flooded_.load(); }
  int LineFeeds() const { return line_feeds_.load(); }

 private:
  void Run() {
    if (flood_on_.empty() && !Flood()) return;
    std::string line;
    char c = 0;
    while (::recv(fd_, &c, 1, 0) == 1) {
      if (c != '\n') {
        line += c;
        continue;
      }
      line_feeds_.fetch_add(1);
      if (line.empty() && !Send("\n\r")) return;
      if (line == flood_on_ && !Flood()) return;
      line.clear();
    }
  }
  bool Flood() {
    if (!Send(prefix_)) return false;
    const std::string chunk(64 * 1024, 'A');
    while (flooded_.load() < flood_) {
      const std::size_t n = std::min(chunk.size(), flood_ - flooded_.load());
      if (!Send(chunk.substr(0, n))) return false;
      flooded_.fetch_add(n);
    }
    return true;
  }
  bool Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  std::string flood_on_, prefix_;
  std::size_t flood_;
  int link_fd_ = -1;
  int fd_ = -1;
  std::atomic<std::size_t> flooded_{0};
  std::atomic<int> line_feeds_{0};
  std::thread thread_;
};

}  // namespace tv::stationlib
