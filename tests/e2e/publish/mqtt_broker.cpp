#include "tests/e2e/publish/mqtt_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tv::testing {
namespace {

bool Run(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

MqttBroker::~MqttBroker() {
  Kill();
}

int MqttBroker::FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

bool MqttBroker::Start(const Options& options, std::string* error) {
  if (dir_.empty()) {
    *error = "cannot create a temporary folder";
    return false;
  }
  port_ = FreePort();
  config_ = dir_ + "/mosquitto.conf";
  log_ = dir_ + "/broker.log";
  std::ostringstream conf;
  conf << "listener " << port_ << " 127.0.0.1\n"
       << "persistence false\n"
       << "log_dest file " << log_ << "\n"
       << "log_type all\n"
       << "connection_messages true\n";
  // mosquitto refuses to run as root unless told to stay root.
  if (geteuid() == 0) conf << "user root\n";
  if (options.user.empty()) {
    conf << "allow_anonymous true\n";
  } else {
    const std::string passwords = dir_ + "/passwords";
    if (!Run("mosquitto_passwd -b -c '" + passwords + "' '" + options.user + "' '" +
             options.password + "'")) {
      *error = "mosquitto_passwd failed";
      return false;
    }
    conf << "allow_anonymous false\npassword_file " << passwords << "\n";
  }
  if (options.tls) {
    ca_file_ = dir_ + "/ca.crt";
    const std::string d = "'" + dir_ + "'";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    std::ofstream(dir_ + "/server.ext") << "subjectAltName=IP:127.0.0.1\n";
    const bool made =
        Run("cd " + d + " && openssl req -x509" + ec +
            "-keyout ca.key -out ca.crt -days 2 -subj /CN=tv-test-ca") &&
        Run("cd " + d + " && openssl req" + ec +
            "-keyout server.key -out server.csr -subj /CN=127.0.0.1") &&
        Run("cd " + d +
            " && openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
            "-out server.crt -days 2 -extfile server.ext");
    if (!made) {
      *error = "openssl could not make the certificates";
      return false;
    }
    conf << "cafile " << ca_file_ << "\ncertfile " << dir_ << "/server.crt\nkeyfile " << dir_
         << "/server.key\n";
  }
  std::ofstream(config_) << conf.str();
  return Launch(error);
}

bool MqttBroker::Launch(std::string* error) {
  pid_ = fork();
  if (pid_ < 0) {
    *error = "fork failed";
    return false;
  }
  if (pid_ == 0) {
    // Gone with the test, even one that aborts.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int fd = open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    execl("/usr/sbin/mosquitto", "mosquitto", "-c", config_.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{10};
  while (std::chrono::steady_clock::now() < deadline) {
    if (Accepts(port_)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      *error = "mosquitto exited: " + LogText();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  *error = "mosquitto did not listen: " + LogText();
  Kill();
  return false;
}

void MqttBroker::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool MqttBroker::Restart(std::string* error) {
  Kill();
  return Launch(error);
}

std::string MqttBroker::LogText() const {
  std::ifstream in(log_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int MqttBroker::CountInLog(const std::string& text) const {
  std::istringstream lines(LogText());
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace tv::testing
