#pragma once

#include <memory>
#include <optional>
#include <string>

#include "gadget/publish/mqtt_settings.h"
#include "lib/common/clock.h"

namespace tv {

// What the publisher needs of an MQTT client library: one session at a
// time with one broker, driven from the publishing thread alone (Interrupt
// excepted). The library's own calls are hidden behind it so that a broker
// connection can be played in tests on a manual clock.
class MqttClient {
 public:
  // What happened during the calls since the events were last taken.
  struct Lost {
    bool tls = false;    // the TLS handshake failed
    std::string reason;  // why, as the log gives it
  };
  struct Events {
    std::optional<int> connack;  // the broker's answer: 0 accepted, else its refusal code
    std::optional<Lost> lost;    // the network connection closed
  };

  virtual ~MqttClient() = default;

  // A fresh session for `settings` (its last will "offline" on the status
  // topic, the user and password, TLS with the CA file), the previous one
  // dropped without a goodbye. False, with `problem` set, when it cannot be
  // made; TLS asked for is never given up for clear text.
  virtual bool Begin(const MqttSettings& settings, std::string& problem) = 0;
  // Starts connecting without waiting for the broker's answer (which comes
  // as an event). False, with `reason` set, when it cannot even start.
  virtual bool Connect(const std::string& host, int port, int keep_alive_seconds,
                       std::string& reason) = 0;
  // True while the session has its network connection (being connected or
  // connected).
  virtual bool Open() const = 0;
  // Queues a message with QoS 1; false when it is refused.
  virtual bool Publish(const std::string& topic, const std::string& payload, bool retain) = 0;
  // Ends the session in order, once what is queued has gone out.
  virtual void Disconnect() = 0;
  // Waits at most `timeout` for the connection's traffic or an Interrupt,
  // then reads, writes and keeps the session alive.
  virtual void Service(Clock::Duration timeout) = 0;
  // Ends the wait of Service at once; asked while none runs, it ends the
  // next one. Any thread.
  virtual void Interrupt() = 0;
  virtual Events TakeEvents() = 0;
};

// The client on libmosquitto, its waits on the connection's socket.
std::unique_ptr<MqttClient> MakeMosquittoClient();

}  // namespace tv
