#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "gadget/alerts/alarm_items.h"
#include "gadget/publish/mqtt_settings.h"
#include "gadget/publish/publish_queue.h"
#include "gadget/publish/state_message.h"
#include "lib/common/clock.h"

struct mosquitto;

namespace tv {

// Longest pause between two connection attempts.
inline constexpr std::chrono::seconds kMqttMaxBackoff{60};

// Publishes the station's state to an MQTT broker from a thread of its own
// (libmosquitto, driven by a poll loop on the client's socket and a wake-up
// descriptor), so that a broker that is slow, down or refusing never holds
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
// per message or attempt.
class MqttPublisher {
 public:
  using LogLine = std::function<void(std::string_view)>;

  // `log` is called on the publishing thread.
  MqttPublisher(MqttSettings settings, Clock& clock, LogLine log);
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

  void Run(std::stop_token stop);
  bool Setup();
  void Attempt();
  void ScheduleRetry();
  void OnConnack(int code);
  void OnDisconnect(int rc, int error);
  void HandleEvents();
  void Report(LinkState state, const std::string& line);
  void PublishPending();
  void PublishState(const StateMessage& message);
  bool Publish(const std::string& topic, const std::string& payload, bool retain);
  void Shutdown();
  void Wake();

  static void ConnectCallback(struct mosquitto*, void* self, int code);
  static void DisconnectCallback(struct mosquitto*, void* self, int rc);

  const MqttSettings settings_;
  Clock& clock_;
  const LogLine log_;
  PublishQueue queue_;
  int wake_fd_ = -1;
  std::jthread thread_;

  // Alarm thread only.
  std::mutex alarms_mutex_;
  std::vector<FoundAlarm> last_alarms_;

  // Publishing thread only.
  struct mosquitto* client_ = nullptr;
  bool connected_ = false;  // CONNACK accepted, socket open
  bool refused_ = false;    // the broker refused the current attempt
  // Noted by the library's callbacks, handled after its call returns.
  std::optional<int> connack_;
  std::optional<std::pair<int, int>> disconnect_;  // return code, errno
  bool stopping_ = false;
  std::chrono::steady_clock::time_point attempt_started_{};
  std::chrono::steady_clock::time_point last_drop_log_{};
  bool resend_all_ = false;  // a new connection: every config again
  LinkState reported_ = LinkState::kNone;
  std::chrono::steady_clock::time_point next_attempt_{};
  std::chrono::seconds backoff_{1};
  std::optional<StateMessage> last_state_;
  std::map<std::string, std::string> announced_;  // discovery topic → payload
  std::size_t dropped_ = 0;
};

}  // namespace tv
