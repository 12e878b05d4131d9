#include <gtest/gtest.h>

#include <atomic>
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
