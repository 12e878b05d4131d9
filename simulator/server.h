#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "simulator/console_session.h"
#include "simulator/replay_session.h"
#include "simulator/simulator_core.h"

namespace tv::sim {

struct ServerOptions {
  bool tcp = false;
  std::string tcp_host = "127.0.0.1";
  int tcp_port = 0;
  bool pty = false;
  std::string pty_link;  // symbolic link to the pseudo-terminal, empty for none
  bool control = true;
  std::string control_host = "127.0.0.1";
  int control_port = 0;
  bool verbose = false;
  // Play this recording back on the console ports instead of the model.
  std::shared_ptr<ReplayScript> replay;
};

// The simulator's event loop: the console on a TCP port and/or a
// pseudo-terminal (one client at a time on each), the control channel, output
// pacing (baud rate, slow-byte fault), and a clean stop on SIGINT/SIGTERM.
// Everything runs on the calling thread.
class Server {
 public:
  Server(SimulatorCore& core, ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens the listeners and the pseudo-terminal; on failure returns false
  // and fills `error`. On success, `endpoints` gets one line per endpoint
  // ("tcp 127.0.0.1:PORT", "pty /dev/pts/N", "control 127.0.0.1:PORT").
  bool Open(std::vector<std::string>& endpoints, std::string& error);
  // Runs until a stop signal arrives.
  void Run();

 private:
  // Time on the line per byte, as a fraction of nanoseconds (exact at any
  // baud rate); zero when output is not paced.
  struct ByteRate {
    std::int64_t ns_num = 0;
    std::int64_t ns_den = 1;
    bool paced() const { return ns_num > 0; }
    bool operator==(const ByteRate&) const = default;
  };
  struct Segment {
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    std::chrono::milliseconds delay{0};
    bool hang_up = false;
    bool delay_started = false;
    std::chrono::steady_clock::time_point ready_at;
  };
  struct Port {
    std::string name;
    bool is_tcp = false;
    int fd = -1;  // connected client (TCP) or pty master
    std::unique_ptr<PortSession> session;
    std::deque<Segment> queue;
    std::size_t queued_bytes = 0;
    // Paced output runs on an absolute schedule: the k-th byte since
    // `pace_start` is due at pace_start + k * rate.interval, so a late wake-up
    // sends every byte that has fallen due at once and lateness never adds up.
    bool paced = false;  // a schedule is running
    ByteRate rate;
    std::chrono::steady_clock::time_point pace_start;
    std::int64_t pace_count = 0;  // bytes written since pace_start
    // When the last byte written has finished on the line: a new schedule
    // never starts before it.
    std::chrono::steady_clock::time_point line_free;
  };
  struct ControlClient {
    int fd = -1;
    std::string in;
    std::string out;
  };

  std::unique_ptr<PortSession> NewSession();
  void Accept(Port& port);
  void Disconnect(Port& port);
  void ReadConsole(Port& port);
  void Enqueue(Port& port, std::vector<Outgoing>& out);
  // Writes what is due; returns when it next wants to write (or max()).
  std::chrono::steady_clock::time_point Flush(Port& port, bool& want_pollout);
  void ReadControl(ControlClient& c);
  void Log(const char* dir, const Port& port, const std::uint8_t* data, std::size_t n);
  ByteRate CurrentRate() const;
  static std::chrono::steady_clock::time_point Due(const Port& port, std::int64_t k);
  static std::int64_t BytesDue(const Port& port, std::chrono::steady_clock::time_point now);
  static void StopPacing(Port& port);

  SimulatorCore& core_;
  ServerOptions options_;
  int tcp_listen_ = -1;
  int control_listen_ = -1;
  int pty_slave_ = -1;
  Port tcp_;
  Port pty_;
  std::vector<ControlClient> controls_;
};

}  // namespace tv::sim
