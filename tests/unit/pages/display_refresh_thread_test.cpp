#include "gadget/pages/display_refresh_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace tv {
namespace {

using std::chrono::milliseconds;
using Calls = std::vector<std::string>;

// The five services, views that record their runs.
class DisplayRefresh : public ::testing::Test {
 protected:
  DisplayRefresh() {
    for (const char* name : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
      flags_.Register(name);
    }
  }

  DisplayViews Views() {
    auto record = [this](const char* name) {
      return [this, name] {
        std::lock_guard lock(mutex_);
        calls_.push_back(name);
      };
    };
    return {.reset = record("reset"),
            .current_data = record("CurrentData"),
            .config_station = record("ConfigStation"),
            .hi_low = record("HiLow"),
            .calibration = record("Calibration"),
            .alarm = record("Alarm")};
  }

  Calls TakeCalls() {
    std::lock_guard lock(mutex_);
    return std::exchange(calls_, {});
  }

  ManualClock clock_;
  StationRecord record_;
  ServiceFreshFlags flags_;
  std::mutex mutex_;
  Calls calls_;
};

TEST_F(DisplayRefresh, ResetsOnceUntilReachedThenDrawsOnlyFreshViews) {
  DisplayRefreshThread thread(clock_, record_, flags_, Views());
  thread.Start();
  for (int second = 0; second < 3; ++second) {
    ASSERT_TRUE(clock_.WaitForSleepers(1));
    clock_.Advance(milliseconds{1000});
  }
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), Calls{"reset"}) << "the empty look once, not once a second";
  EXPECT_FALSE(thread.DisplayFilled());

  record_.LinkConnected = 1;
  flags_.Raise("CurrentData");
  clock_.Advance(milliseconds{1000});
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), Calls{"CurrentData"});
  EXPECT_TRUE(thread.DisplayFilled());
  EXPECT_FALSE(flags_.IsRaised("CurrentData"));

  record_.LinkConnected = 0;  // the link is lost: the last values stay
  clock_.Advance(milliseconds{1000});
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), Calls{}) << "nothing new, no reset any more";

  flags_.Raise("HiLow");
  flags_.Raise("Alarm");
  clock_.Advance(milliseconds{1000});
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), (Calls{"Alarm", "HiLow"})) << "both in one pass, in the table's order";
  EXPECT_FALSE(flags_.IsRaised("HiLow"));
  EXPECT_FALSE(flags_.IsRaised("Alarm"));
  thread.Stop();
}

TEST_F(DisplayRefresh, OnceReachedSleepsUntilAFlagIsRaisedThenDrawsItAtOnce) {
  DisplayRefreshThread thread(clock_, record_, flags_, Views());
  record_.LinkConnected = 1;
  thread.Start();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  clock_.Advance(std::chrono::minutes{10});
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), Calls{}) << "nothing raised: no pass to draw";

  flags_.Raise("CurrentData");
  clock_.Advance(kDisplayRefreshSettle);
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_EQ(TakeCalls(), Calls{"CurrentData"}) << "drawn once settled, not a second later";
  thread.Stop();
}

TEST_F(DisplayRefresh, StationReachedWhenConnectedOrWhenAServiceCollected) {
  const struct Row {
    const char* legend;
    int connected;
    const char* raised;  // null: none
    Calls first_pass;
  } rows[] = {
      {"not reached", 0, nullptr, {"reset"}},
      {"connected, nothing collected yet", 1, nullptr, {}},
      {"collected over a link already closed again", 0, "ConfigStation", {"ConfigStation"}},
  };
  for (const Row& row : rows) {
    ServiceFreshFlags flags;
    flags.Register("ConfigStation");
    if (row.raised != nullptr) flags.Raise(row.raised);
    record_.LinkConnected = row.connected;
    DisplayRefreshThread thread(clock_, record_, flags, Views());
    thread.RunPass();
    EXPECT_EQ(TakeCalls(), row.first_pass) << row.legend;
    record_.LinkConnected = 0;
    thread.RunPass();
    EXPECT_EQ(TakeCalls(), Calls{})
        << row.legend << ": reached once, reached for good; reset drawn once";
  }
}

TEST_F(DisplayRefresh, DataStoredWhileAViewDrawsIsDrawnAgain) {
  int draws = 0;
  DisplayViews views = Views();
  views.hi_low = [&] {
    // The collection stores new records while this view reads the old ones.
    if (++draws == 1) flags_.Raise("HiLow");
  };
  DisplayRefreshThread thread(clock_, record_, flags_, std::move(views));
  record_.LinkConnected = 1;
  flags_.Raise("HiLow");
  thread.RunPass();
  EXPECT_EQ(draws, 1);
  EXPECT_TRUE(flags_.IsRaised("HiLow"));
  thread.RunPass();
  EXPECT_EQ(draws, 2);
  thread.RunPass();
  EXPECT_EQ(draws, 2);
}

TEST_F(DisplayRefresh, UnknownServiceIsLoweredAndAFailingViewStopsNothing) {
  flags_.Register("Other");
  DisplayViews views = Views();
  views.alarm = [] { throw std::runtime_error("view failed"); };
  std::vector<std::string> drawn;
  DisplayRefreshThread thread(clock_, record_, flags_, std::move(views),
                              [&](std::string_view service) { drawn.emplace_back(service); });
  record_.LinkConnected = 1;
  flags_.Raise("Other");
  flags_.Raise("Alarm");
  thread.Start();
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  EXPECT_FALSE(flags_.IsRaised("Other"));
  EXPECT_FALSE(flags_.IsRaised("Alarm"));
  EXPECT_FALSE(thread.DisplayFilled());

  flags_.Raise("CurrentData");
  clock_.Advance(milliseconds{1000});
  ASSERT_TRUE(clock_.WaitForSleepers(1));
  thread.Stop();
  EXPECT_EQ(TakeCalls(), Calls{"CurrentData"}) << "the thread went on after the failure";
  EXPECT_EQ(drawn, std::vector<std::string>{"CurrentData"});
  EXPECT_TRUE(thread.DisplayFilled());
}

}  // namespace
}  // namespace tv
