#include "gadget/publish/mqtt_publisher.h"

#include <algorithm>
#include <utility>

#include "gadget/publish/alert_events.h"
#include "gadget/publish/discovery.h"
#include "lib/common/escape_edge.h"

namespace tv {
namespace {

// Keep-alive of the MQTT session; also how long a connection may wait for
// the broker's answer before it is given up.
constexpr int kKeepAliveSeconds = 30;
constexpr std::chrono::seconds kConnectPatience{15};
// At most one line about dropped messages in this time while connected.
constexpr std::chrono::seconds kDropLogInterval{60};
// The longest wait on the connection while it is open: the session is kept
// alive between two.
constexpr Clock::Duration kServiceWait{1000};
// An orderly stop gives what is queued this many waits of kShutdownWait to
// go out.
constexpr int kShutdownWaits = 10;
constexpr Clock::Duration kShutdownWait{100};

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, Clock& clock, LogLine log,
                             std::unique_ptr<MqttClient> client)
    : settings_(std::move(settings)),
      clock_(clock),
      log_(std::move(log)),
      client_(client ? std::move(client) : MakeMosquittoClient()),
      worker_(WorkerParts{
          .name = "mqtt",
          .clock = clock,
          .round = [this](std::stop_token) { return Round(); },
          .escaped =
              [this](std::string_view reason) { log_(EdgeErrorLine("publication MQTT", reason)); },
          .after_escape = {},
          .interrupt = [this] { Wake(); },
          .finish = [this] { Shutdown(); },
      }) {
  queue_.SetWaker([this] { Wake(); });
}

MqttPublisher::~MqttPublisher() {
  Stop();
}

void MqttPublisher::Start() {
  worker_.Start();
}

void MqttPublisher::RequestStop() {
  worker_.RequestStop();
}

void MqttPublisher::Stop() {
  worker_.Stop();
}

void MqttPublisher::Wake() {
  client_->Interrupt();
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

void MqttPublisher::HandleEvents() {
  const MqttClient::Events events = client_->TakeEvents();
  if (events.connack) OnConnack(*events.connack);
  if (events.lost) OnLost(*events.lost);
}

bool MqttPublisher::Begin() {
  std::string problem;
  if (client_->Begin(settings_, problem)) return true;
  log_("[MQTT] : " + problem);
  return false;
}

void MqttPublisher::Report(LinkState state, const std::string& line) {
  if (state == reported_) return;
  // A broker that went away and is still away is one change, not two.
  if (state == LinkState::kUnreachable && reported_ == LinkState::kLost) return;
  reported_ = state;
  log_(line);
}

void MqttPublisher::Attempt() {
  attempt_started_ = clock_.SteadyNow();
  refused_ = false;
  std::string reason;
  if (client_->Connect(settings_.host, settings_.port, kKeepAliveSeconds, reason)) return;
  Report(LinkState::kUnreachable,
         "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (" + reason + ")");
  ScheduleRetry();
}

void MqttPublisher::ScheduleRetry() {
  next_attempt_ = clock_.SteadyNow() + backoff_;
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

void MqttPublisher::OnLost(const MqttClient::Lost& lost) {
  const bool was_connected = connected_;
  connected_ = false;
  if (stopping_) return;
  if (refused_) {
    // Already reported with the broker's answer.
  } else if (was_connected) {
    Report(LinkState::kLost, "[MQTT] : connexion perdue avec " + settings_.Endpoint());
  } else if (lost.tls) {
    Report(LinkState::kTls, "[MQTT] : échec de la liaison TLS avec " + settings_.Endpoint() +
                                " (certificat du serveur refusé ?)");
  } else {
    Report(LinkState::kUnreachable,
           "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (" + lost.reason + ")");
  }
  ScheduleRetry();
}

bool MqttPublisher::Publish(const std::string& topic, const std::string& payload, bool retain) {
  return client_->Publish(topic, payload, retain);
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
  const Clock::SteadyPoint now = clock_.SteadyNow();
  if (dropped_ > 0 &&
      (resend_all_ || !last_drop_log_ || now - *last_drop_log_ >= kDropLogInterval)) {
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

std::optional<Clock::Duration> MqttPublisher::Round() {
  if (!begun_) {
    // No session can be made (an unreadable CA file): publishing ends.
    if (!Begin()) return std::nullopt;
    begun_ = true;
  }
  const Clock::SteadyPoint now = clock_.SteadyNow();
  if (!client_->Open() && now >= next_attempt_) {
    Attempt();
    HandleEvents();
  }
  if (connected_) PublishPending();

  if (client_->Open() && !connected_ && now - attempt_started_ > kConnectPatience) {
    // No answer to the connection: start again with a fresh session.
    Report(LinkState::kUnreachable,
           "[MQTT] : serveur " + settings_.Endpoint() + " injoignable (pas de réponse)");
    if (!Begin()) return std::nullopt;
    ScheduleRetry();
    return Clock::Duration::zero();
  }

  Clock::Duration wait = kServiceWait;
  if (!client_->Open()) {
    wait = std::clamp(std::chrono::ceil<Clock::Duration>(next_attempt_ - now),
                      Clock::Duration::zero(), Clock::Duration{kMqttMaxBackoff});
  }
  client_->Service(wait);
  HandleEvents();
  // The round waited on the connection itself.
  return Clock::Duration::zero();
}

void MqttPublisher::Shutdown() {
  stopping_ = true;
  if (!connected_) return;
  Publish(settings_.StatusTopic(), "offline", true);
  client_->Disconnect();
  // What is queued goes out, within about a second.
  for (int i = 0; i < kShutdownWaits && client_->Open(); ++i) client_->Service(kShutdownWait);
  connected_ = false;
}

}  // namespace tv
