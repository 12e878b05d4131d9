#include "tests/support/console_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace tv::testing {

namespace {
using SteadyClock = std::chrono::steady_clock;

int RemainingMs(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}
}  // namespace

ConsoleClient::~ConsoleClient() {
  Close();
}

bool ConsoleClient::ConnectTcp(int port) {
  Close();
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    Close();
    return false;
  }
  const int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

bool ConsoleClient::OpenSerial(const std::string& path) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return false;
  termios tio{};
  if (tcgetattr(fd_, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tcsetattr(fd_, TCSANOW, &tio);
  }
  return true;
}

void ConsoleClient::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool ConsoleClient::Send(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ConsoleClient::Send(const Bytes& bytes) {
  return Send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

ConsoleClient::Bytes ConsoleClient::ReadExact(std::size_t n, Ms timeout) {
  Bytes out;
  const auto deadline = SteadyClock::now() + timeout;
  while (out.size() < n && fd_ >= 0) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, RemainingMs(deadline)) <= 0) break;
    std::uint8_t buf[4096];
    const ssize_t got = read(fd_, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) break;
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

ConsoleClient::Bytes ConsoleClient::ReadUntil(std::string_view suffix, Ms timeout) {
  Bytes out;
  const auto deadline = SteadyClock::now() + timeout;
  while (fd_ >= 0) {
    if (out.size() >= suffix.size() &&
        std::equal(suffix.begin(), suffix.end(), out.end() - static_cast<long>(suffix.size()))) {
      break;
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, RemainingMs(deadline)) <= 0) break;
    std::uint8_t b;
    if (read(fd_, &b, 1) != 1) break;
    out.push_back(b);
  }
  return out;
}

ConsoleClient::Bytes ConsoleClient::ReadQuiet(Ms quiet, Ms limit) {
  Bytes out;
  const auto deadline = SteadyClock::now() + limit;
  while (fd_ >= 0 && SteadyClock::now() < deadline) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
    std::uint8_t buf[4096];
    const ssize_t got = read(fd_, buf, sizeof buf);
    if (got <= 0) break;
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

bool ConsoleClient::PeerClosed(Ms timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  while (fd_ >= 0) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
    std::uint8_t buf[512];
    const ssize_t got = read(fd_, buf, sizeof buf);
    if (got == 0) return true;
    if (got < 0) return errno == ECONNRESET;
  }
  return false;
}

void ConsoleClient::Drain() {
  ReadQuiet(Ms(20), Ms(500));
}

bool ConsoleClient::Wake(int attempts, Ms timeout) {
  for (int i = 0; i < attempts; ++i) {
    Drain();
    if (!Send("\n")) return false;
    const Bytes got = ReadUntil("\n\r", timeout);
    if (got.size() >= 2 && got[got.size() - 2] == '\n' && got.back() == '\r') return true;
  }
  return false;
}

std::optional<ConsoleClient::Bytes> ConsoleClient::Binary(std::string_view cmd,
                                                          std::size_t data_size, Ms timeout) {
  if (!Send(std::string(cmd) + "\n")) return std::nullopt;
  const Bytes ack = ReadExact(1, timeout);
  if (ack.size() != 1 || ack[0] != 0x06) return std::nullopt;
  Bytes block = ReadExact(data_size + 2, timeout);
  if (block.size() != data_size + 2) return std::nullopt;
  return block;
}

ConsoleClient::Bytes ConsoleClient::Text(std::string_view cmd, int lines, Ms timeout) {
  Bytes out;
  if (!Send(std::string(cmd) + "\n")) return out;
  const auto deadline = SteadyClock::now() + timeout;
  // "\n\rOK\n\r" holds two line ends; each further line one more.
  int line_ends = 0;
  while (line_ends < 2 + lines && SteadyClock::now() < deadline) {
    const Bytes part = ReadUntil("\n\r", Ms(RemainingMs(deadline)));
    if (part.empty()) break;
    out.insert(out.end(), part.begin(), part.end());
    if (part.size() >= 2 && part[part.size() - 2] == '\n' && part.back() == '\r') ++line_ends;
  }
  return out;
}

}  // namespace tv::testing
