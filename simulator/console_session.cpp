#include "simulator/console_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "protocol/commands.h"
#include "protocol/crc.h"
#include "protocol/eeprom_map.h"
#include "protocol/packets.h"
#include "simulator/packet_encoder.h"

namespace tv::sim {

namespace p = protocol;
namespace ee = protocol::eeprom;

namespace {

constexpr std::size_t kMaxLine = 128;
constexpr auto kDozeAfter = std::chrono::seconds(30);

std::vector<std::uint8_t> BytesOf(std::string_view s) {
  return {s.begin(), s.end()};
}

bool ParseNumber(const std::string& s, long& out, int base) {
  if (s.empty() || s.size() > 8) return false;
  char* end = nullptr;
  out = std::strtol(s.c_str(), &end, base);
  return end != nullptr && *end == '\0' && out >= 0;
}

std::vector<std::string> Args(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

}  // namespace

ConsoleSession::ConsoleSession(SimulatorCore& core) : core_(core) {}

void ConsoleSession::OnInput(const std::uint8_t* data, std::size_t size, TimePoint now,
                             std::vector<Outgoing>& out) {
  core_.stats().bytes_in += static_cast<long long>(size);
  for (std::size_t i = 0; i < size; ++i) OnByte(data[i], now, out);
  last_input_ = now;
}

void ConsoleSession::OnByte(std::uint8_t b, TimePoint now, std::vector<Outgoing>& out) {
  Faults& f = core_.faults();
  if (f.silent || f.stop_after == 0) return;
  if (mode_ == Mode::kHostBlock) {
    host_bytes_.push_back(b);
    if (host_bytes_.size() == host_block_size_ + p::kCrcSize) FinishHostBlock(out);
    return;
  }
  if (mode_ == Mode::kArchiveStart || mode_ == Mode::kArchivePages) {
    if (b == p::kAck || b == p::kNak || b == p::kEsc) {
      OnArchiveByte(b, out);
      return;
    }
    // Anything else abandons the download and is read as usual (a wake-up).
    mode_ = Mode::kIdle;
  }
  if (mode_ == Mode::kLoop) {
    // Any byte (a lone line end) stops a LOOP/LPS run.
    mode_ = Mode::kIdle;
    loop_remaining_ = 0;
    return;
  }
  if (asleep_) {
    // The byte that wakes the console is lost; a line end is answered.
    asleep_ = false;
    if (b == p::kLf || b == p::kCr) Reply(BytesOf(p::kWakeReply), out);
    line_.clear();
    return;
  }
  if (line_.empty() && !line_overflow_) {
    if (b == p::kNak) {
      if (!last_block_.empty()) ReplyBlock(last_block_, false, out);
      return;
    }
    if (b == p::kAck || b == p::kEsc) return;
  }
  if (b == p::kLf || b == p::kCr) {
    const std::string line = line_;
    const bool overflow = line_overflow_;
    line_.clear();
    line_overflow_ = false;
    if (overflow) {
      Reply(BytesOf(p::kUnknownCommandReply), out);
    } else if (line.empty()) {
      Reply(BytesOf(p::kWakeReply), out);
    } else {
      Execute(line, now, out);
    }
    return;
  }
  if (line_.size() >= kMaxLine) {
    line_overflow_ = true;
    line_.clear();
    return;
  }
  if (!line_overflow_) line_.push_back(static_cast<char>(b));
}

void ConsoleSession::Poll(TimePoint now, std::vector<Outgoing>& out) {
  if (mode_ == Mode::kLoop && loop_remaining_ > 0 && now >= next_packet_) {
    if (!core_.faults().silent && core_.faults().stop_after != 0) SendLoopPacket(out);
    --loop_remaining_;
    next_packet_ += std::chrono::milliseconds(core_.options().loop_interval_ms);
    if (loop_remaining_ <= 0) mode_ = Mode::kIdle;
  }
  const bool archive = mode_ == Mode::kArchiveStart || mode_ == Mode::kArchivePages;
  if ((mode_ == Mode::kIdle || archive) && !asleep_ && now - last_input_ > kDozeAfter) {
    mode_ = Mode::kIdle;  // a download the host stopped answering is given up
    asleep_ = true;
    line_.clear();
  }
}

std::optional<ConsoleSession::TimePoint> ConsoleSession::NextDue() const {
  if (mode_ == Mode::kLoop && loop_remaining_ > 0) return next_packet_;
  if (!asleep_ &&
      (mode_ == Mode::kIdle || mode_ == Mode::kArchiveStart || mode_ == Mode::kArchivePages)) {
    return last_input_ + kDozeAfter + std::chrono::seconds(1);
  }
  return std::nullopt;
}

void ConsoleSession::Reply(std::vector<std::uint8_t> bytes, std::vector<Outgoing>& out) {
  Faults& f = core_.faults();
  if (f.garbage > 0) {
    // Noise instead of the reply: printable and high bytes, never a line end or ACK.
    std::vector<std::uint8_t> noise(static_cast<std::size_t>(f.garbage));
    unsigned x = 0x2545F491U;
    for (auto& c : noise) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<std::uint8_t>(0x20 + x % 0xD0);
      if (c == 0x7F) c = '#';
    }
    f.garbage = 0;
    out.push_back({std::move(noise), {}, false});
    return;
  }
  out.push_back({std::move(bytes), {}, false});
}

void ConsoleSession::ReplyText(const std::string& text, std::vector<Outgoing>& out) {
  Reply(BytesOf(text), out);
}

void ConsoleSession::ReplyBlock(std::vector<std::uint8_t> block, bool ack,
                                std::vector<Outgoing>& out) {
  last_block_ = block;
  Faults& f = core_.faults();
  if (f.bad_crc > 0 && !block.empty()) {
    block.back() ^= 0x5A;
    --f.bad_crc;
  }
  std::vector<std::uint8_t> bytes;
  if (ack) bytes.push_back(p::kAck);
  bytes.insert(bytes.end(), block.begin(), block.end());
  if (f.drop_mid) {
    f.drop_mid = false;
    bytes.resize(bytes.size() / 2);
    out.push_back({std::move(bytes), {}, true});
    mode_ = Mode::kIdle;
    loop_remaining_ = 0;
    return;
  }
  Reply(std::move(bytes), out);
}

void ConsoleSession::SendLoopPacket(std::vector<Outgoing>& out) {
  core_.Tick();
  bool loop2 = false;
  if (loop_mask_ == p::kLpsLoop2) {
    loop2 = true;
  } else if (loop_mask_ == (p::kLpsLoop | p::kLpsLoop2)) {
    loop2 = next_is_loop2_;
    next_is_loop2_ = !next_is_loop2_;
  }
  const ConsoleTime t = BreakDown(core_.ConsoleNow());
  ReplyBlock(
      loop2 ? EncodeLoop2(core_.model().Current(), t.minute) : EncodeLoop(core_.model().Current()),
      false, out);
}

void ConsoleSession::OnArchiveByte(std::uint8_t b, std::vector<Outgoing>& out) {
  if (b == p::kEsc) {
    mode_ = Mode::kIdle;
    return;
  }
  if (mode_ == Mode::kArchiveStart) {
    if (b != p::kAck) return;
    mode_ = Mode::kArchivePages;
    archive_page_ = 0;
  } else if (b == p::kAck) {
    ++archive_page_;
  }  // NAK: the same page again
  if (archive_page_ >= archive_plan_.pages) {
    mode_ = Mode::kIdle;
    return;
  }
  SendArchivePage(out);
}

void ConsoleSession::SendArchivePage(std::vector<Outgoing>& out) {
  Faults& f = core_.faults();
  const int physical = archive_plan_.first_slot / p::kArchiveRecordsPerPage + archive_page_;
  std::vector<std::uint8_t> page =
      core_.archive().Page(physical, static_cast<std::uint8_t>(archive_page_ & 0xFF));
  bool corrupt = archive_page_ == f.archive_dead_page;
  if (archive_page_ == f.archive_bad_page) {
    corrupt = true;
    f.archive_bad_page = -1;
  }
  if (corrupt) page[page.size() - 1] ^= 0x5A;
  if (archive_page_ == f.archive_drop) {
    f.archive_drop = -1;
    page.resize(page.size() / 2);
    out.push_back({std::move(page), {}, true});
    mode_ = Mode::kIdle;
    return;
  }
  Reply(std::move(page), out);
}

void ConsoleSession::FinishHostBlock(std::vector<Outgoing>& out) {
  mode_ = Mode::kIdle;
  const bool good = p::CrcBlockValid(host_bytes_);
  if (host_block_ == HostBlock::kDmpAft) {
    if (!good) {
      // Asked again: the stamp is expected once more.
      Reply({p::kNak}, out);
      mode_ = Mode::kHostBlock;
      host_bytes_.clear();
      return;
    }
    const auto date = static_cast<std::uint16_t>(host_bytes_[0] | (host_bytes_[1] << 8));
    const auto time = static_cast<std::uint16_t>(host_bytes_[2] | (host_bytes_[3] << 8));
    Faults& f = core_.faults();
    core_.Tick();
    archive_plan_ = core_.archive().After(date, time, f.archive_stamp_miss);
    f.archive_stamp_miss = false;
    std::vector<std::uint8_t> announce{static_cast<std::uint8_t>(archive_plan_.pages & 0xFF),
                                       static_cast<std::uint8_t>(archive_plan_.pages >> 8),
                                       static_cast<std::uint8_t>(archive_plan_.first_index), 0};
    p::AppendCrc(announce);
    ReplyBlock(std::move(announce), true, out);
    if (mode_ == Mode::kIdle) mode_ = Mode::kArchiveStart;  // unless the link dropped
    return;
  }
  if (!good) {
    Reply({p::kCancel}, out);
    return;
  }
  if (host_block_ == HostBlock::kSetTime && core_.faults().settime_nak) {
    Reply({p::kNak}, out);
    return;
  }
  if (host_block_ == HostBlock::kSetTime) {
    const auto& b = host_bytes_;
    const int sec = b[0], min = b[1], hour = b[2], day = b[3], month = b[4], year = b[5] + 1900;
    if (sec > 59 || min > 59 || hour > 23 || day < 1 || day > 31 || month < 1 || month > 12) {
      Reply({p::kCancel}, out);
      return;
    }
    core_.SetWallTime(MakeConsoleSeconds(year, month, day, hour, min, sec));
  } else if (host_block_ == HostBlock::kEebwr) {
    core_.eeprom().Write(host_block_addr_, host_bytes_.data(), host_block_size_);
  }
  Reply({p::kAck}, out);
}

void ConsoleSession::Execute(const std::string& line, TimePoint now, std::vector<Outgoing>& out) {
  Faults& f = core_.faults();
  if (f.stop_after > 0) --f.stop_after;
  ++core_.stats().commands;
  const std::vector<std::string> a = Args(line);
  const std::string cmd = a.empty() ? std::string() : a[0];
  auto unknown = [&] { Reply(BytesOf(p::kUnknownCommandReply), out); };
  auto ack = [&] { Reply({p::kAck}, out); };
  auto ok = [&] { ReplyText(std::string(p::kOkPrefix), out); };
  auto expect_args = [&](std::size_t n) { return a.size() == n + 1; };

  if (cmd == p::kCmdTest && expect_args(0)) {
    ReplyText(std::string(p::kTestReply), out);
  } else if (line == std::string(p::kCmdWrd) + char(p::kWrdArg1) + char(p::kWrdArg2)) {
    Reply({p::kAck, core_.scenario().model_code}, out);
  } else if (cmd == p::kCmdRxCheck && expect_args(0)) {
    core_.Tick();
    ReplyText(EncodeRxCheck(core_.model().Rx()), out);
  } else if (cmd == p::kCmdRxTest && expect_args(0)) {
    ok();
  } else if (cmd == p::kCmdVer && expect_args(0)) {
    ReplyText(EncodeTextLine(std::string(core_.scenario().firmware_date)), out);
  } else if (cmd == p::kCmdNver && expect_args(0)) {
    ReplyText(EncodeTextLine(std::string(core_.scenario().firmware_version)), out);
  } else if (cmd == p::kCmdReceivers && expect_args(0)) {
    std::vector<std::uint8_t> bytes = BytesOf(p::kOkPrefix);
    bytes.push_back(core_.eeprom().U8(ee::kUsedTransmitters));
    Reply(std::move(bytes), out);
  } else if ((cmd == p::kCmdLoop && expect_args(1)) || (cmd == p::kCmdLps && expect_args(2))) {
    long mask = p::kLpsLoop, n = 0;
    const bool lps = cmd == p::kCmdLps;
    if ((lps && !ParseNumber(a[1], mask, 10)) || !ParseNumber(a[lps ? 2 : 1], n, 10) || n < 1 ||
        mask < 1 || mask > 3) {
      unknown();
      return;
    }
    ack();
    mode_ = Mode::kLoop;
    loop_mask_ = static_cast<int>(mask);
    loop_remaining_ = static_cast<int>(std::min(n, 65535L));
    next_is_loop2_ = false;
    next_packet_ = now;
    Poll(now, out);
  } else if (cmd == p::kCmdHilows && expect_args(0)) {
    core_.Tick();
    ReplyBlock(EncodeHiLows(core_.model().HighsLows()), true, out);
  } else if (cmd == p::kCmdGetTime && expect_args(0)) {
    ReplyBlock(EncodeTime(BreakDown(core_.WallNow())), true, out);
  } else if (cmd == p::kCmdDmpAft && expect_args(0)) {
    ack();
    mode_ = Mode::kHostBlock;
    host_block_ = HostBlock::kDmpAft;
    host_block_size_ = p::kArchiveStampSize;
    host_bytes_.clear();
  } else if (cmd == p::kCmdDmp && expect_args(0)) {
    // The whole memory from its oldest record, without the stamp exchange.
    core_.Tick();
    archive_plan_ = core_.archive().After(0, 0, true);
    ack();
    archive_page_ = 0;
    mode_ = Mode::kArchivePages;
    if (archive_plan_.pages == 0) {
      mode_ = Mode::kIdle;
    } else {
      SendArchivePage(out);
    }
  } else if (cmd == p::kCmdCaled && expect_args(0)) {
    core_.Tick();
    ReplyBlock(EncodeCalibration(core_.model().Current()), true, out);
  } else if (cmd == p::kCmdGetEe && expect_args(0)) {
    const auto& bytes = core_.eeprom().Bytes();
    std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
    p::AppendCrc(block);
    ReplyBlock(std::move(block), true, out);
  } else if ((cmd == p::kCmdEebrd || cmd == p::kCmdEerd || cmd == p::kCmdEebwr) && expect_args(2)) {
    long addr = 0, count = 0;
    if (!ParseNumber(a[1], addr, 16) || !ParseNumber(a[2], count, 16) || count < 1 ||
        addr + count > static_cast<long>(p::kEepromSize)) {
      unknown();
      return;
    }
    if (cmd == p::kCmdEebwr) {
      ack();
      mode_ = Mode::kHostBlock;
      host_block_ = HostBlock::kEebwr;
      host_block_addr_ = static_cast<std::size_t>(addr);
      host_block_size_ = static_cast<std::size_t>(count);
      host_bytes_.clear();
      return;
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
    core_.eeprom().Read(static_cast<std::size_t>(addr), data.size(), data.data());
    if (cmd == p::kCmdEebrd) {
      p::AppendCrc(data);
      ReplyBlock(std::move(data), true, out);
    } else {
      std::string text(p::kOkPrefix);
      char hex[3];
      for (std::uint8_t b : data) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
        text += p::kLineEnd;
      }
      ReplyText(text, out);
    }
  } else if (cmd == p::kCmdEewr && expect_args(2)) {
    long addr = 0, value = 0;
    if (!ParseNumber(a[1], addr, 16) || !ParseNumber(a[2], value, 16) || value > 255 ||
        addr >= static_cast<long>(p::kEepromSize)) {
      unknown();
      return;
    }
    core_.eeprom().SetU8(static_cast<std::size_t>(addr), static_cast<std::uint8_t>(value));
    ok();
  } else if ((cmd == p::kCmdSetTime || cmd == p::kCmdCalfix) && expect_args(0)) {
    ack();
    mode_ = Mode::kHostBlock;
    host_block_ = cmd == p::kCmdSetTime ? HostBlock::kSetTime : HostBlock::kCalfix;
    host_block_size_ = cmd == p::kCmdSetTime ? p::kTimeBlockSize : p::kCalibrationBlockSize;
    host_bytes_.clear();
  } else if (cmd.rfind(p::kCmdBarSet, 0) == 0 && a.size() == 2) {
    long bar = 0, elevation = 0;
    if (!ParseNumber(cmd.substr(p::kCmdBarSet.size()), bar, 10) ||
        !ParseNumber(a[1], elevation, 10) || elevation > 15000 || elevation < -2000) {
      unknown();
      return;
    }
    // The offset is stored in a signed EEPROM word: a reading it cannot hold
    // is refused like a malformed command.
    const Value& now_bar = core_.model().Current().barometer;
    const double offset = bar != 0 && now_bar ? static_cast<double>(bar) - *now_bar * 1000.0 : 0;
    if (!(offset >= -32768.0 && offset <= 32767.0)) {
      unknown();
      return;
    }
    core_.eeprom().SetS16(ee::kElevation, static_cast<std::int16_t>(elevation));
    if (bar != 0 && now_bar) core_.eeprom().SetS16(ee::kBarCal, static_cast<std::int16_t>(offset));
    ok();
  } else if (cmd == p::kCmdBarData && expect_args(0)) {
    core_.Tick();
    ReplyText(EncodeBarData(MakeBarData(core_.model().Current(), core_.eeprom())), out);
  } else if (cmd == p::kCmdClrAlm && expect_args(0)) {
    for (std::size_t i = 0; i < ee::kAlarmBlockSize; ++i) {
      core_.eeprom().SetU8(ee::kAlarmBase + i, ee::kAlarmByteNotSet);
    }
    core_.eeprom().SetU8(ee::kAlarmBarRise, ee::kAlarmBarNotSet);
    core_.eeprom().SetU8(ee::kAlarmBarFall, ee::kAlarmBarNotSet);
    ok();
    out.push_back({BytesOf(p::kDoneLine), std::chrono::milliseconds(300), false});
  } else if (cmd == p::kCmdClrCal && expect_args(0)) {
    core_.eeprom().SetS8(ee::kTempInCal, 0);
    core_.eeprom().SetU8(ee::kTempInComp, 0xFF);
    core_.eeprom().SetS8(ee::kTempOutCal, 0);
    for (std::size_t i = 0; i < ee::kTempCalCount; ++i) core_.eeprom().SetS8(ee::kTempCal + i, 0);
    core_.eeprom().SetS8(ee::kHumInCal, 0);
    for (std::size_t i = 0; i < ee::kHumCalCount; ++i) core_.eeprom().SetS8(ee::kHumCal + i, 0);
    ack();
  } else if (cmd == p::kCmdClrLog && expect_args(0)) {
    core_.ClearArchive();
    ack();
  } else if ((cmd == p::kCmdClrBits || cmd == p::kCmdClrData || cmd == p::kCmdNewSetup ||
              cmd == p::kCmdStart || cmd == p::kCmdStop) &&
             expect_args(0)) {
    ack();
  } else if ((cmd == p::kCmdPutRain || cmd == p::kCmdPutEt) && expect_args(1)) {
    long n = 0;
    if (!ParseNumber(a[1], n, 10) || n > 0xFFFE) {
      unknown();
      return;
    }
    ack();
  } else if (cmd == p::kCmdSetPer && expect_args(1)) {
    long m = 0;
    const long periods[] = {1, 5, 10, 15, 30, 60, 120};
    if (!ParseNumber(a[1], m, 10) ||
        std::find(std::begin(periods), std::end(periods), m) == std::end(periods)) {
      unknown();
      return;
    }
    core_.eeprom().SetU8(ee::kArchivePeriod, static_cast<std::uint8_t>(m));
    core_.ClearArchive();  // a new interval clears the archive
    ack();
  } else if (cmd == p::kCmdBaud && expect_args(1)) {
    long rate = 0;
    const bool valid = ParseNumber(a[1], rate, 10) &&
                       std::find(std::begin(p::kBaudRates), std::end(p::kBaudRates), rate) !=
                           std::end(p::kBaudRates);
    if (!valid) {
      ReplyText(std::string(p::kNoPrefix), out);
      return;
    }
    if (core_.baud() > 0) core_.set_baud(static_cast<int>(rate));
    ok();
  } else if (cmd == p::kCmdLamps && expect_args(1) && (a[1] == "0" || a[1] == "1")) {
    ok();
  } else {
    unknown();
  }
}

}  // namespace tv::sim
