#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace tv::testing {

// A real mosquitto broker for one test, on a free port of 127.0.0.1, with a
// config file, password file and certificates of its own in a throwaway
// folder; its log (every type) goes to a file the test can read. Killed when
// destroyed.
class MqttBroker {
 public:
  struct Options {
    // Set: anonymous clients are refused and this user is the only one.
    std::string user;
    std::string password;
    // A CA made with openssl signs the broker's certificate for 127.0.0.1.
    bool tls = false;
  };

  MqttBroker() = default;
  ~MqttBroker();
  MqttBroker(const MqttBroker&) = delete;
  MqttBroker& operator=(const MqttBroker&) = delete;

  // False, with `error` filled, when it does not accept connections within 10 s.
  bool Start(const Options& options, std::string* error);
  // SIGKILL: the broker goes away without a word (nothing persists).
  void Kill();
  // Starts it again on the same port, with the same files.
  bool Restart(std::string* error);

  int port() const { return port_; }
  // The CA certificate clients check the broker against ("" without TLS).
  const std::string& ca_file() const { return ca_file_; }
  std::string LogText() const;
  // Lines of the log holding `text`.
  int CountInLog(const std::string& text) const;

  // A port of 127.0.0.1 that nothing listens on (just released).
  static int FreePort();

 private:
  bool Launch(std::string* error);

  // Removed, with all it holds, after the destructor has killed the broker.
  TempDir folder_{"tv-mqtt-broker"};
  std::string dir_ = folder_.path.string();
  std::string config_;
  std::string log_;
  std::string ca_file_;
  int port_ = -1;
  pid_t pid_ = -1;
};

}  // namespace tv::testing
