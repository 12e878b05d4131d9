#include "fuzz/fuzz_console.h"

#include <algorithm>
#include <string_view>

#include "protocol/commands.h"
#include "protocol/crc.h"

namespace tv::fuzz {

namespace proto = tv::protocol;
using stationlib::IoStatus;

std::vector<std::uint8_t> ChunkReader::Next() {
  if (data_.empty()) return {};
  std::size_t size = data_[0];
  if (data_.size() > 1) size |= static_cast<std::size_t>(data_[1]) << 8;
  data_ = data_.subspan(std::min<std::size_t>(2, data_.size()));
  size = std::min(size, data_.size());
  std::vector<std::uint8_t> chunk(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(size));
  data_ = data_.subspan(size);
  return chunk;
}

std::vector<std::uint8_t> WriteChunks(const std::vector<std::vector<std::uint8_t>>& chunks) {
  std::vector<std::uint8_t> out;
  for (const auto& c : chunks) {
    out.push_back(static_cast<std::uint8_t>(c.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c.size() >> 8));
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

std::vector<std::uint8_t> AckedBlock(std::vector<std::uint8_t> data) {
  proto::AppendCrc(data);
  data.insert(data.begin(), proto::kAck);
  return data;
}

namespace {

// Commands answered by ACK and a CRC block.
bool ExpectsCrcBlock(std::string_view line) {
  for (const std::string_view cmd :
       {proto::kCmdLoop, proto::kCmdLps, proto::kCmdHilows, proto::kCmdEebrd, proto::kCmdGetTime}) {
    if (line.substr(0, cmd.size()) == cmd) return true;
  }
  return false;
}

}  // namespace

FuzzConsole::FuzzConsole(std::span<const std::uint8_t> data, Script script)
    : chunks_(data), script_(std::move(script)) {}

IoStatus FuzzConsole::Write(std::span<const std::uint8_t> data, stationlib::Deadline) {
  if (interrupted_) return IoStatus::kInterrupted;
  const std::string line(data.begin(), data.end());
  if (script_.auto_wake && line == proto::kWakeRequest) {
    queue_.insert(queue_.end(), proto::kWakeReply.begin(), proto::kWakeReply.end());
    return IoStatus::kOk;
  }
  if (const auto it = script_.canned.find(line); it != script_.canned.end()) {
    queue_.insert(queue_.end(), it->second.begin(), it->second.end());
    return IoStatus::kOk;
  }
  const bool nak = data.size() == 1 && data[0] == proto::kNak;
  if (!nak) last_was_crc_command_ = ExpectsCrcBlock(line);
  std::vector<std::uint8_t> reply = chunks_.Next();
  if (script_.fix_crc && last_was_crc_command_) {
    reply = AckedBlock(std::move(reply));
    if (nak) reply.erase(reply.begin());  // a resent block comes without ACK
  }
  queue_.insert(queue_.end(), reply.begin(), reply.end());
  return IoStatus::kOk;
}

IoStatus FuzzConsole::Read(std::span<std::uint8_t> out, std::size_t& got, stationlib::Deadline) {
  got = 0;
  if (interrupted_) return IoStatus::kInterrupted;
  if (queue_.empty()) return chunks_.Empty() ? IoStatus::kClosed : IoStatus::kTimeout;
  while (got < out.size() && !queue_.empty()) {
    out[got++] = queue_.front();
    queue_.pop_front();
  }
  return IoStatus::kOk;
}

}  // namespace tv::fuzz
