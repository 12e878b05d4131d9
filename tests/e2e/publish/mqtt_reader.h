#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace tv::testing {

// A test's MQTT client (libmosquitto with its own network thread):
// subscribes to every topic and keeps each message received, retained ones
// included.
class MqttReader {
 public:
  struct Message {
    std::string topic;
    std::string payload;
    bool retained = false;
  };

  MqttReader() = default;
  ~MqttReader();
  MqttReader(const MqttReader&) = delete;
  MqttReader& operator=(const MqttReader&) = delete;

  // Connected and subscribed, or false with `error` filled.
  bool Connect(int port, std::string* error, const std::string& ca_file = "",
               const std::string& user = "", const std::string& password = "");

  std::vector<Message> Messages();
  // The last payload received on `topic`.
  std::optional<std::string> Last(const std::string& topic);
  // Waits at most `timeout` for `done` to hold over the messages so far.
  bool WaitFor(const std::function<bool(const std::vector<Message>&)>& done,
               std::chrono::seconds timeout);
  // Waits for a message on `topic` (whose payload `accept` takes, when given).
  bool WaitForTopic(const std::string& topic, std::chrono::seconds timeout,
                    const std::function<bool(const std::string&)>& accept = {});

 private:
  static void OnMessage(struct mosquitto*, void* self, const struct mosquitto_message* message);
  static void OnSubscribe(struct mosquitto*, void* self, int, int, const int*);

  struct mosquitto* client_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool subscribed_ = false;
  std::vector<Message> messages_;
};

}  // namespace tv::testing
