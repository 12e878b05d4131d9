#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace tv::testing {

// Starts <build>/bin/vantage-simulator as a child process for a test, reads
// the endpoints it prints (TCP port, pseudo-terminal, control port), talks
// to its control channel, and stops it (SIGTERM, then SIGKILL) when destroyed.
class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // The simulator built with the tests (or $TV_SIMULATOR when set).
  static std::string DefaultBinary();

  // Starts the simulator with `args` (e.g. {"--tcp", "127.0.0.1:0", "--pty"}).
  // False, with `error` filled, when it does not come up within 10 s.
  bool Start(const std::vector<std::string>& args, std::string* error = nullptr);
  // SIGTERM and wait (at most `timeout`, then SIGKILL). Returns the exit
  // status as waitpid gives it, -1 when it had to be killed.
  int Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // SIGKILL, as a crash or a power cut would end it: nothing is cleaned up
  // (the pseudo-terminal link is left dangling, connections are reset).
  void Kill();

  pid_t pid() const { return pid_; }
  int tcp_port() const { return tcp_port_; }
  const std::string& pty_path() const { return pty_path_; }
  int control_port() const { return control_port_; }

  // One control-channel request; the reply line without its LF ("OK ...",
  // "ERR ..."), or "" when the channel fails.
  std::string Control(const std::string& line);
  // "GET name" and the value after "OK ", or "" on error.
  std::string Get(const std::string& name);
  // A number from the read-back; NaN when dashed or on error.
  double GetNumber(const std::string& name);

  // Archive records `first` .. `first + count - 1` (0 = the oldest) as the
  // control channel describes them: name -> value text ("--" when dashed;
  // "date" YYYY-MM-DD, "time" HH:MM, rain in clicks, directions in degrees),
  // an empty map for a slot never written. Empty on error.
  std::vector<std::map<std::string, std::string>> ArchiveRecords(int first, int count);

  // Resource use of the child, from /proc: open descriptors and resident KiB.
  int OpenFds() const;
  long ResidentKiB() const;

 private:
  pid_t pid_ = -1;
  int stdout_fd_ = -1;
  int control_fd_ = -1;
  std::string control_buffer_;
  int tcp_port_ = -1;
  int control_port_ = -1;
  std::string pty_path_;
};

}  // namespace tv::testing
