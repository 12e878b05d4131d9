#include "gadget/upload/upload_request.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "lib/common/number_text.h"
#include "lib/station/result_codes.h"

namespace tv {
namespace {

// The value when it is a reading within `low` and `high`.
std::optional<double> Reading(float value, double low, double high) {
  const auto v = static_cast<double>(value);
  if (IsValidResult(value) == 0 || v < low || v > high) return {};
  return v;
}

// The console's wind speeds are whole mph, stored as km/h × 1.61.
std::optional<double> Mph(float kmh) {
  const std::optional<double> v = Reading(kmh, 0, 400);
  if (!v) return {};
  return std::round(*v / 1.61);
}

double Fahrenheit(double celsius) {
  return celsius * 9 / 5 + 32;
}
double Inches(double mm) {
  return mm / 25.4;
}
double InHg(double hpa) {
  return hpa / 33.865;
}
double MetresPerSecond(double mph) {
  return mph * 0.44704;
}

std::tm Utc(Clock::TimePoint t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  std::tm out{};
  gmtime_r(&seconds, &out);
  return out;
}

// "YYYY-MM-DD HH:MM:SS", or with "T" between and "Z" after (ISO 8601).
std::string DateTimeText(const std::tm& t, bool iso) {
  char text[64];
  std::snprintf(text, sizeof text,
                iso ? "%04d-%02d-%02dT%02d:%02d:%02dZ" : "%04d-%02d-%02d %02d:%02d:%02d",
                t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

bool WorthPosting(const UploadConditions& c) {
  return c.temp_c || c.humidity || c.barometer_hpa || c.wind_mph || c.wind_avg2m_mph;
}

// A query "name=value&…"; an empty value leaves its field out.
class Query {
 public:
  void Text(std::string_view name, std::string_view value) {
    if (!query_.empty()) query_ += '&';
    query_ += name;
    query_ += '=';
    query_ += UrlEncoded(value);
  }
  void Number(std::string_view name, const std::optional<double>& value, int decimals) {
    if (value) Text(name, DecimalText(*value, decimals));
  }
  const std::string& str() const { return query_; }

 private:
  std::string query_;
};

template <typename F>
std::optional<double> Map(const std::optional<double>& v, F f) {
  if (!v) return {};
  return f(*v);
}

// The fields Weather Underground, PWSweather and WOW share: US units.
void UsFields(Query& q, const UploadConditions& c) {
  q.Number("tempf", Map(c.temp_c, Fahrenheit), 1);
  q.Number("dewptf", Map(c.dewpoint_c, Fahrenheit), 1);
  q.Number("humidity", c.humidity, 0);
  q.Number("baromin", Map(c.barometer_hpa, InHg), 3);
  q.Number("windspeedmph", c.wind_mph, 0);
  q.Number("winddir", c.wind_dir, 0);
  q.Number("windspdmph_avg2m", c.wind_avg2m_mph, 0);
  q.Number("windgustmph", c.gust10m_mph, 0);
  q.Number("rainin", Map(c.rain_hour_mm, Inches), 2);
  q.Number("dailyrainin", Map(c.rain_day_mm, Inches), 2);
  q.Number("solarradiation", c.solar_wm2, 0);
  q.Number("UV", c.uv, 1);
  q.Number("indoortempf", Map(c.inside_temp_c, Fahrenheit), 1);
  q.Number("indoorhumidity", c.inside_humidity, 0);
}

std::string WithQuery(const std::string& server, const std::string& query) {
  return server + (server.find('?') == std::string::npos ? '?' : '&') + query;
}

// `value` rounded to a whole number, written in `width` digits (a minus
// sign counting as one), or `width` dots without a value.
std::string Field(const std::optional<double>& value, int width, int low, int high) {
  if (!value) return std::string(static_cast<std::size_t>(width), '.');
  long whole = std::lround(*value);
  if (whole < low) whole = low;
  if (whole > high) whole = high;
  char text[16];
  std::snprintf(text, sizeof text, "%0*ld", width, whole);
  return text;
}

std::string Position(double degrees, int degree_digits, char positive, char negative) {
  const long hundredths = std::lround(std::fabs(degrees) * 6000.0);  // of a minute
  char text[24];
  std::snprintf(text, sizeof text, "%0*ld%02ld.%02ld%c", degree_digits, hundredths / 6000,
                (hundredths % 6000) / 100, hundredths % 100, degrees < 0 ? negative : positive);
  return text;
}

}  // namespace

UploadConditions ConditionsOf(const CurrentDataGroup& d, Clock::TimePoint collected_at) {
  UploadConditions c;
  c.time = collected_at;
  c.temp_c = Reading(d.OutsideTemp, -90, 70);
  c.dewpoint_c = Reading(d.DewPt, -90, 70);
  c.humidity = Reading(static_cast<float>(d.OutsideHumidity), 1, 100);
  c.barometer_hpa = Reading(d.Barometer, 800, 1200);
  // The record holds the console's sea-level pressure only: it stands for
  // the altimeter setting, which differs from it by the console's
  // temperature correction alone.
  c.altimeter_hpa = c.barometer_hpa;
  c.wind_mph = Mph(d.WindSpeed);
  c.wind_avg2m_mph = Mph(d.WindSpeedAvg2Min);
  c.gust10m_mph = Mph(d.WindGust10Min);
  // The console reports 0 for no direction and 360 for north.
  c.wind_dir = Reading(static_cast<float>(d.WindDir), 1, 360);
  c.rain_hour_mm = Reading(d.RainLastHour, 0, 2000);
  c.rain_24h_mm = Reading(d.RainLast24Hours, 0, 5000);
  c.rain_day_mm = Reading(d.DailyRain, 0, 5000);
  c.solar_wm2 = Reading(static_cast<float>(d.SolarRad), 0, 1800);
  c.uv = Reading(static_cast<float>(d.UV), 0, 25);
  c.inside_temp_c = Reading(d.InsideTemp, -90, 70);
  c.inside_humidity = Reading(static_cast<float>(d.InsideHumidity), 1, 100);
  return c;
}

std::optional<HttpRequest> BuildHttpRequest(const UploadSettings& s, const UploadConditions& c,
                                            const std::string& software, int rapid_every) {
  if (!WorthPosting(c)) return {};
  const std::tm utc = Utc(c.time);
  Query q;
  HttpRequest request;
  std::string server = s.server;
  switch (s.network) {
    case Network::kWunderground:
    case Network::kPwsweather:
      q.Text("ID", s.station_id);
      q.Text("PASSWORD", s.password);
      q.Text("action", "updateraw");
      q.Text("dateutc", DateTimeText(utc, false));
      UsFields(q, c);
      q.Text("softwaretype", software);
      if (s.rapid_fire && s.network == Network::kWunderground) {
        if (server == DefaultServer(Network::kWunderground)) {
          server = std::string(kWundergroundRapidFireServer);
        }
        q.Text("realtime", "1");
        q.Text("rtfreq", std::to_string(rapid_every > 0 ? rapid_every : s.interval));
      }
      break;
    case Network::kWow:
      q.Text("siteid", s.station_id);
      q.Text("siteAuthenticationKey", s.password);
      q.Text("dateutc", DateTimeText(utc, false));
      q.Text("softwaretype", software);
      UsFields(q, c);
      break;
    case Network::kWindy:
      q.Text("id", s.station_id);
      q.Text("time", DateTimeText(utc, true));
      q.Number("temp", c.temp_c, 1);
      q.Number("dewpoint", c.dewpoint_c, 1);
      q.Number("rh", c.humidity, 0);
      q.Number("pressure", Map(c.barometer_hpa, [](double h) { return h * 100; }), 0);
      q.Number("wind", Map(c.wind_avg2m_mph, MetresPerSecond), 1);
      q.Number("gust", Map(c.gust10m_mph, MetresPerSecond), 1);
      q.Number("winddir", c.wind_dir, 0);
      q.Number("precip", c.rain_hour_mm, 1);
      q.Number("uv", c.uv, 1);
      q.Number("solarradiation", c.solar_wm2, 0);
      request.headers.push_back("Authorization: Bearer " + s.password);
      break;
    case Network::kCwop:
      return {};
  }
  request.url = WithQuery(server, q.str());
  return request;
}

std::string CwopLoginLine(const UploadSettings& s, const std::string& program,
                          const std::string& version) {
  return "user " + s.station_id + " pass " + s.password + " vers " + program + " " + version +
         "\r\n";
}

std::string CwopLatitude(double degrees) {
  return Position(degrees, 2, 'N', 'S');
}
std::string CwopLongitude(double degrees) {
  return Position(degrees, 3, 'E', 'W');
}

std::optional<std::string> CwopPacket(const UploadSettings& s, const UploadConditions& c,
                                      std::optional<double> latitude,
                                      std::optional<double> longitude, const std::string& comment) {
  if (!latitude || !longitude || !WorthPosting(c)) return {};
  const auto hundredths = [](const std::optional<double>& mm) {
    return Map(mm, [](double v) { return v / 0.254; });
  };
  const std::tm utc = Utc(c.time);
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02dz", utc.tm_mday, utc.tm_hour, utc.tm_min);
  std::string p = s.station_id + ">APRS,TCPIP*:@" + stamp + CwopLatitude(*latitude) + "/" +
                  CwopLongitude(*longitude) + "_";
  p += Field(c.wind_dir, 3, 0, 360) + "/" + Field(c.wind_avg2m_mph, 3, 0, 999);
  p += "g" + Field(c.gust10m_mph, 3, 0, 999);
  p += "t" + Field(Map(c.temp_c, Fahrenheit), 3, -99, 999);
  p += "r" + Field(hundredths(c.rain_hour_mm), 3, 0, 999);
  p += "p" + Field(hundredths(c.rain_24h_mm), 3, 0, 999);
  p += "P" + Field(hundredths(c.rain_day_mm), 3, 0, 999);
  std::optional<double> humidity = c.humidity;
  if (humidity && std::lround(*humidity) >= 100) humidity = 0;  // 100 % is written "00"
  p += "h" + Field(humidity, 2, 0, 99);
  p += "b" + Field(Map(c.altimeter_hpa, [](double h) { return h * 10; }), 5, 0, 99999);
  if (c.solar_wm2) {
    const long w = std::lround(*c.solar_wm2);
    p += w >= 1000 ? "l" + Field(static_cast<double>(w - 1000), 3, 0, 999)
                   : "L" + Field(static_cast<double>(w), 3, 0, 999);
  }
  p += comment + "\r\n";
  return p;
}

}  // namespace tv
