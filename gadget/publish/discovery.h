#pragma once

#include <string>
#include <vector>

#include "gadget/publish/mqtt_settings.h"
#include "gadget/publish/state_message.h"

namespace tv {

// One Home Assistant discovery config: its retained topic
// ("<discovery prefix>/sensor/<node>/<key>/config") and its JSON payload.
struct DiscoveryConfig {
  std::string key;
  std::string topic;
  std::string payload;
};

// The node of the discovery topics and unique ids: the topic prefix with
// every character other than a letter, a digit, "_" or "-" made "_".
std::string DiscoveryNodeId(const std::string& prefix);

// One config per reading of `state` that has a value and a sensor
// description (the times and the elevation have none), in message order:
// name, unique id, state topic with its value template, availability,
// unit, device class and state class where they apply, and the device (the
// console's model and firmware, once read).
std::vector<DiscoveryConfig> DiscoveryConfigs(const StateMessage& state,
                                              const MqttSettings& settings);

}  // namespace tv
