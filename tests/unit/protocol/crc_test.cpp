#include "protocol/crc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/block_check.h"
#include "protocol/packets.h"

namespace tv::protocol {
namespace {

// The 99-byte LOOP packet captured from a real console (CRC 0x8050 at the end).
const std::vector<std::uint8_t> kRealLoop = {
    0x4C, 0x4F, 0x4F, 0x3C, 0x00, 0x86, 0x09, 0x23, 0x75, 0xB4, 0x02, 0x32, 0xB3, 0x01, 0x0F,
    0x07, 0x42, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0x4E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x2B, 0x00, 0x11, 0xB5, 0x07, 0x00, 0x87, 0x00, 0x62, 0x0B, 0x23, 0x00, 0x20, 0x00,
    0x2E, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x03, 0x06,
    0x4B, 0xCC, 0x02, 0x59, 0x06, 0x0A, 0x0D, 0x80, 0x50};

struct CrcVector {
  const char* legend;
  std::vector<std::uint8_t> data;
  std::uint16_t crc;
};

TEST(Crc16, WorkedVectors) {
  std::vector<std::uint8_t> loop_data(kRealLoop.begin(), kRealLoop.begin() + kLoopCrcCoverage);
  const std::string check = "123456789";
  const CrcVector rows[] = {
      {"standard check value", {check.begin(), check.end()}, 0x31C3},
      {"archive date/time example", {0xC6, 0xCE, 0xA2, 0x03}, 0xE2B4},
      {"time block 15:27:00 4 June 2003", {0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67}, 0x566C},
      {"time alarm 07:15 and complement", {0xCB, 0x02, 0x34, 0xFD}, 0x3438},
      {"EEPROM read of 3 bytes at 0x32", {0x05, 0xFA, 0x0E}, 0xF634},
      {"single zero byte", {0x00}, 0x0000},
      {"single 0xFF byte = last table entry", {0xFF}, 0x1EF0},
      {"empty input", {}, 0x0000},
      {"real LOOP packet, bytes 0-96", loop_data, 0x8050},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    EXPECT_EQ(Crc16(row.data), row.crc);
    // Appending the CRC high byte first makes the whole block check to zero.
    std::vector<std::uint8_t> block = row.data;
    AppendCrc(block);
    ASSERT_EQ(block.size(), row.data.size() + 2);
    EXPECT_EQ(block[block.size() - 2], row.crc >> 8);
    EXPECT_EQ(block[block.size() - 1], row.crc & 0xFF);
    EXPECT_TRUE(CrcBlockValid(block));
  }
}

TEST(Crc16, RunningCrcEqualsOneShot) {
  // A block fed in two pieces (as bytes trickle in) gives the same CRC.
  const std::vector<std::uint8_t> a(kRealLoop.begin(), kRealLoop.begin() + 40);
  const std::vector<std::uint8_t> b(kRealLoop.begin() + 40, kRealLoop.begin() + kLoopCrcCoverage);
  EXPECT_EQ(Crc16(b, Crc16(a)), 0x8050);
}

TEST(Crc16, EverySingleBitFlipOfTheRealPacketIsDetected) {
  for (std::size_t i = 0; i < kRealLoop.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      std::vector<std::uint8_t> copy = kRealLoop;
      copy[i] ^= static_cast<std::uint8_t>(1U << bit);
      ASSERT_FALSE(CrcBlockValid(copy)) << "byte " << i << " bit " << bit;
    }
  }
}

TEST(CheckBlock, SizesAndChecksum) {
  std::vector<std::uint8_t> good = {0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67, 0x56, 0x6C};
  std::vector<std::uint8_t> swapped_crc = {0x00, 0x1B, 0x0F, 0x04, 0x06, 0x67, 0x6C, 0x56};
  std::vector<std::uint8_t> with_extra = good;
  with_extra.push_back(0x00);
  struct Row {
    const char* legend;
    std::vector<std::uint8_t> block;
    std::size_t data_size;
    BlockStatus expected;
  };
  const Row rows[] = {
      {"good time block", good, kTimeBlockSize, BlockStatus::kOk},
      {"CRC low byte first is rejected", swapped_crc, kTimeBlockSize, BlockStatus::kBadCrc},
      {"one byte missing", {good.begin(), good.end() - 1}, kTimeBlockSize, BlockStatus::kShort},
      {"empty block", {}, kTimeBlockSize, BlockStatus::kShort},
      {"trailing byte", with_extra, kTimeBlockSize, BlockStatus::kLong},
      {"real LOOP packet", kRealLoop, kLoopCrcCoverage, BlockStatus::kOk},
      {"LOOP packet checked as a HILOWS block", kRealLoop, kHilowsDataSize, BlockStatus::kShort},
      {"a lone CRC-less byte", {0x00}, 0, BlockStatus::kShort},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.legend);
    EXPECT_EQ(CheckBlock(row.block, row.data_size), row.expected);
  }
  EXPECT_FALSE(CrcBlockValid(std::vector<std::uint8_t>{0x00}));
}

}  // namespace
}  // namespace tv::protocol
