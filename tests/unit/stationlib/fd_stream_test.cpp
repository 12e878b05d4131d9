// The input flush of a real descriptor: bounded in bytes and in time on a
// line that never stops talking, complete on a backlog, and ended at once by
// an interrupt from another thread.
#include "stationlib/fd_stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>

#include "tests/unit/stationlib/endless_line.h"
#include "tests/unit/stationlib/socket_console.h"

namespace tv::stationlib {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
constexpr std::size_t kNoByteBound = std::numeric_limits<std::size_t>::max();

TEST(FdStream, InputFlushStopsAtItsBound) {
  struct Row {
    const char* legend;
    FlushBound bound;
    IoStatus expected;
  } rows[] = {
      {"the default bound, on a line that keeps talking", {}, IoStatus::kTimeout},
      {"a byte bound, on a line that keeps talking", {1 << 20, hours(1)}, IoStatus::kTimeout},
      {"a time bound, on a line that keeps talking",
       {kNoByteBound, milliseconds(20)},
       IoStatus::kTimeout},
  };
  for (const Row& row : rows) {
    auto line = EndlessLine(row.bound);
    ASSERT_TRUE(line->Valid()) << row.legend;
    EXPECT_EQ(line->DiscardInput(), row.expected) << row.legend;
  }

  SocketConsole backlog("", "", 10'000);
  while (backlog.Flooded() < 10'000) std::this_thread::yield();
  auto socket = backlog.LinkEnd({kNoByteBound, hours(1)});
  EXPECT_EQ(socket->DiscardInput(), IoStatus::kOk) << "a backlog is dropped whole";
  std::uint8_t byte = 0;
  std::size_t got = 0;
  EXPECT_EQ(socket->Read({&byte, 1}, got, SteadyClock::now()), IoStatus::kTimeout)
      << "nothing is left after the flush";
}

TEST(FdStream, InterruptEndsARunningFlush) {
  auto line = EndlessLine({kNoByteBound, hours(1)});
  ASSERT_TRUE(line->Valid());
  const std::uint64_t before = BytesReadByProcess();
  IoStatus status = IoStatus::kOk;
  std::thread flush([&] { status = line->DiscardInput(); });
  // The flush is under way once it has dropped a good many bytes.
  while (BytesReadByProcess() < before + (64 << 20)) std::this_thread::yield();
  line->Interrupt();
  flush.join();
  EXPECT_EQ(status, IoStatus::kInterrupted);
}

}  // namespace
}  // namespace tv::stationlib
