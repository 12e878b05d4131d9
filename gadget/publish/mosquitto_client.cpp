#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>

#include "gadget/publish/mqtt_client.h"

namespace tv {
namespace {

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string Reason(int rc, int error) {
  if (rc == MOSQ_ERR_ERRNO && error != 0) return std::strerror(error);
  return mosquitto_strerror(rc);
}

class MosquittoClient final : public MqttClient {
 public:
  MosquittoClient() : wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~MosquittoClient() override {
    Drop();
    if (wake_fd_ >= 0) close(wake_fd_);
  }

  bool Begin(const MqttSettings& settings, std::string& problem) override {
    Drop();
    InitLibrary();
    client_ = mosquitto_new(settings.client_id.c_str(), true, this);
    if (client_ == nullptr) {
      problem = "client impossible à créer (" + std::string(std::strerror(errno)) + ")";
      return false;
    }
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // No limit on messages waiting for their acknowledgement: the queue
    // before the client is what bounds them.
    mosquitto_max_inflight_messages_set(client_, 0);
    const std::string status = settings.StatusTopic();
    mosquitto_will_set(client_, status.c_str(), 7, "offline", 1, true);
    if (!settings.user.empty()) {
      mosquitto_username_pw_set(client_, settings.user.c_str(),
                                settings.password.empty() ? nullptr : settings.password.c_str());
    }
    if (!settings.ca_file.empty()) {
      const int rc =
          mosquitto_tls_set(client_, settings.ca_file.c_str(), nullptr, nullptr, nullptr, nullptr);
      if (rc != MOSQ_ERR_SUCCESS) {
        problem =
            "certificat d'autorité illisible (" + settings.ca_file + "), publication désactivée";
        return false;
      }
    }
    mosquitto_connect_callback_set(client_, &MosquittoClient::ConnectCallback);
    mosquitto_disconnect_callback_set(client_, &MosquittoClient::DisconnectCallback);
    return true;
  }

  bool Connect(const std::string& host, int port, int keep_alive_seconds,
               std::string& reason) override {
    const int rc = mosquitto_connect_async(client_, host.c_str(), port, keep_alive_seconds);
    if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(client_) >= 0) return true;
    reason = Reason(rc, errno);
    events_.lost.reset();  // this failure is told by the return value
    return false;
  }

  bool Open() const override { return client_ != nullptr && mosquitto_socket(client_) >= 0; }

  bool Publish(const std::string& topic, const std::string& payload, bool retain) override {
    const int rc =
        mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.empty() ? nullptr : payload.data(), 1, retain);
    return rc == MOSQ_ERR_SUCCESS;
  }

  void Disconnect() override { mosquitto_disconnect(client_); }

  void Service(Clock::Duration timeout) override {
    const int sock = client_ == nullptr ? -1 : mosquitto_socket(client_);
    pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {sock, POLLIN, 0}};
    if (sock >= 0 && mosquitto_want_write(client_)) fds[1].events |= POLLOUT;
    // The wait itself is the system's: what it waits for is the network.
    poll(fds, sock >= 0 ? 2 : 1,
         static_cast<int>(std::clamp<long long>(timeout.count(), 0, 60'000)));
    if ((fds[0].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wake_fd_, &count, sizeof count);
    }
    if (sock < 0) return;
    // Read even without POLLIN: TLS may hold decrypted bytes the socket no
    // longer shows.
    mosquitto_loop_read(client_, 1);
    if (mosquitto_socket(client_) >= 0 && mosquitto_want_write(client_)) {
      mosquitto_loop_write(client_, 1);
    }
    if (mosquitto_socket(client_) >= 0) mosquitto_loop_misc(client_);
  }

  void Interrupt() override {
    if (wake_fd_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake_fd_, &one, sizeof one);
  }

  Events TakeEvents() override { return std::exchange(events_, Events{}); }

 private:
  void Drop() {
    if (client_ != nullptr) mosquitto_destroy(client_);
    client_ = nullptr;
    events_ = {};
  }

  // The callbacks run inside the library's calls, with its own locks held:
  // they only note what happened, for the publisher to act on once the
  // call has returned (so that nothing is published from within one).
  static void ConnectCallback(struct mosquitto*, void* self, int code) {
    static_cast<MosquittoClient*>(self)->events_.connack = code;
  }
  static void DisconnectCallback(struct mosquitto*, void* self, int rc) {
    const int error = errno;
    static_cast<MosquittoClient*>(self)->events_.lost =
        Lost{.tls = rc == MOSQ_ERR_TLS, .reason = Reason(rc, error)};
  }

  const int wake_fd_;
  struct mosquitto* client_ = nullptr;
  Events events_;
};

}  // namespace

std::unique_ptr<MqttClient> MakeMosquittoClient() {
  return std::make_unique<MosquittoClient>();
}

}  // namespace tv
