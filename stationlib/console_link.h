#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stationlib/byte_stream.h"
#include "stationlib/link_recorder.h"

namespace tv::stationlib {

// Time bounds of the exchanges with the console.
struct LinkTimings {
  // Each wake-up attempt waits this long for LF CR.
  std::chrono::milliseconds wake_timeout{1200};
  int wake_attempts = 3;
  // Time allowed for the first byte of a reply (ACK, "OK").
  std::chrono::milliseconds reply_timeout{2000};
  // After a bare line end where an ACK was expected, the console is taken to
  // have refused the command if nothing else comes within this time.
  std::chrono::milliseconds refusal_grace{300};
  // A binary block must arrive whole within its wire time plus this margin
  // (consoles have been seen pausing for up to two seconds mid-packet).
  std::chrono::milliseconds block_margin{2500};
  // Re-asks (NAK) of a block whose CRC failed, per command attempt.
  int crc_retries = 2;
  // Command attempts, each after a fresh wake-up.
  int command_attempts = 2;
};

enum class LinkError {
  kNone,
  kNoWake,       // the console never answered the wake-up
  kNoReply,      // no acknowledgement or no complete reply in time
  kBadCrc,       // the block kept failing its CRC
  kTooLong,      // the reply ran past the largest size its command can have
  kClosed,       // the line or the connection went away
  kInterrupted,  // the link is being closed from another thread
};

// The framing layer: wake-up, commands, acknowledgement, binary blocks with
// their CRC and text replies. Not thread-safe except Interrupt(), BytesExchanged()
// and Failed(): the owner serialises the exchanges.
class ConsoleLink {
 public:
  // Records the session when TV_STATION_RECORD names a file (LinkRecorder).
  explicit ConsoleLink(std::unique_ptr<ByteStream> stream, LinkTimings timings = {});

  // Wakes the console: flushes the input, LF, expect LF CR, a bounded number
  // of times. A reply of more than a few bytes without LF CR ends its attempt.
  bool Wake();

  // Sends `command` (without its line end) and reads ACK, then `data_size`
  // bytes and, when `with_crc`, their CRC. A block failing its CRC is asked
  // again with NAK; a missing reply is retried after a fresh wake-up.
  // `attempts` overrides the number of command attempts (0: the default).
  std::optional<std::vector<std::uint8_t>> Binary(std::string_view command, std::size_t data_size,
                                                  bool with_crc = true, int attempts = 0);

  // Sends `command` and reads a text reply: "OK", then `lines` lines. The
  // reply may be at most kTextLineBudget bytes per line ("OK" included);
  // past that the exchange fails with kTooLong.
  std::optional<std::vector<std::string>> Text(std::string_view command, std::size_t lines);

  // Bytes allowed per line of a text reply, its line end included.
  static constexpr std::size_t kTextLineBudget = 64;
  // Bytes allowed in a wake-up reply (LF CR and stray line ends around it).
  static constexpr std::size_t kWakeReplyLimit = 16;
  // Line ends allowed before an ACK.
  static constexpr std::size_t kAckPrefixLimit = 16;
  // Pieces of the exchanges that the two framings above do not cover (the
  // archive download, host blocks). Each sets LastError().
  // Sends `command` and its line end.
  bool SendLine(std::string_view command);
  // Sends `bytes` as they are; `what` names them in the trace.
  bool SendBytes(std::string_view what, std::span<const std::uint8_t> bytes);
  // Reads the console's one-byte answer (ACK, NAK, CANCEL ...) within the
  // reply time, line ends skipped; a bare line end and nothing more within
  // the refusal grace is no answer (kNoReply).
  LinkError ReadAnswer(std::uint8_t& byte);
  // Reads exactly out.size() bytes within their wire time plus the block margin.
  LinkError ReadBlock(std::string_view what, std::span<std::uint8_t> out);
  // Drops the input not read yet.
  IoStatus DiscardInput() { return stream_->DiscardInput(); }
  const LinkTimings& timings() const { return timings_; }

  // Makes the running and every later exchange fail with kInterrupted.
  void Interrupt();

  LinkError LastError() const { return last_error_; }
  // True once the line went away or was interrupted: every exchange fails.
  bool Failed() const { return failed_.load(); }
  // Bytes sent plus bytes received since the link was opened.
  std::uint64_t BytesExchanged() const { return bytes_.load(); }

 private:
  bool Send(std::string_view what, std::span<const std::uint8_t> bytes);
  IoStatus ReadSome(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline);
  // Reads exactly out.size() bytes before the deadline.
  IoStatus ReadExact(std::span<std::uint8_t> out, Deadline deadline);
  // Reads up to the ACK, skipping line ends. kNone when seen.
  LinkError ReadAck();
  LinkError FromIo(IoStatus status);
  Deadline BlockDeadline(std::size_t bytes) const;
  bool SendCommand(std::string_view command);

  std::unique_ptr<ByteStream> stream_;
  LinkTimings timings_;
  std::unique_ptr<LinkRecorder> recorder_;  // null unless recording
  LinkError last_error_ = LinkError::kNone;
  std::atomic<bool> failed_{false};
  std::atomic<std::uint64_t> bytes_{0};
};

}  // namespace tv::stationlib
