#include "stationlib/console_link.h"

#include <algorithm>

#include "protocol/commands.h"
#include "protocol/crc.h"
#include "protocol/packets.h"
#include "stationlib/frame_trace.h"

namespace tv::stationlib {

namespace proto = tv::protocol;

namespace {

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Printable name of a command for the trace (WRD carries binary bytes).
std::string CommandName(std::string_view command) {
  std::string name;
  for (const char c : command) {
    if (c >= 0x20 && c < 0x7F) name += c;
  }
  return name;
}

}  // namespace

ConsoleLink::ConsoleLink(std::unique_ptr<ByteStream> stream, LinkTimings timings)
    : stream_(std::move(stream)), timings_(timings), recorder_(LinkRecorder::FromEnvironment()) {}

void ConsoleLink::Interrupt() {
  failed_.store(true);
  stream_->Interrupt();
}

LinkError ConsoleLink::FromIo(IoStatus status) {
  switch (status) {
    case IoStatus::kOk:
      return LinkError::kNone;
    case IoStatus::kTimeout:
      return LinkError::kNoReply;
    case IoStatus::kClosed:
      failed_.store(true);
      return LinkError::kClosed;
    case IoStatus::kInterrupted:
      failed_.store(true);
      return LinkError::kInterrupted;
  }
  return LinkError::kNoReply;
}

bool ConsoleLink::Send(std::string_view what, std::span<const std::uint8_t> bytes) {
  TraceFrame("> ", std::string(what), bytes);
  const IoStatus status = stream_->Write(bytes, BlockDeadline(bytes.size()));
  bytes_.fetch_add(bytes.size());
  if (recorder_) {
    recorder_->Sent(bytes);
    if (status == IoStatus::kClosed) recorder_->Closed();
  }
  last_error_ = FromIo(status);
  return status == IoStatus::kOk;
}

IoStatus ConsoleLink::ReadSome(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) {
  const IoStatus status = stream_->Read(out, got, deadline);
  if (status == IoStatus::kOk) bytes_.fetch_add(got);
  if (recorder_) {
    if (status == IoStatus::kOk) recorder_->Received(out.first(got));
    if (status == IoStatus::kClosed) recorder_->Closed();
  }
  return status;
}

IoStatus ConsoleLink::ReadExact(std::span<std::uint8_t> out, Deadline deadline) {
  std::size_t done = 0;
  while (done < out.size()) {
    std::size_t got = 0;
    const IoStatus status = ReadSome(out.subspan(done), got, deadline);
    if (status != IoStatus::kOk) return status;
    done += got;
  }
  return IoStatus::kOk;
}

Deadline ConsoleLink::BlockDeadline(std::size_t bytes) const {
  // Over TCP the logger still talks to the console at 19200 baud.
  const int baud = stream_->BaudRate() > 0 ? stream_->BaudRate() : proto::kDefaultBaud;
  const auto wire = std::chrono::microseconds(static_cast<long long>(bytes) * proto::kBitsPerByte *
                                              1'000'000 / baud);
  return stream_->Now() + timings_.block_margin + wire + wire / 2;
}

bool ConsoleLink::Wake() {
  if (failed_.load()) {
    last_error_ = LinkError::kInterrupted;
    return false;
  }
  for (int attempt = 0; attempt < timings_.wake_attempts; ++attempt) {
    // Stray input (the end of a reply abandoned earlier) would be taken for
    // the wake-up reply. A flush that meets its bound leaves a talking line
    // to the wake-up reply's own limit.
    const IoStatus flushed = stream_->DiscardInput();
    if (flushed == IoStatus::kClosed || flushed == IoStatus::kInterrupted) {
      last_error_ = FromIo(flushed);
      if (recorder_ && flushed == IoStatus::kClosed) recorder_->Closed();
      return false;
    }
    if (!Send("wake-up", AsBytes(proto::kWakeRequest))) return false;
    const Deadline deadline = stream_->Now() + timings_.wake_timeout;
    // Accept stray line ends around the reply: look for LF followed by CR.
    std::vector<std::uint8_t> seen;
    bool prev_lf = false;
    while (seen.size() < kWakeReplyLimit) {
      std::uint8_t byte = 0;
      std::size_t got = 0;
      const IoStatus status = ReadSome({&byte, 1}, got, deadline);
      if (status == IoStatus::kTimeout) break;
      if (status != IoStatus::kOk) {
        last_error_ = FromIo(status);
        TraceFrame("< ", "wake-up reply", seen);
        return false;
      }
      seen.push_back(byte);
      if (prev_lf && byte == proto::kCr) {
        TraceFrame("< ", "wake-up reply", seen);
        last_error_ = LinkError::kNone;
        return true;
      }
      prev_lf = byte == proto::kLf;
    }
    TraceFrame("< ", seen.empty() ? "wake-up reply (none)" : "wake-up reply (no LF CR)", seen);
  }
  last_error_ = LinkError::kNoWake;
  return false;
}

bool ConsoleLink::SendCommand(std::string_view command) {
  std::string line(command);
  line += proto::kCommandTerminator;
  return Send(CommandName(command), AsBytes(line));
}

LinkError ConsoleLink::ReadAck() {
  Deadline deadline = stream_->Now() + timings_.reply_timeout;
  std::vector<std::uint8_t> seen;
  bool prev_lf = false;
  for (;;) {
    std::uint8_t byte = 0;
    std::size_t got = 0;
    const IoStatus status = ReadSome({&byte, 1}, got, deadline);
    if (status != IoStatus::kOk) {
      TraceFrame("< ", "no acknowledgement", seen);
      return FromIo(status);
    }
    if (byte == proto::kAck) return LinkError::kNone;
    seen.push_back(byte);
    if (byte != proto::kLf && byte != proto::kCr) {
      TraceFrame("< ", "unexpected reply", seen);
      return LinkError::kNoReply;
    }
    if (seen.size() >= kAckPrefixLimit) {
      TraceFrame("< ", "line ends and no ACK", seen);
      return LinkError::kTooLong;
    }
    // A bare line end is how a console refuses a command it does not know.
    if (prev_lf && byte == proto::kCr) {
      deadline = std::min(deadline, stream_->Now() + timings_.refusal_grace);
    }
    prev_lf = byte == proto::kLf;
  }
}

std::optional<std::vector<std::uint8_t>> ConsoleLink::Binary(std::string_view command,
                                                             std::size_t data_size, bool with_crc,
                                                             int attempts) {
  const std::size_t block_size = data_size + (with_crc ? proto::kCrcSize : 0);
  const int tries = attempts > 0 ? attempts : timings_.command_attempts;
  const std::string name = CommandName(command);
  for (int attempt = 0; attempt < tries; ++attempt) {
    if (!Wake()) return std::nullopt;
    if (!SendCommand(command)) return std::nullopt;
    last_error_ = ReadAck();
    if (last_error_ == LinkError::kClosed || last_error_ == LinkError::kInterrupted ||
        last_error_ == LinkError::kTooLong) {
      return std::nullopt;
    }
    if (last_error_ != LinkError::kNone) continue;
    std::vector<std::uint8_t> block(block_size);
    for (int ask = 0; ask <= timings_.crc_retries; ++ask) {
      if (ask > 0) {
        const std::uint8_t nak = proto::kNak;
        if (!Send("NAK " + name, {&nak, 1})) return std::nullopt;
      }
      const IoStatus status = ReadExact(block, BlockDeadline(block_size));
      TraceFrame("< ", name + " reply", block);
      last_error_ = FromIo(status);
      if (status != IoStatus::kOk) {
        if (last_error_ == LinkError::kClosed || last_error_ == LinkError::kInterrupted) {
          return std::nullopt;
        }
        break;  // incomplete block: start again with a fresh wake-up
      }
      if (!with_crc || proto::CrcBlockValid(block)) {
        block.resize(data_size);
        last_error_ = LinkError::kNone;
        return block;
      }
      last_error_ = LinkError::kBadCrc;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> ConsoleLink::Text(std::string_view command,
                                                          std::size_t lines) {
  const std::string name = CommandName(command);
  for (int attempt = 0; attempt < timings_.command_attempts; ++attempt) {
    if (!Wake()) return std::nullopt;
    if (!SendCommand(command)) return std::nullopt;
    // Complete tokens between line ends: "OK" first, then the lines.
    std::vector<std::string> tokens;
    std::string current;
    std::vector<std::uint8_t> seen;
    const std::size_t limit = kTextLineBudget * (lines + 1);
    const Deadline deadline = BlockDeadline(limit);
    const Deadline first_deadline = stream_->Now() + timings_.reply_timeout;
    bool refused = false;
    last_error_ = LinkError::kNone;
    while (tokens.size() < lines + 1) {
      if (seen.size() >= limit) {
        last_error_ = LinkError::kTooLong;
        break;
      }
      std::uint8_t buf[128];
      std::size_t got = 0;
      const std::size_t want = std::min(sizeof buf, limit - seen.size());
      const IoStatus status = ReadSome({buf, want}, got, seen.empty() ? first_deadline : deadline);
      if (status != IoStatus::kOk) {
        last_error_ = FromIo(status);
        break;
      }
      seen.insert(seen.end(), buf, buf + got);
      for (std::size_t i = 0; i < got; ++i) {
        const char c = static_cast<char>(buf[i]);
        if (c == '\n' || c == '\r') {
          if (!current.empty()) tokens.push_back(std::move(current));
          current.clear();
          if (tokens.size() == 1 && tokens[0] != "OK") refused = true;
        } else {
          current += c;
        }
      }
      if (refused) break;
    }
    TraceFrame("< ", name + " reply", seen);
    if (last_error_ == LinkError::kClosed || last_error_ == LinkError::kInterrupted ||
        last_error_ == LinkError::kTooLong) {
      return std::nullopt;
    }
    if (!refused && tokens.size() >= lines + 1) {
      last_error_ = LinkError::kNone;
      tokens.erase(tokens.begin());
      tokens.resize(lines);
      return tokens;
    }
    last_error_ = LinkError::kNoReply;
    if (refused) return std::nullopt;  // "NO" or garbage: asking again will not help
  }
  return std::nullopt;
}

bool ConsoleLink::SendLine(std::string_view command) {
  return SendCommand(command);
}

bool ConsoleLink::SendBytes(std::string_view what, std::span<const std::uint8_t> bytes) {
  return Send(what, bytes);
}

LinkError ConsoleLink::ReadAnswer(std::uint8_t& byte) {
  Deadline deadline = stream_->Now() + timings_.reply_timeout;
  std::vector<std::uint8_t> seen;
  bool prev_lf = false;
  for (;;) {
    std::size_t got = 0;
    const IoStatus status = ReadSome({&byte, 1}, got, deadline);
    if (status != IoStatus::kOk) {
      TraceFrame("< ", "no answer", seen);
      return last_error_ = FromIo(status);
    }
    if (byte != proto::kLf && byte != proto::kCr) {
      seen.push_back(byte);
      TraceFrame("< ", "answer", seen);
      return last_error_ = LinkError::kNone;
    }
    seen.push_back(byte);
    if (seen.size() >= kAckPrefixLimit) {
      TraceFrame("< ", "line ends and no answer", seen);
      return last_error_ = LinkError::kTooLong;
    }
    if (prev_lf && byte == proto::kCr) {
      deadline = std::min(deadline, stream_->Now() + timings_.refusal_grace);
    }
    prev_lf = byte == proto::kLf;
  }
}

LinkError ConsoleLink::ReadBlock(std::string_view what, std::span<std::uint8_t> out) {
  const IoStatus status = ReadExact(out, BlockDeadline(out.size()));
  TraceFrame("< ", std::string(what), out);
  return last_error_ = FromIo(status);
}

}  // namespace tv::stationlib
