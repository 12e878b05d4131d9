#pragma once

// Stand-ins of the weather networks on 127.0.0.1, on ports the system picks:
// an HTTP server that records every request and plays scripted replies, and
// an APRS-IS server that sends its banner, reads the login, answers "#
// logresp" and records the packet.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tv::testing {

struct ScriptedReply {
  int status = 200;
  std::string body = "success";
  // Nothing is answered for this long (a stall past the client's time-out).
  std::chrono::milliseconds stall{0};
};

class StandInServer {
 public:
  StandInServer();
  virtual ~StandInServer();
  StandInServer(const StandInServer&) = delete;
  StandInServer& operator=(const StandInServer&) = delete;

  int port() const { return port_; }
  // What each connection sent (the HTTP request head; the APRS-IS lines).
  std::vector<std::string> Received() const;
  // Waits (at most 5 s of real time) until `n` connections are recorded.
  bool WaitForReceived(std::size_t n) const;

 protected:
  void Begin();
  // Stops serving and waits for the thread: the derived class's destructor
  // calls it, before what Serve uses goes.
  void End();
  void Record(std::string text);
  // Serves one accepted connection.
  virtual void Serve(int fd) = 0;
  // Reads until `end` has come (or the peer is gone, or 2 s of silence).
  static std::string ReadUntil(int fd, const std::string& end);
  std::atomic<bool> stopping_{false};

 private:
  void Loop();
  int listener_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> received_;
  std::thread thread_;
};

class HttpStandIn final : public StandInServer {
 public:
  HttpStandIn() { Begin(); }
  ~HttpStandIn() override;
  // The replies to the next requests, in order; "200 success" once used up.
  void Then(ScriptedReply reply);
  std::string Url(const std::string& path = "/update") const {
    return "http://127.0.0.1:" + std::to_string(port()) + path;
  }

 private:
  void Serve(int fd) override;
  std::mutex script_mutex_;
  std::deque<ScriptedReply> script_;
};

class AprsStandIn final : public StandInServer {
 public:
  AprsStandIn() { Begin(); }
  ~AprsStandIn() override;

 private:
  void Serve(int fd) override;
};

// A port of 127.0.0.1 where nothing listens.
int ClosedPort();

}  // namespace tv::testing
