#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "gadget/alerts/alarm_items.h"
#include "gadget/publish/mqtt_client.h"
#include "gadget/publish/mqtt_settings.h"
#include "gadget/publish/publish_queue.h"
#include "gadget/publish/state_message.h"
#include "lib/common/clock.h"
#include "lib/common/worker_thread.h"

namespace tv {

// Longest pause between two connection attempts.
inline constexpr std::chrono::seconds kMqttMaxBackoff{60};

// Publishes the station's state to an MQTT broker from a thread of its own
// (libmosquitto behind MqttClient, waiting on the client's socket and a
// wake-up), so that a broker that is slow, down or refusing never holds
// up the collection:
// - "<prefix>/status": "online" (retained) once connected, "offline" as the
//   last will and on an orderly stop;
// - "<prefix>/state": the newest state offered, retained; states offered
//   while it cannot be sent are replaced by newer ones (counted, and the
//   count logged when the link is back);
// - "<prefix>/alert": alerts raised and cleared, not retained;
// - with discovery on, one retained Home Assistant config per sensor that
//   has a reading, sent again at each connection, updated when it changes,
//   and removed (an empty retained message) when the sensor loses it.
// It connects again with a doubling pause (1 s up to kMqttMaxBackoff), and
// logs one line per change of the link's state ("[MQTT] : …"), never one
// per message or attempt. Every time it keeps (pauses, patience, the log's
// pace) is read on the injected clock.
class MqttPublisher {
 public:
  using LogLine = std::function<void(std::string_view)>;

  // `log` is called on the publishing thread (what escapes a round of it,
  // "Erreur interne (publication MQTT) : …", too). Without `client`, the
  // libmosquitto one.
  MqttPublisher(MqttSettings settings, Clock& clock, LogLine log,
                std::unique_ptr<MqttClient> client = nullptr);
  ~MqttPublisher();
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  void Start();
  // Asks the thread to end without waiting: it sends "offline", disconnects
  // and ends within about a second.
  void RequestStop();
  // RequestStop and wait for the thread.
  void Stop();

  // Any thread; never waits for the broker.
  void OfferState(StateInput state);
  // The alarms found by one evaluation (alarm thread): the changes since
  // the previous evaluation become events.
  void OfferAlarms(const std::vector<FoundAlarm>& found);

 private:
  enum class LinkState { kNone, kConnected, kUnreachable, kRefused, kLost, kTls };

  std::optional<Clock::Duration> Round();
  bool Begin();
  void Attempt();
  void ScheduleRetry();
  void OnConnack(int code);
  void OnLost(const MqttClient::Lost& lost);
  void HandleEvents();
  void Report(LinkState state, const std::string& line);
  void PublishPending();
  void PublishState(const StateMessage& message);
  bool Publish(const std::string& topic, const std::string& payload, bool retain);
  void Shutdown();
  void Wake();

  const MqttSettings settings_;
  Clock& clock_;
  const LogLine log_;
  const std::unique_ptr<MqttClient> client_;
  PublishQueue queue_;

  // Alarm thread only.
  std::mutex alarms_mutex_;
  std::vector<FoundAlarm> last_alarms_;

  // Publishing thread only.
  bool begun_ = false;      // a session was made
  bool connected_ = false;  // CONNACK accepted, socket open
  bool refused_ = false;    // the broker refused the current attempt
  bool stopping_ = false;
  Clock::SteadyPoint attempt_started_{};
  std::optional<Clock::SteadyPoint> last_drop_log_;
  bool resend_all_ = false;  // a new connection: every config again
  LinkState reported_ = LinkState::kNone;
  Clock::SteadyPoint next_attempt_{};
  std::chrono::seconds backoff_{1};
  std::optional<StateMessage> last_state_;
  std::map<std::string, std::string> announced_;  // discovery topic → payload
  std::size_t dropped_ = 0;

  // Last: stopped before what it uses goes.
  WorkerThread worker_;
};

}  // namespace tv
