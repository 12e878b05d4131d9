#include "gadget/upload/upload_settings.h"

#include <sys/stat.h>

#include <cctype>
#include <charconv>
#include <cmath>

namespace tv {
namespace {

// A decimal number written with a dot (a comma is taken as one too), the
// whole text; empty otherwise.
std::optional<double> DecimalOf(std::string text) {
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return {};
  return value;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  if (what.empty()) return;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

}  // namespace

std::string TrimmedBlanks(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && blank(text[start])) ++start;
  return text.substr(start);
}

std::string_view GroupOf(Network network) {
  switch (network) {
    case Network::kWunderground:
      return "WUNDERGROUND";
    case Network::kPwsweather:
      return "PWSWEATHER";
    case Network::kWow:
      return "WOW";
    case Network::kWindy:
      return "WINDY";
    case Network::kCwop:
      return "CWOP";
  }
  return "";
}

std::string_view NameOf(Network network) {
  switch (network) {
    case Network::kWunderground:
      return "Weather Underground";
    case Network::kPwsweather:
      return "PWSweather";
    case Network::kWow:
      return "WOW";
    case Network::kWindy:
      return "Windy";
    case Network::kCwop:
      return "CWOP";
  }
  return "";
}

int DefaultInterval(Network network) {
  switch (network) {
    case Network::kWow:
      return 900;
    case Network::kCwop:
      return 600;
    default:
      return 300;
  }
}

int MinimumInterval(Network network) {
  switch (network) {
    case Network::kWunderground:
    case Network::kPwsweather:
      return 60;
    default:
      return 300;
  }
}

std::string_view DefaultServer(Network network) {
  switch (network) {
    case Network::kWunderground:
      return "https://weatherstation.wunderground.com/weatherstation/updateweatherstation.php";
    case Network::kPwsweather:
      return "https://pwsupdate.pwsweather.com/api/v1/submitwx";
    case Network::kWow:
      return "https://wow.metoffice.gov.uk/automaticreading";
    case Network::kWindy:
      return "https://stations.windy.com/api/v2/observation/update";
    case Network::kCwop:
      return "cwop.aprs.net:14580";
  }
  return "";
}

UploadSettings ReadUploadSettings(const ConfigTable& config, Network network) {
  const std::string_view group = GroupOf(network);
  const auto value = [&](std::string_view key) {
    return TrimmedBlanks(config.Value(ConfigTable::ComposeKey(group, key)));
  };
  UploadSettings s;
  s.network = network;
  s.active = value("Active") == "1";
  s.station_id = value(network == Network::kWow ? "SiteID" : "StationID");
  // A secret keeps its blanks: only the line's carriage return goes.
  std::string secret =
      config.Value(ConfigTable::ComposeKey(group, network == Network::kWow    ? "AuthKey"
                                                  : network == Network::kCwop ? "Passcode"
                                                                              : "Password"));
  if (!secret.empty() && secret.back() == '\r') secret.pop_back();
  if (network == Network::kCwop) secret = TrimmedBlanks(secret);
  s.password =
      secret.empty() && network == Network::kCwop ? std::string(kCwopDefaultPasscode) : secret;
  s.server = value("Server");
  if (s.server.empty()) s.server = std::string(DefaultServer(network));
  const std::string interval = value("Interval");
  const std::int64_t seconds = LeadingInteger(interval);
  s.interval = seconds > 0 ? static_cast<int>(seconds) : DefaultInterval(network);
  if (s.interval < MinimumInterval(network)) s.interval = MinimumInterval(network);
  s.rapid_fire = network == Network::kWunderground && value("RapidFire") == "1";
  s.backfill = network == Network::kPwsweather && value("Backfill") == "1";
  s.ca_file = value("CAFile");
  if (network == Network::kCwop) {
    s.latitude = DecimalOf(value("Latitude"));
    s.longitude = DecimalOf(value("Longitude"));
    if (s.latitude && std::fabs(*s.latitude) > 90) s.latitude.reset();
    if (s.longitude && std::fabs(*s.longitude) > 180) s.longitude.reset();
  }
  return s;
}

std::string UploadSettings::Masked(std::string_view text) const {
  std::string out(text);
  if (password.empty() || (network == Network::kCwop && password == kCwopDefaultPasscode)) {
    return out;
  }
  ReplaceAll(out, password, "****");
  ReplaceAll(out, UrlEncoded(password), "****");
  return out;
}

std::string PlainHttpWarning(const UploadSettings& settings) {
  if (settings.network == Network::kCwop) return "";
  constexpr std::string_view kPlain = "http://";
  const std::string& url = settings.server;
  if (url.size() < kPlain.size()) return "";
  for (std::size_t i = 0; i < kPlain.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(url[i])) != kPlain[i]) return "";
  }
  std::string host = url.substr(kPlain.size());
  host = host.substr(0, host.find_first_of("/?#"));
  const std::size_t at = host.rfind('@');
  if (at != std::string::npos) host = host.substr(at + 1);
  host = host.substr(0, host.rfind(':') == std::string::npos ? host.size() : host.rfind(':'));
  if (host == "127.0.0.1") return "";
  return "[Envoi] " + std::string(NameOf(settings.network)) + " : l'adresse " +
         settings.Masked(url) +
         " n'est pas chiffrée (http://) : la clé de la station circule en clair";
}

std::string KeyFileWarning(const std::string& settings_path) {
  struct stat info {};
  if (settings_path.empty() || stat(settings_path.c_str(), &info) != 0) return "";
  if ((info.st_mode & (S_IRGRP | S_IROTH)) == 0) return "";
  return "[Envoi] : le fichier " + settings_path +
         " contient la clé d'une station et peut être lu par d'autres utilisateurs (chmod 600 " +
         settings_path + ")";
}

std::optional<double> PositionOfText(std::string_view text) {
  // The decimal degrees, then the minutes before "'" and the seconds before
  // '"': the whole degrees come from the first, the rest from the others
  // (the decimals alone are only good to a hundredth of a degree).
  const auto number_at = [&](std::size_t at, std::size_t* end) {
    *end = at;
    while (*end < text.size() && ((text[*end] >= '0' && text[*end] <= '9') || text[*end] == '.')) {
      ++*end;
    }
    return DecimalOf(std::string(text.substr(at, *end - at)));
  };
  std::size_t end = 0;
  const std::optional<double> degrees = number_at(0, &end);
  if (!degrees) return {};
  double value = *degrees;
  const std::size_t minute_mark = text.find('\'', end);
  const std::size_t second_mark = text.find('"', end);
  if (minute_mark != std::string_view::npos && second_mark != std::string_view::npos) {
    std::size_t stop = 0;
    std::size_t start = text.rfind(' ', minute_mark);
    const double minutes =
        start == std::string_view::npos ? -1 : number_at(start + 1, &stop).value_or(-1);
    start = text.rfind(' ', second_mark);
    const double seconds =
        start == std::string_view::npos ? -1 : number_at(start + 1, &stop).value_or(-1);
    if (minutes >= 0 && minutes < 60 && seconds >= 0 && seconds < 60) {
      const double rest = minutes / 60 + seconds / 3600;
      value = std::round(*degrees - rest) + rest;
    }
  }
  const bool negative =
      text.find("Sud") != std::string_view::npos || text.find("Ouest") != std::string_view::npos;
  return negative ? -value : value;
}

std::string UrlEncoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const bool unreserved = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                            (u >= '0' && u <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    }
  }
  return out;
}

}  // namespace tv
