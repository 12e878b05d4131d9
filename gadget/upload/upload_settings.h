#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "lib/config/config_table.h"

namespace tv {

// The weather networks the agent posts the current conditions to.
enum class Network { kWunderground, kPwsweather, kWow, kWindy, kCwop };

inline constexpr std::array<Network, 5> kNetworks = {
    Network::kWunderground, Network::kPwsweather, Network::kWow, Network::kWindy, Network::kCwop};

// The settings group of a network ("WUNDERGROUND", "CWOP").
std::string_view GroupOf(Network network);
// The network's name as the log lines give it ("Weather Underground").
std::string_view NameOf(Network network);
// Seconds between posts when "Interval" is absent or not a number, and the
// fewest the network takes.
int DefaultInterval(Network network);
int MinimumInterval(Network network);
// The update address (HTTP networks) or the "host:port" list (CWOP).
std::string_view DefaultServer(Network network);
// Weather Underground's rapid-fire address.
inline constexpr std::string_view kWundergroundRapidFireServer =
    "https://rtupdate.wunderground.com/weatherstation/updateweatherstation.php";
inline constexpr std::string_view kCwopDefaultPasscode = "-1";

// One network's group of the settings, with its defaults applied.
struct UploadSettings {
  Network network = Network::kWunderground;
  bool active = false;     // "Active" exactly "1"
  std::string station_id;  // "StationID" ("SiteID" for WOW)
  // "Password" ("AuthKey" for WOW, "Passcode" for CWOP): never shown.
  std::string password;
  std::string server;       // "Server", the network's own when empty
  int interval = 300;       // seconds, at least MinimumInterval
  bool rapid_fire = false;  // Weather Underground only
  bool backfill = false;    // PWSweather only
  std::string ca_file;      // "CAFile": a private service's certificate authority
  // CWOP's position in decimal degrees (north and east positive); empty:
  // the console's own.
  std::optional<double> latitude;
  std::optional<double> longitude;

  // `text` with the secret, as written and as it appears in an address,
  // replaced by "****". CWOP's unverified passcode "-1" is no secret.
  std::string Masked(std::string_view text) const;
};

UploadSettings ReadUploadSettings(const ConfigTable& config, Network network);

// The warning to log when the posts would go in clear text (an "http://"
// address) to a host other than this machine; "" otherwise.
std::string PlainHttpWarning(const UploadSettings& settings);

// The warning to log when `settings_path` holds a station key and can be
// read by users other than its owner (group or others); "" when it cannot,
// or cannot be examined.
std::string KeyFileWarning(const std::string& settings_path);

// The position in decimal degrees of the console's position text
// ("45.50° Nord 30' 12\""; "Sud" and "Ouest" are negative); empty when the
// text holds no number.
std::optional<double> PositionOfText(std::string_view text);

// `text` with every byte but the unreserved ones percent-encoded.
std::string UrlEncoded(std::string_view text);

// `text` without the blanks (spaces, tabs, carriage returns) around it.
std::string TrimmedBlanks(std::string text);

}  // namespace tv
