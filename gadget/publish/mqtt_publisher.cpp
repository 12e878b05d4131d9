#include "gadget/publish/mqtt_publisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "gadget/publish/alert_events.h"
#include "gadget/publish/discovery.h"

namespace tv {
namespace {

using Steady = std::chrono::steady_clock;

// Keep-alive of the MQTT session; also how long a connection may wait for
// the broker's answer before it is given up.
constexpr int kKeepAliveSeconds = 30;
constexpr std::chrono::seconds kConnectPatience{15};
// At most one line about dropped messages in this time while connected.
constexpr std::chrono::seconds kDropLogInterval{60};

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string Reason(int rc, int error) {
  if (rc == MOSQ_ERR_ERRNO && error != 0) return std::strerror(error);
  return mosquitto_strerror(rc);
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, Clock& clock, LogLine log)
    : settings_(std::move(settings)), clock_(clock), log_(std::move(log)) {
  wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  queue_.SetWaker([this] { Wake(); });
}

MqttPublisher::~MqttPublisher() {
  Stop();
  if (wake_fd_ >= 0) close(wake_fd_);
}

void MqttPublisher::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) {
    try {
      Run(stop);
    } catch (...) {
      // Nothing may leave the thread; publishing simply ends.
    }
    if (client_ != nullptr) {
      mosquitto_destroy(client_);
      client_ = nullptr;
    }
  });
}

void MqttPublisher::RequestStop() {
  thread_.request_stop();
  Wake();
}

void MqttPublisher::Stop() {
  if (!thread_.joinable()) return;
  RequestStop();
  thread_.join();
}

void MqttPublisher::Wake() {
  if (wake_fd_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_fd_, &one, sizeof one);
}

void MqttPublisher::OfferState(StateInput state) {
  queue_.PushState(std::move(state));
}

void MqttPublisher::OfferAlarms(const std::vector<FoundAlarm>& found) {
  std::lock_guard lock(alarms_mutex_);
  const long long now = clock_.NowSeconds();
  for (const AlertEvent& event : AlertChanges(last_alarms_, found)) {
    queue_.PushEvent(AlertEventJson(event, now));
  }
  last_alarms_ = found;
}

// The callbacks run inside the library's calls, with its own locks held:
// they only note what happened, and HandleEvents acts on it once the call
// has returned (so that nothing is published from within a callback).
void MqttPublisher::ConnectCallback(struct mosquitto*, void* self, int code) {
  static_cast<MqttPublisher*>(self)->connack_ = code;
}

void MqttPublisher::DisconnectCallback(struct mosquitto*, void* self, int rc) {
  auto* publisher = static_cast<MqttPublisher*>(self);
  publisher->disconnect_ = std::make_pair(rc, errno);
}

void MqttPublisher::HandleEvents() {
  if (const std::optional<int> code = std::exchange(connack_, std::nullopt)) OnConnack(*code);
  if (const auto lost = std::exchange(disconnect_, std::nullopt)) {
    OnDisconnect(lost->first, lost->second);
  }
}

bool MqttPublisher::Setup() {
  InitLibrary();
  client_ = mosquitto_new(settings_.client_id.c_str(), true, this);
  if (client_ == nullptr) {
    log_("[MQTT] : client impossible à créer (" + std::string(std::strerror(errno)) + ")");
    return false;
  }
  mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  // No limit on messages waiting for their acknowledgement: the queue
  // before the client is what bounds them.
  mosquitto_max_inflight_messages_set(client_, 0);
  const std::string status = settings_.StatusTopic();
  mosquitto_will_set(client_, status.c_str(), 7, "offline", 1, true);
  if (!settings_.user.empty()) {
    mosquitto_username_pw_set(client_, settings_.user.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  }
  if (!settings_.ca_file.empty()) {
    const int rc =
        mosquitto_tls_set(client_, settings_.ca_file.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      // Never fall back to a link in clear text.
      log_("[MQTT] : certificat d'autorité illisible (" + settings_.ca_file +
           "), publication désactivée");
      return false;
    }
  }
  mosquitto_connect_callback_set(client_, &MqttPublisher::ConnectCallback);
  mosquitto_disconnect_callback_set(client_, &MqttPublisher::DisconnectCallback);
  return true;
}

void MqttPublisher::Report(LinkState state, const std::string& line) {
  if (state == reported_) return;
  // A broker that went away and is still away is one change, not two.
  if (state == LinkState::kUnreachable && reported_ == LinkState::kLost) return;
  reported_ = state;
  log_(line);
}

void MqttPublisher::Attempt() {
  attempt_started_ = Steady::now();
  refused_ = false;
  const int rc =
      mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(client_) >= 0) return;
  const int error = errno;
  disconnect_.reset();  // this failure is handled here
  Report(LinkState::kUnreachable,
         "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (" + Reason(rc, error) + ")");
  ScheduleRetry();
}

void MqttPublisher::ScheduleRetry() {
  next_attempt_ = Steady::now() + backoff_;
  backoff_ = std::min<std::chrono::seconds>(backoff_ * 2, kMqttMaxBackoff);
}

void MqttPublisher::OnConnack(int code) {
  if (code != 0) {
    refused_ = true;
    std::string line;
    if (code == 4 || (code == 5 && !settings_.user.empty())) {
      line = "[MQTT] : mot de passe refusé par le serveur";
    } else if (code == 5) {
      line = "[MQTT] : connexion refusée par le serveur (identifiant et mot de passe requis)";
    } else {
      line = "[MQTT] : connexion refusée par le serveur (code " + std::to_string(code) + ")";
    }
    Report(LinkState::kRefused, line);
    return;
  }
  connected_ = true;
  resend_all_ = true;
  backoff_ = std::chrono::seconds{1};
  Report(LinkState::kConnected, "[MQTT] : connecté à " + settings_.Endpoint());
  Publish(settings_.StatusTopic(), "online", true);
}

void MqttPublisher::OnDisconnect(int rc, int error) {
  const bool was_connected = connected_;
  connected_ = false;
  if (stopping_) return;
  if (refused_) {
    // Already reported with the broker's answer.
  } else if (was_connected) {
    Report(LinkState::kLost, "[MQTT] : connexion perdue avec " + settings_.Endpoint());
  } else if (rc == MOSQ_ERR_TLS) {
    Report(LinkState::kTls, "[MQTT] : échec de la liaison TLS avec " + settings_.Endpoint() +
                                " (certificat du serveur refusé ?)");
  } else {
    Report(LinkState::kUnreachable,
           "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (" + Reason(rc, error) + ")");
  }
  ScheduleRetry();
}

bool MqttPublisher::Publish(const std::string& topic, const std::string& payload, bool retain) {
  const int rc =
      mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                        payload.empty() ? nullptr : payload.data(), 1, retain);
  return rc == MOSQ_ERR_SUCCESS;
}

void MqttPublisher::PublishState(const StateMessage& message) {
  if (settings_.discovery) {
    std::map<std::string, std::string> wanted;
    for (DiscoveryConfig& config : DiscoveryConfigs(message, settings_)) {
      const auto it = announced_.find(config.topic);
      if (resend_all_ || it == announced_.end() || it->second != config.payload) {
        Publish(config.topic, config.payload, true);
      }
      wanted.emplace(std::move(config.topic), std::move(config.payload));
    }
    // A sensor without a reading any more: its config is removed.
    for (const auto& [topic, payload] : announced_) {
      if (!wanted.contains(topic)) Publish(topic, "", true);
    }
    announced_ = std::move(wanted);
  }
  Publish(settings_.StateTopic(), message.json, true);
  resend_all_ = false;
}

void MqttPublisher::PublishPending() {
  dropped_ += queue_.TakeDropped();
  const auto now = Steady::now();
  if (dropped_ > 0 && (resend_all_ || now - last_drop_log_ >= kDropLogInterval)) {
    log_("[MQTT] : " + std::to_string(dropped_) +
         " message(s) non publié(s), remplacé(s) par un plus récent");
    dropped_ = 0;
    last_drop_log_ = now;
  }
  if (std::optional<StateInput> input = queue_.TakeState()) {
    last_state_ = BuildStateMessage(*input);
    PublishState(*last_state_);
  } else if (resend_all_ && last_state_) {
    // A new connection (perhaps a broker that lost its retained messages):
    // the last state again.
    PublishState(*last_state_);
  }
  for (const std::string& event : queue_.TakeEvents()) {
    Publish(settings_.AlertTopic(), event, false);
  }
}

void MqttPublisher::Run(std::stop_token stop) {
  if (!Setup()) return;
  while (!stop.stop_requested()) {
    const auto now = Steady::now();
    if (mosquitto_socket(client_) < 0 && now >= next_attempt_) {
      Attempt();
      HandleEvents();
    }
    if (connected_) PublishPending();

    const int sock = mosquitto_socket(client_);
    if (sock >= 0 && !connected_ && now - attempt_started_ > kConnectPatience) {
      // No answer to the connection: start again with a fresh client.
      mosquitto_destroy(client_);
      client_ = nullptr;
      connack_.reset();
      disconnect_.reset();
      Report(LinkState::kUnreachable,
             "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (pas de réponse)");
      if (!Setup()) return;
      ScheduleRetry();
      continue;
    }

    pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {sock, POLLIN, 0}};
    int timeout_ms = 1000;
    if (sock >= 0) {
      if (mosquitto_want_write(client_)) fds[1].events |= POLLOUT;
    } else {
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next_attempt_ - now);
      timeout_ms = static_cast<int>(std::clamp<long long>(wait.count(), 0, 60'000));
    }
    poll(fds, sock >= 0 ? 2 : 1, timeout_ms);
    if ((fds[0].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wake_fd_, &count, sizeof count);
    }
    if (sock >= 0) {
      // Read even without POLLIN: TLS may hold decrypted bytes the socket
      // no longer shows.
      mosquitto_loop_read(client_, 1);
      HandleEvents();
      if (mosquitto_socket(client_) >= 0 && mosquitto_want_write(client_)) {
        mosquitto_loop_write(client_, 1);
        HandleEvents();
      }
      if (mosquitto_socket(client_) >= 0) mosquitto_loop_misc(client_);
      HandleEvents();
    }
  }
  Shutdown();
}

void MqttPublisher::Shutdown() {
  stopping_ = true;
  if (!connected_) return;
  Publish(settings_.StatusTopic(), "offline", true);
  mosquitto_disconnect(client_);
  // What is queued goes out, within a second.
  const auto deadline = Steady::now() + std::chrono::seconds{1};
  while (mosquitto_socket(client_) >= 0 && Steady::now() < deadline) {
    pollfd fd = {mosquitto_socket(client_), POLLIN, 0};
    if (mosquitto_want_write(client_)) fd.events |= POLLOUT;
    poll(&fd, 1, 100);
    mosquitto_loop_read(client_, 1);
    if (mosquitto_socket(client_) >= 0 && mosquitto_want_write(client_)) {
      mosquitto_loop_write(client_, 1);
    }
  }
  connected_ = false;
}

}  // namespace tv
