#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "stationlib/byte_stream.h"

namespace tv::fuzz {

// Splits a fuzz input into the console's replies: each reply is a two-byte
// little-endian length followed by that many bytes (cut short at the end of
// the input). Seeds are written in the same form by WriteChunks.
class ChunkReader {
 public:
  explicit ChunkReader(std::span<const std::uint8_t> data) : data_(data) {}
  bool Empty() const { return data_.empty(); }
  std::vector<std::uint8_t> Next();

 private:
  std::span<const std::uint8_t> data_;
};

std::vector<std::uint8_t> WriteChunks(const std::vector<std::vector<std::uint8_t>>& chunks);

// A console whose replies come from the fuzz input. Reads never wait: with
// nothing queued they time out at once, so a fuzz run costs no wall time.
class FuzzConsole final : public stationlib::ByteStream {
 public:
  struct Script {
    // Answer every wake-up with LF CR instead of taking a reply from the input.
    bool auto_wake = true;
    // A reply taken for a command that expects a CRC block becomes ACK,
    // the reply and its correct CRC, so the decoders behind the CRC see the
    // mutated bytes. Off: the reply goes on the wire as it is.
    bool fix_crc = true;
    // Fixed replies (sent as they are) for exact command lines.
    std::map<std::string, std::vector<std::uint8_t>> canned;
  };

  FuzzConsole(std::span<const std::uint8_t> data, Script script);

  stationlib::IoStatus Write(std::span<const std::uint8_t> data,
                             stationlib::Deadline deadline) override;
  stationlib::IoStatus Read(std::span<std::uint8_t> out, std::size_t& got,
                            stationlib::Deadline deadline) override;
  stationlib::IoStatus DiscardInput() override {
    queue_.clear();
    return interrupted_ ? stationlib::IoStatus::kInterrupted : stationlib::IoStatus::kOk;
  }
  void Interrupt() override { interrupted_ = true; }
  int BaudRate() const override { return 19200; }

 private:
  ChunkReader chunks_;
  Script script_;
  std::deque<std::uint8_t> queue_;
  bool last_was_crc_command_ = false;
  bool interrupted_ = false;
};

// ACK, `data` and its CRC: a console's answer to a CRC block command.
std::vector<std::uint8_t> AckedBlock(std::vector<std::uint8_t> data);

}  // namespace tv::fuzz
