#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gadget/engine/station_record.h"
#include "gadget/upload/upload_settings.h"
#include "lib/common/clock.h"

namespace tv {

// The current conditions as the networks take them (°C, hPa, mm, and the
// console's own whole mph for the wind); a sensor
// the console has no reading for is empty, so that it is left out of a
// request rather than sent as 0.
struct UploadConditions {
  Clock::TimePoint time;  // when the console's values were collected
  std::optional<double> temp_c;
  std::optional<double> dewpoint_c;
  std::optional<double> humidity;       // %
  std::optional<double> barometer_hpa;  // sea-level
  std::optional<double> altimeter_hpa;  // CWOP's pressure
  std::optional<double> wind_mph;       // current
  std::optional<double> wind_avg2m_mph;
  std::optional<double> gust10m_mph;
  std::optional<double> wind_dir;  // degrees, 1 to 360
  std::optional<double> rain_hour_mm;
  std::optional<double> rain_24h_mm;
  std::optional<double> rain_day_mm;  // since local midnight, the console's
  std::optional<double> solar_wm2;
  std::optional<double> uv;
  std::optional<double> inside_temp_c;
  std::optional<double> inside_humidity;
};

// The conditions of the record's current data (°C, hPa, km/h, mm), taken at
// `collected_at`. The rains are the console's own totals (last hour, last 24
// hours, day), so a midnight or a clock change is the console's to count.
UploadConditions ConditionsOf(const CurrentDataGroup& data, Clock::TimePoint collected_at);

struct HttpRequest {
  std::string url;                   // with its query
  std::vector<std::string> headers;  // "Name: value"
};

// The request of one post to an HTTP network (Weather Underground,
// PWSweather, WOW, Windy); empty when the conditions hold none of
// temperature, humidity, pressure and wind (not worth a post).
// `software` names this program ("teskaro-ventaro-1.0"); `rapid_every` is
// the seconds between rapid-fire posts (Weather Underground's "rtfreq").
std::optional<HttpRequest> BuildHttpRequest(const UploadSettings& settings,
                                            const UploadConditions& conditions,
                                            const std::string& software, int rapid_every = 0);

// CWOP's login line ("user CW1234 pass -1 vers teskaro-ventaro 1.0\r\n").
std::string CwopLoginLine(const UploadSettings& settings, const std::string& program,
                          const std::string& version);
// CWOP's weather packet line, ending in "\r\n"; empty without a position or
// without any of temperature, humidity, pressure and wind.
std::optional<std::string> CwopPacket(const UploadSettings& settings,
                                      const UploadConditions& conditions,
                                      std::optional<double> latitude,
                                      std::optional<double> longitude, const std::string& comment);
// "4903.50N" / "07201.75W": degrees and minutes with two decimals.
std::string CwopLatitude(double degrees);
std::string CwopLongitude(double degrees);

}  // namespace tv
