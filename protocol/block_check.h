#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tv::protocol {

// Outcome of checking a received binary block before any field is read.
enum class BlockStatus {
  kOk,
  kShort,   // fewer bytes than the block's data plus CRC
  kLong,    // more bytes than that
  kBadCrc,  // right size, wrong checksum
};

std::string_view BlockStatusText(BlockStatus status);

// Checks that `block` is exactly `data_size` data bytes followed by their CRC
// (high byte first). The ACK that precedes a binary reply is not part of it.
BlockStatus CheckBlock(std::span<const std::uint8_t> block, std::size_t data_size);

}  // namespace tv::protocol
