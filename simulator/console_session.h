#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/port_session.h"
#include "simulator/simulator_core.h"

namespace tv::sim {

// The console as one port sees it: wake-up, command lines, binary replies,
// LOOP/LPS runs, host blocks (SETTIME, EEBWR, CALFIX) and faults. Bytes in,
// Outgoing pieces out; no I/O of its own.
class ConsoleSession final : public PortSession {
 public:
  explicit ConsoleSession(SimulatorCore& core);

  void OnInput(const std::uint8_t* data, std::size_t size, TimePoint now,
               std::vector<Outgoing>& out) override;
  // Sends what is due (LOOP packets) and lets the console doze off when idle.
  void Poll(TimePoint now, std::vector<Outgoing>& out) override;
  // When Poll next has something to do.
  std::optional<TimePoint> NextDue() const override;

  bool asleep() const { return asleep_; }

 private:
  enum class Mode { kIdle, kLoop, kHostBlock, kArchiveStart, kArchivePages };
  enum class HostBlock { kSetTime, kEebwr, kCalfix, kDmpAft };

  void OnByte(std::uint8_t b, TimePoint now, std::vector<Outgoing>& out);
  void Execute(const std::string& line, TimePoint now, std::vector<Outgoing>& out);
  void FinishHostBlock(std::vector<Outgoing>& out);
  void Reply(std::vector<std::uint8_t> bytes, std::vector<Outgoing>& out);
  void ReplyText(const std::string& text, std::vector<Outgoing>& out);
  // A CRC-carrying block, preceded by ACK when `ack`.
  void ReplyBlock(std::vector<std::uint8_t> block, bool ack, std::vector<Outgoing>& out);
  void SendLoopPacket(std::vector<Outgoing>& out);
  // DMPAFT/DMP: the host's answer after the announcement or a page.
  void OnArchiveByte(std::uint8_t b, std::vector<Outgoing>& out);
  void SendArchivePage(std::vector<Outgoing>& out);

  SimulatorCore& core_;
  bool asleep_ = true;
  TimePoint last_input_;
  Mode mode_ = Mode::kIdle;
  std::string line_;
  bool line_overflow_ = false;
  // Host block being received.
  HostBlock host_block_ = HostBlock::kSetTime;
  std::size_t host_block_size_ = 0;
  std::size_t host_block_addr_ = 0;
  std::vector<std::uint8_t> host_bytes_;
  // LOOP/LPS run.
  int loop_remaining_ = 0;
  int loop_mask_ = 1;
  bool next_is_loop2_ = false;
  TimePoint next_packet_;
  // Archive download under way: what it sends and the page due.
  ArchiveMemory::Plan archive_plan_;
  int archive_page_ = 0;
  // The last CRC block sent, for a NAK resend.
  std::vector<std::uint8_t> last_block_;
};

}  // namespace tv::sim
