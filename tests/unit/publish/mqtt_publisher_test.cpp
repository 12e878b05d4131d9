// The publisher's link to the broker on a manual clock: its pauses between
// attempts, its reconnections and what it sends once back.

#include "gadget/publish/mqtt_publisher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/unit/publish/fake_mqtt_client.h"

namespace tv {
namespace {

using std::chrono::seconds;
using testing::FakeBroker;
using testing::FakeMqttClient;

struct Log {
  std::mutex mutex;
  std::vector<std::string> lines;
  MqttPublisher::LogLine Notify() {
    return [this](std::string_view line) {
      std::lock_guard lock(mutex);
      lines.emplace_back(line);
    };
  }
  int Count(std::string_view part) {
    std::lock_guard lock(mutex);
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }
};

MqttSettings Settings() {
  MqttSettings settings;
  settings.host = "127.0.0.1";
  settings.client_id = "test";
  settings.discovery = false;
  return settings;
}

struct Rig {
  ManualClock clock;
  FakeBroker broker{clock};
  Log log;
  MqttPublisher publisher{Settings(), clock, log.Notify(),
                          std::make_unique<FakeMqttClient>(broker)};

  // Lets time pass a second at a time until the broker has seen `n`
  // attempts; the publisher is asleep again when it returns.
  void AttemptsUntil(std::size_t n) {
    for (int step = 0; step < 1000; ++step) {
      ASSERT_TRUE(clock.WaitForSleepers(1));
      if (broker.Attempts().size() >= n) return;
      clock.Advance(seconds{1});
    }
    FAIL() << "only " << broker.Attempts().size() << " attempts";
  }
  // The pauses between attempts from the `from`th on, in whole seconds.
  std::vector<long long> Pauses(std::size_t from) {
    const std::vector<long long> at = broker.Attempts();
    std::vector<long long> pauses;
    for (std::size_t i = from + 1; i < at.size(); ++i) pauses.push_back((at[i] - at[i - 1]) / 1000);
    return pauses;
  }
  bool Sent(const std::vector<FakeBroker::Message>& sent, const std::string& topic,
            const std::string& payload) {
    return std::any_of(sent.begin(), sent.end(), [&](const FakeBroker::Message& m) {
      return m.topic == topic && m.payload == payload && m.retain;
    });
  }
};

TEST(MqttPublisher, PausesDoubleToAMinuteAndStartAgainFromASecondAfterAConnection) {
  Rig rig;
  rig.publisher.Start();
  // An absent broker: 1, 2, 4 … s between attempts, at most a minute.
  rig.AttemptsUntil(9);
  EXPECT_EQ(rig.Pauses(0), (std::vector<long long>{1, 2, 4, 8, 16, 32, 60, 60}));
  EXPECT_EQ(rig.log.Count("injoignable (Connection refused)"), 1) << "one line, not one a try";

  // The broker comes back: the next attempt connects.
  rig.broker.SetAnswer(FakeBroker::Answer::kAccept);
  rig.AttemptsUntil(10);
  EXPECT_EQ(rig.Pauses(8), (std::vector<long long>{60}));
  EXPECT_TRUE(rig.Sent(rig.broker.TakePublished(), "teskaro-ventaro/status", "online"));
  EXPECT_EQ(rig.log.Count("[MQTT] : connecté à 127.0.0.1:1883"), 1);

  // Lost, and away again: the pauses start again from a second.
  rig.broker.SetAnswer(FakeBroker::Answer::kUnreachable);
  const long long dropped_at = rig.clock.SteadyMillis();
  rig.broker.Drop();
  rig.AttemptsUntil(13);
  EXPECT_EQ((rig.broker.Attempts()[10] - dropped_at) / 1000, 1);
  EXPECT_EQ(rig.Pauses(10), (std::vector<long long>{2, 4}));
  EXPECT_EQ(rig.log.Count("[MQTT] : connexion perdue avec 127.0.0.1:1883"), 1);
  EXPECT_EQ(rig.log.Count("injoignable"), 1) << "lost and still away is one change";
}

StateInput State(long long at) {
  StateInput state;
  state.collected = {"CurrentData"};
  state.collected_at = at;
  return state;
}

TEST(MqttPublisher, WhileAwayTheNewestStateWaitsWithTheAlertsAndGoesOutOnReconnection) {
  Rig rig;
  // A broker that takes the connection and never answers: given up after
  // its patience, with a fresh session.
  rig.broker.SetAnswer(FakeBroker::Answer::kSilent);
  rig.publisher.Start();
  rig.AttemptsUntil(1);
  rig.broker.SetAnswer(FakeBroker::Answer::kAccept);
  rig.AttemptsUntil(2);
  EXPECT_EQ(rig.log.Count("injoignable (pas de réponse)"), 1);
  EXPECT_EQ(rig.broker.Sessions(), 2);
  rig.broker.TakePublished();
  rig.publisher.OfferState(State(1));
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  EXPECT_TRUE(rig.Sent(rig.broker.TakePublished(), "teskaro-ventaro/state",
                       BuildStateMessage(State(1)).json));

  rig.broker.SetAnswer(FakeBroker::Answer::kUnreachable);
  rig.broker.Drop();
  ASSERT_TRUE(rig.clock.WaitForSleepers(1));
  for (long long at = 2; at <= 4; ++at) rig.publisher.OfferState(State(at));
  rig.publisher.OfferAlarms({{.name = "outsideHiTemp", .label = "Chaud", .value = "36"}});
  rig.AttemptsUntil(4);
  EXPECT_TRUE(rig.broker.TakePublished().empty()) << "nothing is sent while away";

  rig.broker.SetAnswer(FakeBroker::Answer::kAccept);
  rig.AttemptsUntil(5);
  const std::vector<FakeBroker::Message> sent = rig.broker.TakePublished();
  EXPECT_TRUE(rig.Sent(sent, "teskaro-ventaro/status", "online"));
  EXPECT_TRUE(rig.Sent(sent, "teskaro-ventaro/state", BuildStateMessage(State(4)).json))
      << "the newest state";
  EXPECT_FALSE(rig.Sent(sent, "teskaro-ventaro/state", BuildStateMessage(State(3)).json));
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                          [](const FakeBroker::Message& m) {
                            return m.topic == "teskaro-ventaro/alert" && !m.retain;
                          }),
            1)
      << "the alert raised while away";
  EXPECT_EQ(rig.log.Count("[MQTT] : 2 message(s) non publié(s)"), 1);
  rig.publisher.Stop();
  EXPECT_TRUE(rig.Sent(rig.broker.TakePublished(), "teskaro-ventaro/status", "offline"))
      << "an orderly stop says goodbye";
}

}  // namespace
}  // namespace tv
