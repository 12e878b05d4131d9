#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "lib/common/clock.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

using namespace std::chrono_literals;

TEST(ManualClock, SleeperWakesOnlyWhenTimeReachesDeadline) {
  ManualClock clock;
  std::atomic<bool> woke{false};
  std::jthread t([&] {
    EXPECT_TRUE(clock.SleepFor(1000ms));
    woke = true;
  });
  ASSERT_TRUE(clock.WaitForSleepers(1));
  clock.Advance(999ms);
  EXPECT_FALSE(woke.load());
  clock.Advance(1ms);
  t.join();
  EXPECT_TRUE(woke.load());
}

TEST(ManualClock, StopRequestEndsSleepEarly) {
  ManualClock clock;
  std::stop_source source;
  bool elapsed = true;
  std::jthread t([&] { elapsed = clock.SleepFor(1h, source.get_token()); });
  ASSERT_TRUE(clock.WaitForSleepers(1));
  source.request_stop();
  t.join();
  EXPECT_FALSE(elapsed);
  EXPECT_EQ(clock.Sleepers(), 0u);
}

TEST(SystemClock, StopRequestEndsSleepEarly) {
  std::stop_source source;
  source.request_stop();
  EXPECT_FALSE(DefaultClock().SleepFor(1h, source.get_token()));
}

// A system sleep naps on the system's timed wait, which does not count the
// time the computer is suspended, and reads its face again after each nap:
// a face that ran on meanwhile ends the sleep at once.
TEST(SystemClock, SleepReadsItsFaceAgainAfterEachNap) {
  const Clock::SteadyPoint base{100h};
  struct Row {
    const char* legend;
    Clock::SteadyPoint deadline;
    Clock::Duration jump;  // how far the face moves during each nap
    bool elapsed;
    int reads;
  };
  const Row rows[] = {
      {"a suspend carries the face past the deadline", base + 1h, 2h, true, 2},
      {"naps of less than the deadline: napped on", base + 30ms, 20ms, true, 3},
      {"the deadline has passed already: no nap", base - 1s, 0ms, true, 1},
  };
  for (const Row& row : rows) {
    std::atomic<int> reads{0};
    const auto face = [&] { return base + row.jump * reads.fetch_add(1); };
    // Ends a sleep that would outlast the test (a face no longer read).
    std::stop_source guard;
    std::mutex m;
    std::condition_variable_any cv;
    bool done = false;
    std::jthread watchdog([&] {
      std::unique_lock lock(m);
      if (!cv.wait_for(lock, 5s, [&] { return done; })) guard.request_stop();
    });
    EXPECT_EQ(SleepUntilOnFace(row.deadline, guard.get_token(), face, 10ms), row.elapsed)
        << row.legend;
    {
      std::lock_guard lock(m);
      done = true;
    }
    cv.notify_all();
    watchdog.join();
    EXPECT_FALSE(guard.stop_requested()) << row.legend << ": ended by its face";
    EXPECT_EQ(reads.load(), row.reads) << row.legend;
  }
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(SleepUntilOnFace(
      base + 1h, stop.get_token(), [&] { return base; }, 10ms))
      << "a stop asked ends it";
  // A stop asked during a nap ends the nap itself (a wake-up of a worker).
  std::stop_source later;
  std::atomic<bool> napping{false};
  std::jthread asker([&] {
    while (!napping) std::this_thread::yield();
    later.request_stop();
  });
  EXPECT_FALSE(SleepUntilOnFace(
      base + 2h, later.get_token(),
      [&] {
        napping = true;
        return base;
      },
      1h))
      << "a stop asked during a nap ends it";
}

TEST(NamedHandles, RegistryRules) {
  ClearNamedHandles();
  EXPECT_EQ(LookupHandle("ICO_VT", kHandleKindImage), 0) << "lookup before any registration";
  EXPECT_EQ(RegisterHandle("ICO_VT", kHandleKindImage, 42), "0_ICO_VT");
  EXPECT_EQ(LookupHandle("ICO_VT", kHandleKindImage), 42);
  EXPECT_EQ(LookupHandle("ICO_VT", kHandleKindBlink), 0) << "kinds are separate";
  RegisterHandle("ICO_VT", kHandleKindImage, 43, "second");
  EXPECT_EQ(LookupHandle("ICO_VT", kHandleKindImage), 43) << "the last registration wins";
  EXPECT_EQ(LookupHandleNote("ICO_VT", kHandleKindImage), "second");
  EXPECT_EQ(RegisterHandle("CLIGNOTANT_ALERTE", kHandleKindBlink, -5), "1_CLIGNOTANT_ALERTE");
  EXPECT_EQ(LookupHandle("CLIGNOTANT_ALERTE", kHandleKindBlink), -5);
  ClearNamedHandles();
}

TEST(NamedHandles, ConcurrentRegistrationsAndLookups) {
  ClearNamedHandles();
  std::vector<std::jthread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 500; ++i) {
        RegisterHandle("ICO_" + std::to_string(i), t % 2, i + 1);
        (void)LookupHandle("ICO_" + std::to_string(i), t % 2);
      }
    });
  }
  threads.clear();
  EXPECT_EQ(LookupHandle("ICO_499", 1), 500);
  ClearNamedHandles();
}

// Records the visibility sequence a blinking task produces.
}  // namespace
}  // namespace tv
