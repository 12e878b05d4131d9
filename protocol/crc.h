#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tv::protocol {

// The console's block checksum: 16-bit CCITT polynomial 0x1021, initial value
// 0, no reflection, no final XOR (the parameters of CRC-16/XMODEM).
//
// On the wire the CRC follows the data high byte first, the one exception to
// the little-endian rule of every other multi-byte value.

// CRC of `data`, continuing from `crc` (0 for a fresh block).
std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t crc = 0);

// Feeds one byte into a running CRC.
std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte);

// Appends the CRC of everything already in `block`, high byte first.
void AppendCrc(std::vector<std::uint8_t>& block);

// True when `block` is data followed by its two CRC bytes: the CRC over the
// whole block is then zero. A block shorter than the two CRC bytes is never
// valid.
bool CrcBlockValid(std::span<const std::uint8_t> block);

}  // namespace tv::protocol
