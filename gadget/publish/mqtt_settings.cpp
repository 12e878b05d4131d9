#include "gadget/publish/mqtt_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include "lib/config/config_keys.h"

namespace tv {
namespace {

std::string Trimmed(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && blank(text[start])) ++start;
  return text.substr(start);
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

}  // namespace

MqttSettings ReadMqttSettings(const ConfigTable& config) {
  MqttSettings s;
  s.active = config.Flag(kKeyMqttActive);
  s.host = Trimmed(config.Value(kKeyMqttHost));
  if (s.host.empty()) s.host = "127.0.0.1";
  const auto port = config.Number(kKeyMqttPort);
  s.port = port > 0 && port <= 65535 ? static_cast<int>(port) : kMqttDefaultPort;
  s.user = config.Value(kKeyMqttUser);
  s.password = config.Value(kKeyMqttPassword);
  s.ca_file = Trimmed(config.Value(kKeyMqttCaFile));
  s.client_id = Trimmed(config.Value(kKeyMqttClientId));
  if (s.client_id.empty()) {
    s.client_id =
        std::string(kMqttDefaultPrefix) + "-" + HostName() + "-" + std::to_string(getpid());
  }
  // A topic prefix ends without "/", so that "<prefix>/state" has one.
  s.prefix = Trimmed(config.Value(kKeyMqttPrefix));
  while (!s.prefix.empty() && s.prefix.back() == '/') s.prefix.pop_back();
  if (s.prefix.empty()) s.prefix = kMqttDefaultPrefix;
  const std::string discovery = Trimmed(config.Value(kKeyMqttDiscovery));
  s.discovery = discovery.empty() || discovery == "1";
  s.discovery_prefix = Trimmed(config.Value(kKeyMqttDiscoveryPrefix));
  while (!s.discovery_prefix.empty() && s.discovery_prefix.back() == '/') {
    s.discovery_prefix.pop_back();
  }
  if (s.discovery_prefix.empty()) s.discovery_prefix = kMqttDefaultDiscoveryPrefix;
  return s;
}

std::string PasswordFileWarning(const std::string& settings_path) {
  struct stat info {};
  if (settings_path.empty() || stat(settings_path.c_str(), &info) != 0) return "";
  if ((info.st_mode & (S_IRGRP | S_IROTH)) == 0) return "";
  return "[MQTT] : le fichier " + settings_path +
         " contient le mot de passe du serveur et peut être lu par d'autres utilisateurs "
         "(chmod 600 " +
         settings_path + ")";
}

}  // namespace tv
