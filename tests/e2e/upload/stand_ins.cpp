#include "tests/e2e/upload/stand_ins.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace tv::testing {
namespace {

int Listen(int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

void SendAll(int fd, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

StandInServer::StandInServer() {
  listener_ = Listen(&port_);
}

StandInServer::~StandInServer() {
  End();
  if (listener_ >= 0) ::close(listener_);
}

void StandInServer::End() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

void StandInServer::Begin() {
  thread_ = std::thread([this] { Loop(); });
}

void StandInServer::Loop() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    Serve(fd);
    ::close(fd);
  }
}

std::vector<std::string> StandInServer::Received() const {
  const std::lock_guard lock(mutex_);
  return received_;
}

void StandInServer::Record(std::string text) {
  const std::lock_guard lock(mutex_);
  received_.push_back(std::move(text));
  changed_.notify_all();
}

bool StandInServer::WaitForReceived(std::size_t n) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds{5}, [&] { return received_.size() >= n; });
}

std::string StandInServer::ReadUntil(int fd, const std::string& end) {
  std::string text;
  while (text.find(end) == std::string::npos) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) break;
    char chunk[1024];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  return text;
}

HttpStandIn::~HttpStandIn() {
  End();
}

void HttpStandIn::Then(ScriptedReply reply) {
  const std::lock_guard lock(script_mutex_);
  script_.push_back(std::move(reply));
}

void HttpStandIn::Serve(int fd) {
  Record(ReadUntil(fd, "\r\n\r\n"));
  ScriptedReply reply;
  {
    const std::lock_guard lock(script_mutex_);
    if (!script_.empty()) {
      reply = script_.front();
      script_.pop_front();
    }
  }
  // A stall ends early once the client has given up (its side closed).
  const auto until = std::chrono::steady_clock::now() + reply.stall;
  while (std::chrono::steady_clock::now() < until && !stopping_) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0) {
      char byte;
      if (::recv(fd, &byte, 1, MSG_PEEK) <= 0) return;
    }
  }
  SendAll(fd, "HTTP/1.1 " + std::to_string(reply.status) + " Scripted\r\nContent-Length: " +
                  std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" + reply.body);
}

AprsStandIn::~AprsStandIn() {
  End();
}

void AprsStandIn::Serve(int fd) {
  SendAll(fd, "# aprsc stand-in 1.0\r\n");
  std::string lines = ReadUntil(fd, "\n");
  SendAll(fd, "# logresp CW1 unverified, server STANDIN\r\n");
  lines += ReadUntil(fd, "\n");
  Record(lines);
}

int ClosedPort() {
  int port = 0;
  const int fd = Listen(&port);
  ::close(fd);
  return port;
}

}  // namespace tv::testing
