#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::testing {

// A minimal host side of the console protocol for the tests: a TCP or
// pseudo-terminal link, the wake-up, commands, and reads with deadlines.
class ConsoleClient {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Ms = std::chrono::milliseconds;

  ConsoleClient() = default;
  ~ConsoleClient();
  ConsoleClient(const ConsoleClient&) = delete;
  ConsoleClient& operator=(const ConsoleClient&) = delete;

  bool ConnectTcp(int port);
  // Opens a serial device (pseudo-terminal), raw 8N1.
  bool OpenSerial(const std::string& path);
  void Close();
  bool is_open() const { return fd_ >= 0; }

  bool Send(std::string_view bytes);
  bool Send(const Bytes& bytes);
  // Reads until `n` bytes arrived or `timeout` passed; returns what came.
  Bytes ReadExact(std::size_t n, Ms timeout);
  // Reads until `suffix` ends the input or `timeout` passed.
  Bytes ReadUntil(std::string_view suffix, Ms timeout);
  // Reads whatever arrives until the line stays quiet for `quiet`.
  Bytes ReadQuiet(Ms quiet, Ms limit = Ms(3000));
  // True when the peer closed the connection (read returned 0).
  bool PeerClosed(Ms timeout);
  // Discards pending input.
  void Drain();

  // LF, expect LF CR; up to `attempts` tries, each waiting `timeout`.
  bool Wake(int attempts = 3, Ms timeout = Ms(1200));
  // Sends "cmd\n", expects ACK then `data_size` bytes + CRC; returns the block
  // after the ACK (CRC included, not checked), nullopt without ACK or when short.
  std::optional<Bytes> Binary(std::string_view cmd, std::size_t data_size, Ms timeout = Ms(2500));
  // Sends "cmd\n" and reads an OK reply of `lines` lines; the whole reply.
  Bytes Text(std::string_view cmd, int lines, Ms timeout = Ms(2000));

 private:
  int fd_ = -1;
};

}  // namespace tv::testing
