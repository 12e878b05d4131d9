#include "protocol/block_check.h"

#include "protocol/crc.h"
#include "protocol/packets.h"

namespace tv::protocol {

std::string_view BlockStatusText(BlockStatus status) {
  switch (status) {
    case BlockStatus::kOk:
      return "ok";
    case BlockStatus::kShort:
      return "block too short";
    case BlockStatus::kLong:
      return "block too long";
    case BlockStatus::kBadCrc:
      return "bad CRC";
  }
  return "unknown";
}

BlockStatus CheckBlock(std::span<const std::uint8_t> block, std::size_t data_size) {
  const std::size_t expected = data_size + kCrcSize;
  if (block.size() < expected) return BlockStatus::kShort;
  if (block.size() > expected) return BlockStatus::kLong;
  return CrcBlockValid(block) ? BlockStatus::kOk : BlockStatus::kBadCrc;
}

}  // namespace tv::protocol
