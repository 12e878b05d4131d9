#include "tests/support/simulator_process.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tv::testing {

namespace {

using SteadyClock = std::chrono::steady_clock;

int PortOf(const std::string& endpoint) {
  const auto colon = endpoint.rfind(':');
  return colon == std::string::npos ? -1 : std::atoi(endpoint.c_str() + colon + 1);
}

}  // namespace

SimulatorProcess::~SimulatorProcess() {
  Stop();
}

std::string SimulatorProcess::DefaultBinary() {
  if (const char* env = std::getenv("TV_SIMULATOR"); env != nullptr && *env != '\0') return env;
  return TV_SIMULATOR_BIN;
}

bool SimulatorProcess::Start(const std::vector<std::string>& args, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    Stop();
    return false;
  };
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return fail("pipe failed");
  const std::string binary = DefaultBinary();
  std::vector<std::string> argv_s = {binary};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) return fail("fork failed");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  stdout_fd_ = out[0];
  std::string text;
  const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
  while (text.find("ready\n") == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    if (left.count() <= 0) return fail("simulator did not report ready: " + text);
    pollfd p{stdout_fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[256];
    const ssize_t n = read(stdout_fd_, buf, sizeof buf);
    if (n <= 0) return fail("simulator exited: " + text);
    text.append(buf, static_cast<std::size_t>(n));
  }
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("tcp ", 0) == 0) tcp_port_ = PortOf(line);
    if (line.rfind("control ", 0) == 0) control_port_ = PortOf(line);
    if (line.rfind("pty ", 0) == 0) pty_path_ = line.substr(4);
  }
  return true;
}

void SimulatorProcess::Kill() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  Stop();
}

int SimulatorProcess::Stop(std::chrono::milliseconds timeout) {
  if (control_fd_ >= 0) close(control_fd_);
  control_fd_ = -1;
  control_buffer_.clear();
  if (stdout_fd_ >= 0) close(stdout_fd_);
  stdout_fd_ = -1;
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = -1;
  const auto deadline = SteadyClock::now() + timeout;
  for (;;) {
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) break;
    if (r < 0 || SteadyClock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      status = -1;
      break;
    }
    usleep(5000);
  }
  pid_ = -1;
  return status;
}

std::string SimulatorProcess::Control(const std::string& line) {
  if (control_fd_ < 0) {
    control_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(control_port_));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (control_fd_ < 0 ||
        connect(control_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      if (control_fd_ >= 0) close(control_fd_);
      control_fd_ = -1;
      return "";
    }
  }
  const std::string request = line + "\n";
  if (send(control_fd_, request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return "";
  }
  const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
  while (control_buffer_.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    if (left.count() <= 0) return "";
    pollfd p{control_fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[8192];
    const ssize_t n = read(control_fd_, buf, sizeof buf);
    if (n <= 0) return "";
    control_buffer_.append(buf, static_cast<std::size_t>(n));
  }
  const auto pos = control_buffer_.find('\n');
  std::string reply = control_buffer_.substr(0, pos);
  control_buffer_.erase(0, pos + 1);
  return reply;
}

std::string SimulatorProcess::Get(const std::string& name) {
  const std::string reply = Control("GET " + name);
  return reply.rfind("OK ", 0) == 0 ? reply.substr(3) : "";
}

double SimulatorProcess::GetNumber(const std::string& name) {
  const std::string v = Get(name);
  if (v.empty() || v == "--") return std::nan("");
  return std::strtod(v.c_str(), nullptr);
}

std::vector<std::map<std::string, std::string>> SimulatorProcess::ArchiveRecords(int first,
                                                                                 int count) {
  const std::string reply =
      Control("ARCHIVE GET " + std::to_string(first) + " " + std::to_string(count));
  std::vector<std::map<std::string, std::string>> records;
  if (reply.rfind("OK ", 0) != 0) return records;
  std::istringstream list(reply.substr(3));
  std::string record;
  while (std::getline(list, record, ';')) {
    std::map<std::string, std::string> fields;
    std::istringstream words(record);
    std::string word;
    while (words >> word) {
      const auto eq = word.find('=');
      if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
    }
    records.push_back(std::move(fields));
  }
  return records;
}

int SimulatorProcess::OpenFds() const {
  const std::string path = "/proc/" + std::to_string(pid_) + "/fd";
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] != '.') ++count;
  }
  closedir(dir);
  return count;
}

long SimulatorProcess::ResidentKiB() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

}  // namespace tv::testing
