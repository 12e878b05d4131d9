#pragma once

#include <string>

#include "lib/config/config_table.h"

namespace tv {

inline constexpr int kMqttDefaultPort = 1883;
inline constexpr const char* kMqttDefaultPrefix = "teskaro-ventaro";
inline constexpr const char* kMqttDefaultDiscoveryPrefix = "homeassistant";

// The "[MQTT]" group of the settings, with its defaults applied.
struct MqttSettings {
  bool active = false;  // "Active" exactly "1"
  std::string host;     // empty: 127.0.0.1
  int port = kMqttDefaultPort;
  std::string user;  // empty: no user name (nor password) is sent
  std::string password;
  std::string ca_file;    // set: TLS, the broker's certificate checked against it
  std::string client_id;  // empty: "teskaro-ventaro-<host name>-<process id>"
  std::string prefix = kMqttDefaultPrefix;
  bool discovery = true;  // absent or empty: on; otherwise on only for "1"
  std::string discovery_prefix = kMqttDefaultDiscoveryPrefix;

  std::string StateTopic() const { return prefix + "/state"; }
  std::string StatusTopic() const { return prefix + "/status"; }
  std::string AlertTopic() const { return prefix + "/alert"; }
  // "host:port" as the log lines give it.
  std::string Endpoint() const { return host + ":" + std::to_string(port); }
};

MqttSettings ReadMqttSettings(const ConfigTable& config);

// The warning to log when `settings_path` holds a password and can be read
// by users other than its owner (group or others); "" when it cannot, or
// cannot be examined.
std::string PasswordFileWarning(const std::string& settings_path);

}  // namespace tv
