#include "simulator/server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tv::sim {

namespace {

using Clock = std::chrono::steady_clock;

int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 's';
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = write(g_signal_pipe[1], &c, 1);
  errno = saved;
}

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

int Listen(const std::string& host, int port, int& bound_port, std::string& error) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, host == "localhost" ? "127.0.0.1" : host.c_str(), &addr.sin_addr) != 1) {
    error = "bad address " + host;
    close(fd);
    return -1;
  }
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
    error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return -1;
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  bound_port = ntohs(addr.sin_port);
  SetNonBlocking(fd);
  return fd;
}

}  // namespace

Server::Server(SimulatorCore& core, ServerOptions options)
    : core_(core), options_(std::move(options)) {
  tcp_.name = "tcp";
  tcp_.is_tcp = true;
  pty_.name = "pty";
}

Server::~Server() {
  Disconnect(tcp_);
  if (pty_.fd >= 0) close(pty_.fd);
  if (pty_slave_ >= 0) close(pty_slave_);
  if (tcp_listen_ >= 0) close(tcp_listen_);
  if (control_listen_ >= 0) close(control_listen_);
  for (auto& c : controls_) close(c.fd);
  if (!options_.pty_link.empty()) unlink(options_.pty_link.c_str());
}

bool Server::Open(std::vector<std::string>& endpoints, std::string& error) {
  if (options_.tcp) {
    int port = 0;
    tcp_listen_ = Listen(options_.tcp_host, options_.tcp_port, port, error);
    if (tcp_listen_ < 0) return false;
    endpoints.push_back("tcp " + options_.tcp_host + ":" + std::to_string(port));
  }
  if (options_.pty) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
      error = std::string("pseudo-terminal: ") + std::strerror(errno);
      if (master >= 0) close(master);
      return false;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
      error = "ptsname failed";
      close(master);
      return false;
    }
    // Keep one slave descriptor open: the line stays raw between clients and
    // the master never sees a hang-up when a client closes the device.
    pty_slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty_slave_ >= 0) {
      termios tio{};
      tcgetattr(pty_slave_, &tio);
      cfmakeraw(&tio);
      cfsetispeed(&tio, B19200);
      cfsetospeed(&tio, B19200);
      tcsetattr(pty_slave_, TCSANOW, &tio);
    }
    SetNonBlocking(master);
    pty_.fd = master;
    pty_.session = NewSession();
    if (!options_.pty_link.empty()) {
      unlink(options_.pty_link.c_str());
      if (symlink(name, options_.pty_link.c_str()) != 0) {
        error = "cannot link " + options_.pty_link + ": " + std::strerror(errno);
        return false;
      }
    }
    endpoints.push_back(std::string("pty ") + name);
  }
  if (options_.control) {
    int port = 0;
    control_listen_ = Listen(options_.control_host, options_.control_port, port, error);
    if (control_listen_ < 0) return false;
    endpoints.push_back("control " + options_.control_host + ":" + std::to_string(port));
  }
  if (pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = "pipe failed";
    return false;
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return true;
}

Server::ByteRate Server::CurrentRate() const {
  // 10 bits per byte on the line (start, 8 data, stop); the slow-answer fault
  // stretches each byte to at least its delay.
  ByteRate line;
  if (core_.baud() > 0) line = {10'000'000'000LL, core_.baud()};
  const std::int64_t slow_ns = std::int64_t{core_.faults().slow_ms} * 1'000'000;
  if (slow_ns > 0 && slow_ns * line.ns_den > line.ns_num) line = {slow_ns, 1};
  return line;
}

Clock::time_point Server::Due(const Port& port, std::int64_t k) {
  return port.pace_start + std::chrono::nanoseconds(k * port.rate.ns_num / port.rate.ns_den);
}

std::int64_t Server::BytesDue(const Port& port, Clock::time_point now) {
  if (now < port.pace_start) return 0;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::nanoseconds>(now - port.pace_start).count();
  // 128-bit product: a schedule may run for a long time at a high baud rate.
  return static_cast<std::int64_t>(static_cast<__int128>(elapsed) * port.rate.ns_den /
                                   port.rate.ns_num);
}

void Server::StopPacing(Port& port) {
  port.paced = false;
  port.pace_count = 0;
}

void Server::Log(const char* dir, const Port& port, const std::uint8_t* data, std::size_t n) {
  if (!options_.verbose || n == 0) return;
  std::string text;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t c = data[i];
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      text += hex;
    }
  }
  std::fprintf(stderr, "[%s] %s %zu: %s\n", port.name.c_str(), dir, n, text.c_str());
}

std::unique_ptr<PortSession> Server::NewSession() {
  if (options_.replay) return std::make_unique<ReplaySession>(options_.replay, options_.verbose);
  return std::make_unique<ConsoleSession>(core_);
}

void Server::Accept(Port& port) {
  const int fd = accept4(tcp_listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  port.fd = fd;
  port.session = NewSession();
  port.queue.clear();
  port.queued_bytes = 0;
  StopPacing(port);
  port.line_free = Clock::time_point{};
  ++core_.stats().connections;
  ++core_.stats().clients;
  if (options_.verbose) std::fprintf(stderr, "[tcp] client connected\n");
}

void Server::Disconnect(Port& port) {
  if (!port.is_tcp || port.fd < 0) return;
  close(port.fd);
  port.fd = -1;
  port.session.reset();
  port.queue.clear();
  port.queued_bytes = 0;
  StopPacing(port);
  --core_.stats().clients;
  if (options_.verbose) std::fprintf(stderr, "[tcp] client gone\n");
}

void Server::ReadConsole(Port& port) {
  std::uint8_t buf[512];
  const ssize_t n = read(port.fd, buf, sizeof buf);
  if (n > 0) {
    Log("rx", port, buf, static_cast<std::size_t>(n));
    std::vector<Outgoing> out;
    port.session->OnInput(buf, static_cast<std::size_t>(n), Clock::now(), out);
    Enqueue(port, out);
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    Disconnect(port);
  }
}

void Server::Enqueue(Port& port, std::vector<Outgoing>& out) {
  for (auto& o : out) {
    if (port.queued_bytes > (1U << 16)) break;  // nobody reads: drop
    port.queued_bytes += o.bytes.size();
    Segment s;
    s.bytes = std::move(o.bytes);
    s.delay = o.delay;
    s.hang_up = o.hang_up;
    port.queue.push_back(std::move(s));
  }
  out.clear();
}

Clock::time_point Server::Flush(Port& port, bool& want_pollout) {
  want_pollout = false;
  const auto never = Clock::time_point::max();
  while (port.fd >= 0 && !port.queue.empty()) {
    Segment& s = port.queue.front();
    const auto now = Clock::now();
    if (!s.delay_started) {
      s.delay_started = true;
      s.ready_at = now + s.delay;
      if (s.delay.count() > 0) StopPacing(port);  // the line falls quiet for the delay
    }
    if (now < s.ready_at) return s.ready_at;
    const ByteRate rate = CurrentRate();
    std::size_t count = s.bytes.size() - s.sent;
    if (!rate.paced()) {
      StopPacing(port);
    } else if (count > 0) {
      if (!port.paced) {
        port.paced = true;
        port.rate = rate;
        port.pace_start = std::max(s.ready_at, port.line_free);
        port.pace_count = 0;
      } else if (rate != port.rate) {
        // The pace changed mid-stream (a fault set or cleared): carry on at the
        // new rate from the last byte sent, or from now when the line has
        // been waiting longer (no burst to catch up on the old pace).
        port.rate = rate;
        port.pace_start = std::max(port.line_free, now);
        port.pace_count = 0;
      }
      const std::int64_t due = BytesDue(port, now) - port.pace_count;
      if (due <= 0) return Due(port, port.pace_count + 1);
      count = std::min(count, static_cast<std::size_t>(due));
    }
    ssize_t n = 0;
    if (count > 0) {
      n = port.is_tcp ? send(port.fd, s.bytes.data() + s.sent, count, MSG_NOSIGNAL)
                      : write(port.fd, s.bytes.data() + s.sent, count);
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        want_pollout = true;
        return never;
      }
      Disconnect(port);
      return never;
    }
    Log("tx", port, s.bytes.data() + s.sent, static_cast<std::size_t>(n));
    core_.stats().bytes_out += n;
    s.sent += static_cast<std::size_t>(n);
    port.queued_bytes -= static_cast<std::size_t>(n);
    if (port.paced) {
      port.pace_count += n;
      port.line_free = Due(port, port.pace_count);
    }
    if (s.sent < s.bytes.size()) {
      if (static_cast<std::size_t>(n) < count) {
        // The other side is not reading: wait until it can take more.
        want_pollout = true;
        return never;
      }
      continue;  // paced: the rest is not due yet
    }
    const bool hang_up = s.hang_up;
    port.queue.pop_front();
    if (port.queue.empty()) StopPacing(port);
    if (hang_up) {
      if (port.is_tcp) {
        Disconnect(port);
      } else {
        port.queue.clear();
        port.queued_bytes = 0;
        StopPacing(port);
      }
      return never;
    }
  }
  return never;
}

void Server::ReadControl(ControlClient& c) {
  char buf[1024];
  const ssize_t n = read(c.fd, buf, sizeof buf);
  if (n <= 0) {
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    close(c.fd);
    c.fd = -1;
    return;
  }
  c.in.append(buf, static_cast<std::size_t>(n));
  std::size_t pos;
  while ((pos = c.in.find('\n')) != std::string::npos) {
    std::string line = c.in.substr(0, pos);
    c.in.erase(0, pos + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string reply = core_.HandleControl(line);
    if (options_.verbose) std::fprintf(stderr, "[control] %s -> %s\n", line.c_str(), reply.c_str());
    c.out += reply + "\n";
  }
  if (c.in.size() > 4096) c.in.clear();
  while (!c.out.empty()) {
    const ssize_t w = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
    if (w <= 0) break;
    c.out.erase(0, static_cast<std::size_t>(w));
  }
}

void Server::Run() {
  for (;;) {
    const auto now = Clock::now();
    core_.Tick();
    auto wake = now + std::chrono::milliseconds(250);
    // Sessions: due LOOP packets, dozing off.
    for (Port* port : {&tcp_, &pty_}) {
      if (port->fd < 0 || !port->session) continue;
      std::vector<Outgoing> out;
      port->session->Poll(now, out);
      Enqueue(*port, out);
    }
    std::vector<pollfd> fds;
    fds.push_back({g_signal_pipe[0], POLLIN, 0});
    const std::size_t first_port = fds.size();
    std::vector<Port*> polled;
    for (Port* port : {&tcp_, &pty_}) {
      if (port->fd < 0) continue;
      bool want_out = false;
      wake = std::min(wake, Flush(*port, want_out));
      if (port->fd < 0) continue;
      if (port->session) {
        if (auto due = port->session->NextDue()) wake = std::min(wake, *due);
      }
      fds.push_back({port->fd, static_cast<short>(POLLIN | (want_out ? POLLOUT : 0)), 0});
      polled.push_back(port);
    }
    const std::size_t tcp_listen_index = fds.size();
    const bool listen_tcp = tcp_listen_ >= 0 && tcp_.fd < 0;
    if (listen_tcp) fds.push_back({tcp_listen_, POLLIN, 0});
    const std::size_t control_listen_index = fds.size();
    if (control_listen_ >= 0) fds.push_back({control_listen_, POLLIN, 0});
    const std::size_t first_control = fds.size();
    for (auto& c : controls_) fds.push_back({c.fd, POLLIN, 0});

    // A nanosecond timeout: at 19200 baud a byte lasts about half a
    // millisecond, below what poll() can wait for.
    const auto wait = std::clamp<std::chrono::nanoseconds>(
        wake - Clock::now(), std::chrono::nanoseconds(0), std::chrono::milliseconds(250));
    const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                           static_cast<long>(wait.count() % 1'000'000'000)};
    const int ready = ppoll(fds.data(), fds.size(), &timeout, nullptr);
    if (ready < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) break;  // SIGINT or SIGTERM
    for (std::size_t i = 0; i < polled.size(); ++i) {
      const short ev = fds[first_port + i].revents;
      Port& port = *polled[i];
      if (ev & (POLLIN | POLLHUP | POLLERR)) {
        if (port.fd >= 0) ReadConsole(port);
      }
    }
    if (listen_tcp && (fds[tcp_listen_index].revents & POLLIN)) Accept(tcp_);
    if (control_listen_ >= 0 && (fds[control_listen_index].revents & POLLIN)) {
      const int fd = accept4(control_listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd >= 0) controls_.push_back({fd, {}, {}});
    }
    for (std::size_t i = first_control; i < fds.size(); ++i) {
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadControl(controls_[i - first_control]);
    }
    std::erase_if(controls_, [](const ControlClient& c) { return c.fd < 0; });
  }
}

}  // namespace tv::sim
