#include "stationlib/link_open.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "stationlib/fd_stream.h"

namespace tv::stationlib {

unsigned SpeedForBaud(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return 0;  // 14400 has no termios constant
  }
}

std::string SerialDeviceForPort(int port) {
  if (port < 1 || port > 256) return {};
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::unique_ptr<ByteStream> OpenSerialDevice(const std::string& path, int baud) {
  const unsigned speed = SpeedForBaud(baud);
  if (speed == 0 || path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    ::close(fd);
    return nullptr;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
      ::tcsetattr(fd, TCSANOW, &tio) != 0) {
    ::close(fd);
    return nullptr;
  }
  ::tcflush(fd, TCIOFLUSH);
  auto stream = std::make_unique<FdStream>(fd, baud);
  if (!stream->Valid()) return nullptr;
  return stream;
}

namespace {

// Connects one resolved address without blocking longer than `deadline`.
int ConnectOne(const addrinfo& ai, Deadline deadline) {
  const int fd =
      ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
  if (fd < 0) return -1;
  if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) {
      ::close(fd);
      return -1;
    }
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
      if (left.count() <= 0) {
        ::close(fd);
        return -1;
      }
      pollfd pfd{fd, POLLOUT, 0};
      const int n = ::poll(&pfd, 1, static_cast<int>(left.count()));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(fd);
        return -1;
      }
      break;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
      ::close(fd);
      return -1;
    }
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

}  // namespace

std::unique_ptr<ByteStream> ConnectTcp(const std::string& host, const std::string& port,
                                       std::chrono::milliseconds timeout) {
  if (host.empty() || port.empty()) return nullptr;
  const Deadline deadline = SteadyClock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* list = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return nullptr;
  int fd = -1;
  for (const addrinfo* ai = list; ai != nullptr && fd < 0; ai = ai->ai_next) {
    fd = ConnectOne(*ai, deadline);
  }
  ::freeaddrinfo(list);
  if (fd < 0) return nullptr;
  auto stream = std::make_unique<FdStream>(fd, 0);
  if (!stream->Valid()) return nullptr;
  return stream;
}

}  // namespace tv::stationlib
