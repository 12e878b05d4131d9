#pragma once

// A broker connection played on a manual clock: what the publisher asks of
// it is recorded, what the broker answers is set by the test.

#include <functional>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "gadget/publish/mqtt_client.h"
#include "lib/common/clock.h"

namespace tv::testing {

// What the fake broker answers to the next connections; shared with the
// test, which keeps it alive beyond the publisher.
struct FakeBroker {
  enum class Answer { kUnreachable, kAccept, kRefuse, kSilent };

  struct Message {
    std::string topic;
    std::string payload;
    bool retain;
  };

  explicit FakeBroker(Clock& c) : clock(c) {}

  Clock& clock;
  std::mutex mutex;
  Answer answer = Answer::kUnreachable;
  // Thrown from the connection attempts while above zero (each one counts
  // it down).
  int connects_that_throw = 0;
  std::vector<long long> attempts_ms;  // steady time of each attempt
  std::vector<Message> published;
  int sessions = 0;
  bool open = false;
  MqttClient::Events events;
  bool interrupted = false;
  std::stop_source cut;

  // The broker closes the connection (any thread).
  void Drop() {
    std::lock_guard lock(mutex);
    if (!open) return;
    open = false;
    events.lost = MqttClient::Lost{.tls = false, .reason = "connexion coupée"};
    interrupted = true;
    cut.request_stop();
  }
  void SetAnswer(Answer a) {
    std::lock_guard lock(mutex);
    answer = a;
  }
  std::vector<Message> TakePublished() {
    std::lock_guard lock(mutex);
    return std::exchange(published, {});
  }
  int Sessions() {
    std::lock_guard lock(mutex);
    return sessions;
  }
  std::vector<long long> Attempts() {
    std::lock_guard lock(mutex);
    return attempts_ms;
  }
};

class FakeMqttClient final : public MqttClient {
 public:
  explicit FakeMqttClient(FakeBroker& broker) : b_(broker) {}

  bool Begin(const MqttSettings&, std::string&) override {
    std::lock_guard lock(b_.mutex);
    ++b_.sessions;
    b_.open = false;
    b_.events = {};
    return true;
  }
  bool Connect(const std::string&, int, int, std::string& reason) override {
    std::lock_guard lock(b_.mutex);
    b_.attempts_ms.push_back(b_.clock.SteadyMillis());
    if (b_.connects_that_throw > 0) {
      --b_.connects_that_throw;
      throw std::runtime_error("panne");
    }
    switch (b_.answer) {
      case FakeBroker::Answer::kUnreachable:
        reason = "Connection refused";
        return false;
      case FakeBroker::Answer::kAccept:
        b_.events.connack = 0;
        break;
      case FakeBroker::Answer::kRefuse:
        b_.events.connack = 5;
        b_.events.lost = Lost{.tls = false, .reason = "refusée"};
        b_.open = false;
        return true;
      case FakeBroker::Answer::kSilent:
        break;
    }
    b_.open = true;
    return true;
  }
  bool Open() const override {
    std::lock_guard lock(b_.mutex);
    return b_.open;
  }
  bool Publish(const std::string& topic, const std::string& payload, bool retain) override {
    std::lock_guard lock(b_.mutex);
    if (!b_.open) return false;
    b_.published.push_back({topic, payload, retain});
    return true;
  }
  void Disconnect() override {
    std::lock_guard lock(b_.mutex);
    b_.open = false;
  }
  void Service(Clock::Duration timeout) override {
    std::stop_token token;
    {
      std::lock_guard lock(b_.mutex);
      // What happened is handed over at once, as the socket would show it.
      if (b_.interrupted || b_.events.connack || b_.events.lost) {
        b_.interrupted = false;
        return;
      }
      b_.cut = std::stop_source{};
      token = b_.cut.get_token();
    }
    b_.clock.SleepFor(timeout, token);
    std::lock_guard lock(b_.mutex);
    b_.interrupted = false;
  }
  void Interrupt() override {
    std::lock_guard lock(b_.mutex);
    b_.interrupted = true;
    b_.cut.request_stop();
  }
  Events TakeEvents() override {
    std::lock_guard lock(b_.mutex);
    return std::exchange(b_.events, {});
  }

 private:
  FakeBroker& b_;
};

}  // namespace tv::testing
