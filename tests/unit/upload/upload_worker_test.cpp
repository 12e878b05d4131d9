#include "gadget/upload/upload_worker.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

namespace tv {
namespace {

using std::chrono::seconds;

// Records every request and answers from a script (200 "success" once the
// script is used up).
class ScriptedHttp final : public HttpSender {
 public:
  SendResult Get(const HttpRequest& request, const std::string&, Clock::Duration,
                 std::stop_token) override {
    const std::lock_guard lock(mutex_);
    urls_.push_back(request.url);
    if (script_.empty()) return SendResult{SendResult::Transport::kReplied, 200, "success", ""};
    SendResult r = script_.front();
    script_.pop_front();
    return r;
  }
  void Then(SendResult r) {
    const std::lock_guard lock(mutex_);
    script_.push_back(std::move(r));
  }
  std::vector<std::string> Urls() const {
    const std::lock_guard lock(mutex_);
    return urls_;
  }

 private:
  mutable std::mutex mutex_;
  std::deque<SendResult> script_;
  std::vector<std::string> urls_;
};

UploadConditions At(const ManualClock& clock, double temp_c) {
  UploadConditions c;
  c.time = clock.Now();
  c.temp_c = temp_c;
  return c;
}

struct Rig {
  explicit Rig(Network network, bool rapid = false) {
    UploadSettings s;
    s.network = network;
    s.station_id = "ST1";
    s.password = "key";
    s.server = "http://127.0.0.1:1/u";
    s.interval = 300;
    s.rapid_fire = rapid;
    worker = std::make_unique<UploadWorker>(UploadWorkerParts{
        .settings = s,
        .clock = clock,
        .http = &http,
        .cwop = nullptr,
        .log =
            [this](std::string_view line) {
              const std::lock_guard lock(mutex);
              lines.emplace_back(line);
            },
    });
    worker->Start();
    EXPECT_TRUE(clock.WaitForSleepers(1));
  }
  // Lets `d` pass (or offers conditions) and waits for the worker's next sleep.
  void Pass(Clock::Duration d) {
    clock.Advance(d);
    EXPECT_TRUE(clock.WaitForSleepers(1));
  }
  void Offer(double temp_c) {
    worker->Offer(At(clock, temp_c));
    EXPECT_TRUE(clock.WaitForSleepers(1));
  }
  std::size_t Posts() const { return http.Urls().size(); }
  bool LastHas(const std::string& text) const {
    const auto urls = http.Urls();
    return !urls.empty() && urls.back().find(text) != std::string::npos;
  }

  ManualClock clock;
  ScriptedHttp http;
  std::mutex mutex;
  std::vector<std::string> lines;
  std::unique_ptr<UploadWorker> worker;
};

TEST(UploadWorker, FirstPostAfterFirstCollectionThenTheNewestAtTheInterval) {
  Rig rig(Network::kWunderground);
  EXPECT_EQ(rig.Posts(), 0u);  // nothing before the first collection
  rig.Offer(10);
  ASSERT_EQ(rig.Posts(), 1u);
  EXPECT_TRUE(rig.LastHas("tempf=50.0"));
  rig.Pass(seconds{100});
  rig.Offer(20);
  rig.Pass(seconds{100});
  rig.Offer(30);
  EXPECT_EQ(rig.Posts(), 1u);  // the interval is kept
  rig.Pass(seconds{100});
  ASSERT_EQ(rig.Posts(), 2u);
  EXPECT_TRUE(rig.LastHas("tempf=86.0"));  // the newest
  // The console silent: the same values are not posted again, nor, later,
  // as current.
  rig.Pass(seconds{300});
  rig.Pass(seconds{3600});
  EXPECT_EQ(rig.Posts(), 2u);
  rig.Offer(0);
  EXPECT_EQ(rig.Posts(), 3u);
  EXPECT_TRUE(rig.worker->Status().last_success.has_value());
}

TEST(UploadWorker, ValuesOlderThanTheIntervalAreNeverPosted) {
  Rig rig(Network::kWindy);
  rig.http.Then(SendResult{SendResult::Transport::kReplied, 429, R"({"retry_after": 900})", ""});
  rig.Offer(10);
  ASSERT_EQ(rig.Posts(), 1u);
  rig.Pass(seconds{60});
  rig.Offer(11);  // offered at 60 s, due at 900 s: too old by then
  rig.Pass(seconds{840});
  EXPECT_EQ(rig.Posts(), 1u);
  rig.Offer(12);
  ASSERT_EQ(rig.Posts(), 2u);
  EXPECT_TRUE(rig.LastHas("temp=12.0"));
  const std::lock_guard lock(rig.mutex);
  ASSERT_EQ(rig.lines.size(), 2u);  // the 429, then taken again
  EXPECT_NE(rig.lines[1].find("rétabli"), std::string::npos);
}

TEST(UploadWorker, ATimedOutPostIsTriedAgainWithItsOwnValues) {
  Rig rig(Network::kWow);
  rig.http.Then(SendResult{SendResult::Transport::kTimedOut, 0, "", "stalled"});
  rig.http.Then(SendResult{SendResult::Transport::kReplied, 429, "", ""});
  rig.Offer(10);
  rig.Pass(seconds{20});
  rig.Offer(20);  // newer values: the retry still carries the first ones
  EXPECT_EQ(rig.Posts(), 1u);
  rig.Pass(seconds{10});
  const auto urls = rig.http.Urls();
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[1], urls[0]);
  EXPECT_EQ(rig.worker->Status().last_error, "");  // the 429 says it was taken
  const std::lock_guard lock(rig.mutex);
  EXPECT_TRUE(rig.lines.empty()) << rig.lines.front();
}

TEST(UploadWorker, RapidFirePostsEachCollection) {
  Rig rig(Network::kWunderground, true);
  for (int i = 0; i < 3; ++i) {
    rig.Offer(10 + i);
    rig.Pass(seconds{10});
  }
  ASSERT_EQ(rig.Posts(), 3u);
  EXPECT_TRUE(rig.LastHas("&realtime=1&rtfreq=10"));
}

}  // namespace
}  // namespace tv
