#include "tests/e2e/publish/mqtt_reader.h"

#include <mosquitto.h>

namespace tv::testing {

MqttReader::~MqttReader() {
  if (client_ == nullptr) return;
  mosquitto_disconnect(client_);
  mosquitto_loop_stop(client_, true);
  mosquitto_destroy(client_);
}

void MqttReader::OnMessage(struct mosquitto*, void* self, const struct mosquitto_message* m) {
  auto* reader = static_cast<MqttReader*>(self);
  Message message{
      m->topic,
      std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
      m->retain};
  std::lock_guard lock(reader->mutex_);
  reader->messages_.push_back(std::move(message));
  reader->changed_.notify_all();
}

void MqttReader::OnSubscribe(struct mosquitto*, void* self, int, int, const int*) {
  auto* reader = static_cast<MqttReader*>(self);
  std::lock_guard lock(reader->mutex_);
  reader->subscribed_ = true;
  reader->changed_.notify_all();
}

bool MqttReader::Connect(int port, std::string* error, const std::string& ca_file,
                         const std::string& user, const std::string& password) {
  mosquitto_lib_init();
  client_ = mosquitto_new(nullptr, true, this);
  if (!user.empty()) mosquitto_username_pw_set(client_, user.c_str(), password.c_str());
  if (!ca_file.empty())
    mosquitto_tls_set(client_, ca_file.c_str(), nullptr, nullptr, nullptr, nullptr);
  mosquitto_message_callback_set(client_, &MqttReader::OnMessage);
  mosquitto_subscribe_callback_set(client_, &MqttReader::OnSubscribe);
  int rc = mosquitto_connect(client_, "127.0.0.1", port, 30);
  if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_subscribe(client_, nullptr, "#", 1);
  if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_start(client_);
  if (rc != MOSQ_ERR_SUCCESS) {
    *error = mosquitto_strerror(rc);
    return false;
  }
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::seconds{10}, [this] { return subscribed_; })) {
    *error = "no subscription acknowledgement";
    return false;
  }
  return true;
}

std::vector<MqttReader::Message> MqttReader::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::optional<std::string> MqttReader::Last(const std::string& topic) {
  std::lock_guard lock(mutex_);
  for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
    if (it->topic == topic) return it->payload;
  }
  return std::nullopt;
}

bool MqttReader::WaitFor(const std::function<bool(const std::vector<Message>&)>& done,
                         std::chrono::seconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(messages_); });
}

bool MqttReader::WaitForTopic(const std::string& topic, std::chrono::seconds timeout,
                              const std::function<bool(const std::string&)>& accept) {
  return WaitFor(
      [&](const std::vector<Message>& messages) {
        for (const Message& m : messages) {
          if (m.topic == topic && (!accept || accept(m.payload))) return true;
        }
        return false;
      },
      timeout);
}

}  // namespace tv::testing
