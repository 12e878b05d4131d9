#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tv::stationlib {

using SteadyClock = std::chrono::steady_clock;
using Deadline = SteadyClock::time_point;

// Outcome of one read or write on a link.
enum class IoStatus {
  kOk,           // at least one byte moved
  kTimeout,      // the deadline passed first
  kClosed,       // the peer went away (EOF, hang-up) or the device failed
  kInterrupted,  // Interrupt() was called: the link is being closed
};

// A byte stream to the console: a serial line, a TCP connection or, in tests,
// a scripted console. Reads and writes never block past their deadline, and
// deadlines are times of the stream's own steady clock (Now()), so a test
// stream can run the link on a simulated clock.
// Interrupt() may be called from any thread while another thread is inside
// Read, Write or DiscardInput; every call after it returns kInterrupted.
class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Writes all of `data` before `deadline`.
  virtual IoStatus Write(std::span<const std::uint8_t> data, Deadline deadline) = 0;
  // Reads between 1 and out.size() bytes; `got` receives the count.
  virtual IoStatus Read(std::span<std::uint8_t> out, std::size_t& got, Deadline deadline) = 0;
  // Drops whatever input has arrived and not been read yet, within a bound in
  // bytes and in time: kOk once nothing is left, kTimeout when the bound was
  // reached with input still arriving (a console that keeps talking).
  virtual IoStatus DiscardInput() = 0;
  // Makes the current and every later call return kInterrupted.
  virtual void Interrupt() = 0;
  // The line rate, or 0 when the link has none (TCP): lets the framing layer
  // budget the wire time of long replies.
  virtual int BaudRate() const = 0;
  // The clock that deadlines are measured on.
  virtual Deadline Now() const { return SteadyClock::now(); }
};

}  // namespace tv::stationlib
