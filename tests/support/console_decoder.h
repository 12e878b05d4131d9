#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Decoders of the console's replies, written for the tests straight from the
// protocol's packet tables (independently of the simulator's encoders), so
// that a round trip through both catches a mistake on either side. Values
// are named like the simulator's control channel ("outside_temp",
// "hl.barometer.day_low"); nullopt is a dashed value.
namespace tv::testing {

using Decoded = std::map<std::string, std::optional<double>>;

struct DecodeResult {
  bool ok = false;
  std::string error;  // why not ok: size, CRC, signature, packet type
  Decoded values;
};

// `block` is the packet as received after the ACK, CRC included.
DecodeResult DecodeLoop(std::span<const std::uint8_t> block);
DecodeResult DecodeLoop2(std::span<const std::uint8_t> block);
DecodeResult DecodeHiLows(std::span<const std::uint8_t> block);
// GETTIME: second, minute, hour, day, month, year.
DecodeResult DecodeTime(std::span<const std::uint8_t> block);

// Splits a text reply ("\n\rOK\n\r" then lines ending "\n\r") into its lines.
// nullopt when it does not start with the OK framing or ends mid-line.
std::optional<std::vector<std::string>> SplitOkReply(std::span<const std::uint8_t> reply);

}  // namespace tv::testing
