#include "protocol/crc.h"

#include <array>

namespace tv::protocol {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000U) ? ((crc << 1) ^ 0x1021U) : (crc << 1);
    }
    table[i] = static_cast<std::uint16_t>(crc & 0xFFFFU);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte) {
  const unsigned index = ((crc >> 8) ^ byte) & 0xFFU;
  return static_cast<std::uint16_t>(kTable[index] ^ ((crc << 8) & 0xFFFFU));
}

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t crc) {
  for (std::uint8_t b : data) crc = Crc16Update(crc, b);
  return crc;
}

void AppendCrc(std::vector<std::uint8_t>& block) {
  const std::uint16_t crc = Crc16(block);
  block.push_back(static_cast<std::uint8_t>(crc >> 8));
  block.push_back(static_cast<std::uint8_t>(crc & 0xFFU));
}

bool CrcBlockValid(std::span<const std::uint8_t> block) {
  return block.size() >= 2 && Crc16(block) == 0;
}

}  // namespace tv::protocol
