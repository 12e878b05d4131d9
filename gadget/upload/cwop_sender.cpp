#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "gadget/upload/upload_sender.h"
#include "gadget/upload/upload_settings.h"

namespace tv {
namespace {

using Steady = std::chrono::steady_clock;
// The longest stretch a wait on the socket goes without looking at the stop.
constexpr int kSliceMs = 100;

struct Failure {
  SendResult::Transport transport;
  std::string error;
};

class Socket {
 public:
  Socket() = default;
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Connects to `host`:`port` before `deadline`; the failure otherwise.
  std::optional<Failure> Connect(const std::string& host, const std::string& port,
                                 Steady::time_point deadline, std::stop_token stop) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
      return Failure{SendResult::Transport::kRefused, host + " : nom inconnu"};
    }
    std::optional<Failure> failure =
        Failure{SendResult::Transport::kRefused, host + ":" + port + " : connexion refusée"};
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
      if (fd_ < 0) continue;
      if (::connect(fd_, a->ai_addr, a->ai_addrlen) == 0) {
        failure.reset();
        break;
      }
      if (errno != EINPROGRESS) continue;
      const int ready = Wait(POLLOUT, deadline, stop);
      if (ready == 0) {
        failure = Failure{SendResult::Transport::kTimedOut, host + ":" + port};
        break;
      }
      int error = 0;
      socklen_t length = sizeof error;
      if (ready > 0 && getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
        failure.reset();
        break;
      }
    }
    freeaddrinfo(found);
    return failure;
  }

  // Reads until a line holding `wanted` ("" for any line) has come.
  bool ReadLineWith(std::string_view wanted, Steady::time_point deadline, std::stop_token stop) {
    for (;;) {
      for (std::size_t end = buffer_.find('\n'); end != std::string::npos;
           end = buffer_.find('\n')) {
        const std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (line.find(wanted) != std::string::npos) return true;
      }
      if (Wait(POLLIN, deadline, stop) <= 0) return false;
      char chunk[512];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<std::size_t>(n));
      if (buffer_.size() > 16 * 1024) buffer_.erase(0, buffer_.size() - 1024);
    }
  }

  bool Write(const std::string& text, Steady::time_point deadline, std::stop_token stop) {
    std::size_t sent = 0;
    while (sent < text.size()) {
      const ssize_t n = ::send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (Wait(POLLOUT, deadline, stop) <= 0) return false;
      } else {
        return false;
      }
    }
    return true;
  }

  void Close() {
    if (fd_ < 0) return;
    ::shutdown(fd_, SHUT_WR);
    ::close(fd_);
    fd_ = -1;
  }

 private:
  // 1 when ready, 0 at the deadline, -1 on a stop or an error.
  int Wait(short events, Steady::time_point deadline, std::stop_token stop) {
    for (;;) {
      if (stop.stop_requested()) return -1;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
      if (left <= 0) return 0;
      pollfd p{fd_, events, 0};
      const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kSliceMs)));
      if (n > 0)
        return (p.revents & (POLLERR | POLLNVAL)) != 0 && (p.revents & events) == 0 ? -1 : 1;
      if (n < 0 && errno != EINTR) return -1;
    }
  }

  int fd_ = -1;
  std::string buffer_;
};

class TcpCwopSender final : public CwopSender {
 public:
  SendResult Send(const std::string& servers, const std::string& login, const std::string& packet,
                  Clock::Duration timeout, std::stop_token stop) override {
    SendResult result{SendResult::Transport::kOther, 0, "", "aucun serveur"};
    std::size_t from = 0;
    while (from <= servers.size() && !stop.stop_requested()) {
      const std::size_t comma = servers.find(',', from);
      const std::string server = TrimmedBlanks(servers.substr(from, comma - from));
      from = comma == std::string::npos ? servers.size() + 1 : comma + 1;
      if (server.empty()) continue;
      const std::size_t colon = server.rfind(':');
      const std::string host = colon == std::string::npos ? server : server.substr(0, colon);
      const std::string port = colon == std::string::npos ? "14580" : server.substr(colon + 1);
      const Steady::time_point deadline = Steady::now() + timeout;
      Socket socket;
      if (const auto failure = socket.Connect(host, port, deadline, stop)) {
        result = SendResult{failure->transport, 0, "", failure->error};
        continue;
      }
      // The banner, then the login and its answer, then the packet.
      if (!socket.ReadLineWith("", deadline, stop) || !socket.Write(login, deadline, stop) ||
          !socket.ReadLineWith("logresp", deadline, stop)) {
        result = SendResult{SendResult::Transport::kTimedOut, 0, "", server + " : pas de réponse"};
        continue;
      }
      if (!socket.Write(packet, deadline, stop)) {
        result = SendResult{SendResult::Transport::kOther, 0, "", server + " : envoi coupé"};
        continue;
      }
      socket.Close();
      return SendResult{SendResult::Transport::kReplied, 200, server, ""};
    }
    return result;
  }
};

}  // namespace

std::unique_ptr<CwopSender> MakeTcpCwopSender() {
  return std::make_unique<TcpCwopSender>();
}

}  // namespace tv
