#include "simulator/weather_model.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "protocol/eeprom_map.h"
#include "protocol/packets.h"

namespace tv::sim {

namespace ee = protocol::eeprom;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Round(double v, double step) {
  return std::round(v / step) * step;
}

double DewPointF(double temp_f, double hum) {
  const double t = (temp_f - 32.0) * 5.0 / 9.0;
  const double a = 17.62, b = 243.12;
  const double g = std::log(std::max(hum, 1.0) / 100.0) + a * t / (b + t);
  return (b * g / (a - g)) * 9.0 / 5.0 + 32.0;
}

double HeatIndexF(double t, double rh) {
  const double simple = 0.5 * (t + 61.0 + (t - 68.0) * 1.2 + rh * 0.094);
  if ((simple + t) / 2.0 < 80.0) return simple;
  return -42.379 + 2.04901523 * t + 10.14333127 * rh - 0.22475541 * t * rh - 0.00683783 * t * t -
         0.05481717 * rh * rh + 0.00122874 * t * t * rh + 0.00085282 * t * rh * rh -
         0.00000199 * t * t * rh * rh;
}

double WindChillF(double t, double v) {
  if (t > 50.0 || v < 3.0) return t;
  const double p = std::pow(v, 0.16);
  return 35.74 + 0.6215 * t - 35.75 * p + 0.4275 * t * p;
}

struct Sun {
  double elevation_sin;
  double sunrise_h, sunset_h;  // local hours, negative when none
};

Sun SunAt(const ConsoleTime& ct, double lat, double lon, double utc_offset_h) {
  const double decl = 23.44 * kPi / 180.0 * std::sin(2 * kPi * (284.0 + ct.yday + 1) / 365.0);
  const double phi = lat * kPi / 180.0;
  const double local_h = ct.hour + ct.minute / 60.0 + ct.second / 3600.0;
  const double solar_h = local_h - utc_offset_h + lon / 15.0;
  const double hour_angle = (solar_h - 12.0) * 15.0 * kPi / 180.0;
  Sun s{};
  s.elevation_sin =
      std::sin(phi) * std::sin(decl) + std::cos(phi) * std::cos(decl) * std::cos(hour_angle);
  const double c = -std::tan(phi) * std::tan(decl);
  if (c <= -1.0 || c >= 1.0) {
    s.sunrise_h = s.sunset_h = -1;
  } else {
    const double h0 = std::acos(c) * 180.0 / kPi / 15.0;
    const double noon = 12.0 + utc_offset_h - lon / 15.0;
    s.sunrise_h = noon - h0;
    s.sunset_h = noon + h0;
  }
  return s;
}

// Humidity kept within `lo`..`hi`: unchanged in the middle, approaching the
// limits ever more slowly instead of lying on them.
double SoftLimit(double x, double lo, double hi) {
  constexpr double kBand = 10.0;
  if (x > hi - kBand) return hi - kBand * std::exp(-(x - (hi - kBand)) / kBand);
  if (x < lo + kBand) return lo + kBand * std::exp((x - (lo + kBand)) / kBand);
  return x;
}

// 0 at the start time, 1 a few days away: the slow waves of the weather
// fade out near the start time, so that the scenario's values hold then.
double AwayFromStart(double hours) {
  const double x = hours / 36.0;
  return 1.0 - std::exp(-x * x);
}

// An Ornstein-Uhlenbeck step: `x` relaxes towards `mean` with time constant
// `tau_s` and wanders with standard deviation `sigma` around it.
template <typename Normal>
double Relax(double x, double mean, double sigma, double dt, double tau_s, Normal normal) {
  const double relax = std::exp(-dt / tau_s);
  return mean + (x - mean) * relax + normal(sigma * std::sqrt(1.0 - relax * relax));
}

Value HourMinute(double h) {
  if (h < 0) return std::nullopt;
  int minutes = static_cast<int>(std::lround(h * 60.0));
  minutes = std::clamp(minutes, 0, 23 * 60 + 59);
  return static_cast<double>((minutes / 60) * 100 + minutes % 60);
}

void Observe(Extremes& e, const Value& v, double hhmm, bool want_low = true,
             bool want_high = true) {
  if (!v) return;
  const double x = *v;
  if (want_low) {
    if (!e.day_low || x < *e.day_low) {
      e.day_low = x;
      e.day_low_time = hhmm;
    }
    if (!e.month_low || x < *e.month_low) e.month_low = x;
    if (!e.year_low || x < *e.year_low) e.year_low = x;
  }
  if (want_high) {
    if (!e.day_high || x > *e.day_high) {
      e.day_high = x;
      e.day_high_time = hhmm;
    }
    if (!e.month_high || x > *e.month_high) e.month_high = x;
    if (!e.year_high || x > *e.year_high) e.year_high = x;
    if (!e.hour_high || x > *e.hour_high) e.hour_high = x;
  }
}

template <typename F>
void ForEachExtremes(HiLows& h, F f) {
  for (Extremes* e :
       {&h.barometer, &h.wind_speed, &h.inside_temp, &h.inside_hum, &h.outside_temp, &h.dew_point,
        &h.wind_chill, &h.heat_index, &h.thsw, &h.solar, &h.uv, &h.rain_rate, &h.outside_hum}) {
    f(*e);
  }
  for (auto& e : h.extra_temp) f(e);
  for (auto& e : h.extra_hum) f(e);
  for (auto& e : h.soil_temp) f(e);
  for (auto& e : h.leaf_temp) f(e);
  for (auto& e : h.soil_moist) f(e);
  for (auto& e : h.leaf_wet) f(e);
}

}  // namespace

ConsoleTime BreakDown(std::int64_t console_seconds) {
  // The proleptic Gregorian calendar from days since 1970-01-01 (the model
  // breaks its time down several times a step: no library call, no lock).
  const auto floor_div = [](std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
  };
  const std::int64_t days = floor_div(console_seconds, 86400);
  const auto of_day = static_cast<int>(console_seconds - days * 86400);
  const std::int64_t z = days + 719468;
  const std::int64_t era = floor_div(z, 146097);
  const auto doe = static_cast<int>(z - era * 146097);
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);  // from March 1st
  const int mp = (5 * doy + 2) / 153;
  const int day = doy - (153 * mp + 2) / 5 + 1;
  const int month = mp < 10 ? mp + 3 : mp - 9;
  const int year = static_cast<int>(yoe + era * 400) + (month <= 2 ? 1 : 0);
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int yday = month <= 2 ? doy - 306 : doy + 59 + (leap ? 1 : 0);
  return {year, month, day, of_day / 3600, of_day / 60 % 60, of_day % 60, yday};
}

std::int64_t MakeConsoleSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return static_cast<std::int64_t>(timegm(&tm));
}

WeatherModel::WeatherModel(const Scenario& scenario, std::uint64_t seed)
    : scenario_(scenario), rng_(seed) {
  pressure_ = scenario.pressure_inhg;
  wind_base_ = scenario.weather.wind_mean_mph;
}

double WeatherModel::StormAt(std::int64_t t) const {
  const Storm& s = scenario_.storm;
  if (s.rise_h <= 0) return 0.0;
  const double h = static_cast<double>(t - start_) / 3600.0;
  // A bell, a tenth of its height `rise_h` before and `fall_h` after it
  // (sqrt(2 ln 10) widths).
  const double width = (h < 0 ? s.rise_h : s.fall_h) / 2.146;
  const double x = h / width;
  return std::exp(-x * x / 2.0);
}

Weather WeatherModel::WeatherAt(double storm) const {
  if (scenario_.storm.rise_h <= 0) return scenario_.weather;
  const Weather& a = scenario_.fair;
  const Weather& b = scenario_.weather;
  const auto mix = [storm](double x, double y) { return x + (y - x) * storm; };
  return {mix(a.mean_temp_f, b.mean_temp_f), mix(a.temp_swing_f, b.temp_swing_f),
          mix(a.mean_hum, b.mean_hum), mix(a.wind_mean_mph, b.wind_mean_mph),
          mix(a.gust_mph, b.gust_mph),
          // The storm's own rain, and no showers until well after it.
          storm > 1e-6 ? 0.0 : a.rain_chance_per_h, a.rain_rate_clicks_h};
}

double WeatherModel::StormRain(std::int64_t t) const {
  const double k = StormAt(t);
  if (k < 0.1) return 0.0;
  const double h = static_cast<double>(t - start_) / 3600.0;
  const double burst = h / 0.25;  // a downpour of about half an hour at the height
  return scenario_.weather.rain_rate_clicks_h * k +
         scenario_.storm.burst_clicks_h * std::exp(-burst * burst / 2.0);
}

double WeatherModel::PressureLevel(std::int64_t t) const {
  const double h = static_cast<double>(t - start_) / 3600.0;
  // The weather system of the start time: a trough (or a ridge) deepest
  // `kW` hours after it, its slope then the scenario's trend.
  constexpr double kW = 6.0;
  const double depth = -scenario_.pressure_trend_per_h * kW * std::exp(0.5);
  const auto system = [depth](double x) {
    const double u = x / kW - 1.0;
    return -depth * std::exp(-u * u / 2.0);
  };
  // Highs and lows passing every few days, away from it.
  const double waves = 0.15 * std::sin(2 * kPi * h / 101.0 + phases_[0]) +
                       0.07 * std::sin(2 * kPi * h / 53.0 + phases_[1]);
  return scenario_.pressure_inhg + system(h) - system(0.0) + waves * AwayFromStart(h);
}

double WeatherModel::TemperatureWave(std::int64_t t) const {
  const double h = static_cast<double>(t - start_) / 3600.0;
  return 3.0 * std::sin(2 * kPi * h / 131.0 + phases_[2]) * AwayFromStart(h);
}

double WeatherModel::Normal(double sigma) {
  return sigma * normal_(rng_);
}

double WeatherModel::Uniform() {
  std::uniform_real_distribution<double> d(0.0, 1.0);
  return d(rng_);
}

void WeatherModel::Start(std::int64_t t, const EepromImage& e, std::int64_t history_s) {
  Begin(t, e, history_s);
  RunToStart(e);
}

void WeatherModel::Begin(std::int64_t t, const EepromImage& e, std::int64_t history_s) {
  start_ = t;
  const ConsoleTime ct = BreakDown(t);
  const std::int64_t midnight = t - (ct.hour * 3600 + ct.minute * 60 + ct.second);
  start_midnight_ = midnight;
  const std::int64_t from = std::min(midnight, t - std::max<std::int64_t>(0, history_s));
  for (double& phase : phases_) phase = 2 * kPi * Uniform();
  time_ = from;
  const double storm = StormAt(from);
  const Weather w = WeatherAt(storm);
  wind_base_ = w.wind_mean_mph;
  cloud_ = std::clamp(0.15 + 3.0 * w.rain_chance_per_h + 0.75 * storm, 0.0, 0.9);
  rain_intensity_ = StormRain(from);
  raining_ = rain_intensity_ > 0;
  wet_ = raining_ ? 1.0 : 0.0;
  pressure_ = PressureLevel(from);
  // Three hours of barometer history before the beginning, so the trend is known.
  for (int i = 18; i >= 1; --i) {
    bar_history_.emplace_back(from - i * 600, PressureLevel(from - i * 600));
  }
  // Rain totals so far this month and year.
  const ConsoleTime cf = BreakDown(from);
  day_rain_ = 0;
  month_rain_ = std::floor((cf.day - 1) * (2.0 + 3.0 * Uniform()));
  year_rain_ = month_rain_ + std::floor((cf.month - 1) * 150.0 * (0.5 + Uniform()));
  month_et_ = (cf.day - 1) * 0.09;
  year_et_ = month_et_ + (cf.month - 1) * 2.5;
  archive_pointer_ = static_cast<int>(Uniform() * 2560);
  last_rain_time_ = from - 3 * 86400;
  started_ = true;
  Compute(e);
  ApplyPins();
  ComputeAlarms(e);
  Accumulate();
}

void WeatherModel::RunToStart(const EepromImage& e) {
  const ConsoleTime ct = BreakDown(start_);
  const std::int64_t midnight = start_ - (ct.hour * 3600 + ct.minute * 60 + ct.second);
  // The days before at a third of the archive interval (a few thousand steps
  // for a whole archive memory), the day itself at 30 s.
  const double period = std::max<int>(1, e.U8(ee::kArchivePeriod)) * 60.0;
  if (time_ < midnight) AdvanceTo(midnight, e, std::clamp(period / 3.0, 10.0, 300.0));
  AdvanceTo(start_, e, 30.0);
}

void WeatherModel::AdvanceTo(std::int64_t t, const EepromImage& e, double max_step) {
  if (!started_) {
    Start(t, e);
    return;
  }
  while (time_ < t) {
    const double dt = std::min<double>(std::max(1.0, max_step), static_cast<double>(t - time_));
    // What falls in the step that ends at midnight is the old day's, as is
    // the archive record stamped 00:00; the day's counters start again at
    // the end of that step, the new day's extremes with its values.
    const ConsoleTime before = BreakDown(time_);
    time_ += static_cast<std::int64_t>(dt);
    Step(dt, e);
    if (RollOver(before, BreakDown(time_))) {
      PutTotals();
      ApplyPins();
      ComputeAlarms(e);
      ApplyPins();
      Accumulate();
    }
  }
}

bool WeatherModel::RollOver(const ConsoleTime& before, const ConsoleTime& after) {
  if (before.hour == after.hour && before.day == after.day && before.month == after.month &&
      before.year == after.year) {
    return false;
  }
  hilows_.rain_rate.hour_high.reset();
  if (before.day == after.day && before.month == after.month && before.year == after.year) {
    return true;
  }
  ForEachExtremes(hilows_, [](Extremes& x) {
    x.day_low.reset();
    x.day_high.reset();
    x.day_low_time.reset();
    x.day_high_time.reset();
  });
  day_rain_ = 0;
  day_et_ = 0;
  rx_ = RxStats{};
  if (before.month != after.month || before.year != after.year) {
    ForEachExtremes(hilows_, [](Extremes& x) {
      x.month_low.reset();
      x.month_high.reset();
    });
    month_rain_ = 0;
    month_et_ = 0;
  }
  if (before.year != after.year) {
    ForEachExtremes(hilows_, [](Extremes& x) {
      x.year_low.reset();
      x.year_high.reset();
    });
    year_rain_ = 0;
    year_et_ = 0;
  }
  return true;
}

void WeatherModel::Step(double dt, const EepromImage& e) {
  const double hours = dt / 3600.0;
  const double storm = StormAt(time_);
  const Weather w = WeatherAt(storm);
  const auto normal = [this](double sigma) { return Normal(sigma); };
  // Barometer: the scenario's course plus a small, slow noise.
  pressure_noise_ = Relax(pressure_noise_, 0.0, 0.01, dt, 12 * 3600.0, normal);
  pressure_ = std::clamp(PressureLevel(time_) + pressure_noise_, 28.2, 31.2);
  bar_history_.emplace_back(time_, pressure_);
  while (bar_history_.size() > 2 && bar_history_[1].first <= time_ - 3 * 3600) {
    bar_history_.pop_front();
  }
  // Noise terms relax towards zero.
  temp_noise_ = Relax(temp_noise_, 0.0, 1.3, dt, 3600.0, normal);
  hum_noise_ = Relax(hum_noise_, 0.0, 5.0, dt, 3 * 3600.0, normal);
  const double cloud_mean = std::clamp(0.15 + 3.0 * w.rain_chance_per_h + 0.75 * storm, 0.0, 0.9);
  cloud_ = std::clamp(Relax(cloud_, cloud_mean, 0.25, dt, 3 * 3600.0, normal), 0.0, 1.0);
  // Wind: a slowly varying base with gusts on top; direction wanders.
  wind_base_ += (w.wind_mean_mph - wind_base_) * (1 - std::exp(-dt / 1200.0)) +
                Normal(0.3 * std::sqrt(dt / 60.0));
  wind_base_ = std::max(0.0, wind_base_);
  // Gusts come and die away within seconds: their chain runs in beats of at
  // most 10 s whatever the step, so that long steps are not gustier; the
  // strongest wind of the beats before the last is the step's peak (the last
  // one is the reading).
  double peak = -1;
  for (double left = dt; left > 0; left -= 10.0) {
    const bool whole = left >= 10.0;
    const double beat = left / 10.0;
    const double chance = whole ? 0.15 : 1.0 - std::pow(0.85, beat);
    gust_ =
        Uniform() < chance ? w.gust_mph * Uniform() : gust_ * (whole ? 0.5 : std::pow(0.5, beat));
    // (A uniform noise of the reading's spread: cheaper, and only its peak counts.)
    if (left > 10.0) peak = std::max(peak, wind_base_ + gust_ + 3.46 * (Uniform() - 0.5));
  }
  wind_dir_ = std::fmod(wind_dir_ + Normal(8.0 * std::sqrt(dt / 60.0)) + 360.0, 360.0);
  // Rain: the storm's, and showers in fair weather.
  if (!shower_ && w.rain_chance_per_h > 0 && Uniform() < w.rain_chance_per_h * hours) {
    shower_ = true;
    shower_left_s_ = 1800 + Uniform() * 7200;
    shower_intensity_ = w.rain_rate_clicks_h * (0.7 + 0.6 * Uniform());
  }
  if (shower_) {
    shower_left_s_ -= dt;
    if (shower_left_s_ <= 0) shower_ = false;
  }
  rain_intensity_ = std::max(StormRain(time_), shower_ ? shower_intensity_ : 0.0);
  raining_ = rain_intensity_ > 0;
  const double soaked = raining_ ? 1.0 : 0.0;
  wet_ = soaked + (wet_ - soaked) * std::exp(-dt / 1200.0);
  double clicks_now = 0;
  if (raining_) {
    const double rate = std::max(1.0, rain_intensity_ * (0.6 + 0.8 * Uniform()));
    rain_fraction_ += rate * hours;
    clicks_now = std::floor(rain_fraction_);
    rain_fraction_ -= clicks_now;
  }
  if (clicks_now > 0) {
    if (storm_start_ < 0 || time_ - last_rain_time_ > 24 * 3600) {
      storm_start_ = time_;
      storm_clicks_ = 0;
    }
    last_rain_time_ = time_;
    storm_clicks_ += clicks_now;
    day_rain_ += clicks_now;
    month_rain_ += clicks_now;
    year_rain_ += clicks_now;
    rain_history_.emplace_back(time_, clicks_now);
  }
  if (storm_start_ >= 0 && time_ - last_rain_time_ > 24 * 3600) {
    storm_start_ = -1;
    storm_clicks_ = 0;
  }
  while (!rain_history_.empty() && rain_history_.front().first <= time_ - 24 * 3600) {
    rain_history_.pop_front();
  }
  // Archive records.
  archive_accum_s_ += dt;
  const double period = std::max<int>(1, e.U8(ee::kArchivePeriod)) * 60.0;
  while (archive_accum_s_ >= period) {
    archive_accum_s_ -= period;
    archive_pointer_ = (archive_pointer_ + 1) % 2560;
  }
  // Reception: the main suite sends every 2.5625 s. The counts start again
  // at each midnight: those of the days before the start time's are not
  // drawn, they would be forgotten.
  if (time_ > start_midnight_) rx_.fraction += dt / 2.5625;
  while (rx_.fraction >= 1.0) {
    rx_.fraction -= 1.0;
    const double u = Uniform();
    if (u < 0.015) {
      ++rx_.missed;
      rx_.current_run = 0;
      if (Uniform() < 0.05) ++rx_.resync;
    } else {
      ++rx_.total;
      if (u < 0.02) {
        ++rx_.crc_errors;
        rx_.current_run = 0;
      } else {
        ++rx_.current_run;
        rx_.longest = std::max(rx_.longest, rx_.current_run);
      }
    }
  }
  Compute(e);
  ApplyPins();
  ComputeAlarms(e);
  ApplyPins();
  // ET accumulates from the sunshine actually reported: about a quarter of
  // an inch on a clear summer day.
  double et_now = 0;
  if (readings_.solar && readings_.outside_temp) {
    const double et =
        *readings_.solar * hours * 0.000035 * (1.0 + (*readings_.outside_temp - 50.0) / 100.0);
    et_now = std::max(0.0, et);
    day_et_ += et_now;
    month_et_ += et_now;
    year_et_ += et_now;
    PutTotals();
    ApplyPins();
  }
  Accumulate();
  if (archiving_) {
    const int period_s = std::max<int>(1, e.U8(ee::kArchivePeriod)) * 60;
    accumulator_.Add(readings_, ArchiveStep{time_, dt, clicks_now, et_now, std::round(peak)},
                     period_s, [this](std::int64_t end, ArchiveEntry entry) {
                       if (end > keep_after_) archived_.emplace_back(end, std::move(entry));
                     });
  }
}

void WeatherModel::Compute(const EepromImage& e) {
  Readings& r = readings_;
  const ConsoleTime ct = BreakDown(time_);
  const double lat = e.S16(ee::kLatitude) / ee::kLatLonScale;
  const double lon = e.S16(ee::kLongitude) / ee::kLatLonScale;
  const double utc_offset = e.S16(ee::kGmtOffset) / ee::kGmtOffsetScale;
  const Sun sun = SunAt(ct, lat, lon, utc_offset);
  const double local_h = ct.hour + ct.minute / 60.0;

  // Temperatures, °F.
  const Weather w = WeatherAt(StormAt(time_));
  const double cycle = std::sin(2 * kPi * (local_h - 9.0) / 24.0);
  const double out_t =
      w.mean_temp_f + w.temp_swing_f * cycle + temp_noise_ + TemperatureWave(time_);
  const double out_h =
      SoftLimit(w.mean_hum - 1.4 * w.temp_swing_f * cycle + hum_noise_ + 10.0 * wet_, 8.0, 100.0);
  const double in_t = 69.0 + 1.5 * cycle + temp_noise_ * 0.1;
  const double in_h = std::clamp(45.0 + hum_noise_ * 0.3, 20.0, 80.0);
  r.outside_temp = Round(out_t, 0.1);
  r.outside_hum = std::round(out_h);
  r.inside_temp = Round(in_t, 0.1);
  r.inside_hum = std::round(in_h);

  // Wind, mph.
  const double speed = std::max(0.0, wind_base_ + gust_ + Normal(1.0));
  wind_history_.emplace_back(time_, speed);
  while (!wind_history_.empty() && wind_history_.front().first <= time_ - 600) {
    wind_history_.pop_front();
  }
  double sum10 = 0, sum2 = 0, gust = 0;
  int n2 = 0;
  double gust_dir = wind_dir_;
  for (const auto& [when, s] : wind_history_) {
    sum10 += s;
    if (when > time_ - 120) {
      sum2 += s;
      ++n2;
    }
    if (s >= gust) gust = s;
  }
  const double avg10 = sum10 / static_cast<double>(wind_history_.size());
  const double avg2 = n2 ? sum2 / n2 : speed;
  r.wind_speed = std::min(254.0, std::round(speed));
  r.wind_avg10 = Round(avg10, 0.1);
  r.wind_avg2 = Round(avg2, 0.1);
  r.wind_gust10 = std::round(gust);
  double dir = std::round(wind_dir_);
  if (dir <= 0) dir = 360;
  r.wind_dir = dir;
  double gdir = std::round(gust_dir);
  if (gdir <= 0) gdir = 360;
  r.wind_gust10_dir = gdir;

  // Derived temperatures, whole °F.
  const double dew = DewPointF(*r.outside_temp, *r.outside_hum);
  const double heat = HeatIndexF(*r.outside_temp, *r.outside_hum);
  const double chill = WindChillF(*r.outside_temp, *r.wind_speed);
  r.dew_point = std::round(dew);
  r.heat_index = std::round(heat);
  r.wind_chill = std::round(chill);

  // Sun.
  const double elev = std::max(0.0, sun.elevation_sin);
  if (scenario_.solar_uv) {
    // Rain comes with its clouds, building up and clearing with the wetness.
    const double sky = std::max(cloud_, 0.85 * wet_);
    const double solar = 1050.0 * std::pow(elev, 1.15) * (1.0 - 0.75 * sky);
    r.solar = std::round(std::max(0.0, solar));
    r.uv = Round(std::max(0.0, 11.0 * std::pow(elev, 2.5) * (1.0 - 0.6 * sky)), 0.1);
    r.thsw = std::round(heat - 1.072 * *r.wind_speed + *r.solar / 60.0);
  } else {
    r.solar.reset();
    r.uv.reset();
    r.thsw.reset();
  }
  r.sunrise = HourMinute(sun.sunrise_h);
  r.sunset = HourMinute(sun.sunset_h);

  // Barometer, inHg.
  const double elevation_ft = e.S16(ee::kElevation);
  r.barometer = Round(pressure_, 0.001);
  r.bar_reduction = 2;
  r.bar_offset = e.S16(ee::kBarCal) / 1000.0;
  r.bar_cal = 0.0;
  const double station_p = pressure_ * std::exp(-elevation_ft / 27000.0);
  r.bar_abs = Round(station_p, 0.001);
  r.bar_raw = Round(station_p, 0.001);
  r.altimeter = Round(pressure_ + 0.002, 0.001);
  const double change = pressure_ - bar_history_.front().second;
  double trend = 0;
  if (change <= -0.06) {
    trend = -60;
  } else if (change <= -0.02) {
    trend = -20;
  } else if (change >= 0.06) {
    trend = 60;
  } else if (change >= 0.02) {
    trend = 20;
  }
  r.bar_trend = trend;

  // Rain, clicks.
  double c15 = 0, c60 = 0, c24 = 0;
  for (const auto& [when, c] : rain_history_) {
    c24 += c;
    if (when > time_ - 3600) c60 += c;
    if (when > time_ - 900) c15 += c;
  }
  r.rain_rate = raining_ ? std::round(rain_intensity_) : 0.0;
  r.rain_15min = c15;
  r.rain_1h = c60;
  r.rain_24h = c24;
  PutTotals();
  r.storm_rain = storm_start_ >= 0 ? storm_clicks_ : 0.0;
  if (storm_start_ >= 0) {
    const ConsoleTime s = BreakDown(storm_start_);
    r.storm_start = s.year * 10000.0 + s.month * 100.0 + s.day;
  } else {
    r.storm_start.reset();
  }

  // Extra, soil and leaf sensors.
  r.extra_temp.fill(std::nullopt);
  r.extra_hum.fill(std::nullopt);
  r.soil_temp.fill(std::nullopt);
  r.leaf_temp.fill(std::nullopt);
  r.soil_moist.fill(std::nullopt);
  r.leaf_wet.fill(std::nullopt);
  if (scenario_.extra_sensors) {
    r.extra_temp[0] = std::round(out_t - 2.0 + 0.5 * cycle);
    r.extra_hum[0] = std::round(std::clamp(out_h + 4.0, 5.0, 100.0));
    const double soil = w.mean_temp_f + 2.0 + 2.0 * std::sin(2 * kPi * (local_h - 15.0) / 24.0);
    r.soil_temp[0] = std::round(soil);
    r.soil_temp[1] = std::round(soil - 1.0);
    r.leaf_temp[0] = std::round(out_t + 1.0);
    r.leaf_temp[1] = std::round(out_t);
    // Soil and leaves wet with the rain (`wet_`) and dry after it.
    const double wet_soil = 25.0 + 10.0 * cycle + (8.0 - (25.0 + 10.0 * cycle)) * wet_;
    r.soil_moist[0] = std::round(std::clamp(wet_soil, 0.0, 200.0));
    r.soil_moist[1] = std::round(std::clamp(wet_soil + 12.0, 0.0, 200.0));
    const double wet = std::max(14.0 * wet_, out_h > 90 ? 6.0 : 0.0);
    r.leaf_wet[0] = std::round(wet);
    r.leaf_wet[1] = std::round(std::max(0.0, wet - 2.0));
  }

  // Forecast from the trend and the sky.
  const bool cold = *r.outside_temp < 34.0;
  int icons = protocol::kIconPartlyCloudy | protocol::kIconCloud;
  int rule = 86;  // partly cloudy with little temperature change
  if (raining_) {
    icons = protocol::kIconCloud | (cold ? protocol::kIconSnow : protocol::kIconRain);
    rule = *r.wind_speed > 25 ? 99 : 89;
  } else if (trend < 0 && *r.outside_hum > 75) {
    icons = protocol::kIconCloud | protocol::kIconRain | (cold ? protocol::kIconSnow : 0);
    rule = 90;
  } else if (trend >= 0 && cloud_ < 0.35) {
    icons = protocol::kIconSun;
    rule = 87;
  }
  r.forecast_icons = icons;
  r.forecast_rule = rule;

  // Batteries: console on mains with a healthy backup cell; the temp/hum
  // station's cell runs low in the storm scenario.
  r.console_battery = protocol::ConsoleBatteryVolts(805);
  r.tx_battery = (scenario_.extra_sensors && scenario_.storm.rise_h > 0) ? 0x02 : 0x00;
  r.archive_pointer = archive_pointer_;
}

void WeatherModel::PutTotals() {
  Readings& r = readings_;
  r.day_rain = day_rain_;
  r.month_rain = month_rain_;
  r.year_rain = year_rain_;
  // The console works evapotranspiration out from the solar sensor: none without one.
  if (scenario_.solar_uv) {
    r.day_et = Round(day_et_, 0.001);
    r.month_et = Round(month_et_, 0.01);
    r.year_et = Round(year_et_, 0.01);
  } else {
    r.day_et.reset();
    r.month_et.reset();
    r.year_et.reset();
  }
}

void WeatherModel::ComputeAlarms(const EepromImage& e) {
  Readings& r = readings_;
  auto byte_set = [&](std::uint16_t a) { return e.U8(a) != ee::kAlarmByteNotSet; };
  auto below = [&](const Value& v, std::uint16_t a, int offset) {
    return v && byte_set(a) && *v < e.U8(a) - offset;
  };
  auto above = [&](const Value& v, std::uint16_t a, int offset) {
    return v && byte_set(a) && *v > e.U8(a) - offset;
  };
  auto word_above = [&](const Value& v, std::uint16_t a) {
    return v && e.U16(a) != ee::kAlarmWordNotSet && *v >= e.U16(a);
  };
  const int t = ee::kAlarmTempOffsetF;
  const int d = ee::kAlarmDewOffsetF;

  int inside = 0;
  const double change = pressure_ - bar_history_.front().second;
  if (e.U8(ee::kAlarmBarFall) != 0 && -change >= e.U8(ee::kAlarmBarFall) / 1000.0) inside |= 0x01;
  if (e.U8(ee::kAlarmBarRise) != 0 && change >= e.U8(ee::kAlarmBarRise) / 1000.0) inside |= 0x02;
  if (below(r.inside_temp, ee::kAlarmLowInTemp, t)) inside |= 0x04;
  if (above(r.inside_temp, ee::kAlarmHighInTemp, t)) inside |= 0x08;
  if (below(r.inside_hum, ee::kAlarmLowInHum, 0)) inside |= 0x10;
  if (above(r.inside_hum, ee::kAlarmHighInHum, 0)) inside |= 0x20;
  const ConsoleTime ct = BreakDown(time_);
  const std::uint16_t alarm_time = e.U16(ee::kAlarmTime);
  if (static_cast<std::uint16_t>(~alarm_time) == e.U16(ee::kAlarmTimeComp) &&
      alarm_time == ct.hour * 100 + ct.minute) {
    inside |= 0x40;
  }
  r.alarm_inside = inside;

  int rain = 0;
  if (word_above(r.rain_rate, ee::kAlarmHighRainRate)) rain |= 0x01;
  if (word_above(r.rain_15min, ee::kAlarmRain15Min)) rain |= 0x02;
  if (word_above(r.rain_24h, ee::kAlarmRain24Hour)) rain |= 0x04;
  if (word_above(r.storm_rain, ee::kAlarmStormTotal)) rain |= 0x08;
  if (r.day_et && byte_set(ee::kAlarmDailyEt) && *r.day_et * 1000.0 >= e.U8(ee::kAlarmDailyEt)) {
    rain |= 0x10;
  }
  r.alarm_rain = rain;

  int out = 0;
  if (below(r.outside_temp, ee::kAlarmLowOutTemp, t)) out |= 0x0001;
  if (above(r.outside_temp, ee::kAlarmHighOutTemp, t)) out |= 0x0002;
  if (r.wind_speed && byte_set(ee::kAlarmWindSpeed) && *r.wind_speed >= e.U8(ee::kAlarmWindSpeed)) {
    out |= 0x0004;
  }
  if (r.wind_avg10 && byte_set(ee::kAlarmWindAvg10) && *r.wind_avg10 >= e.U8(ee::kAlarmWindAvg10)) {
    out |= 0x0008;
  }
  if (below(r.dew_point, ee::kAlarmLowDew, d)) out |= 0x0010;
  if (above(r.dew_point, ee::kAlarmHighDew, d)) out |= 0x0020;
  if (above(r.heat_index, ee::kAlarmHighHeat, t)) out |= 0x0040;
  if (below(r.wind_chill, ee::kAlarmLowChill, d)) out |= 0x0080;
  if (above(r.thsw, ee::kAlarmHighThsw, t)) out |= 0x0100;
  if (word_above(r.solar, ee::kAlarmHighSolar)) out |= 0x0200;
  if (r.uv && byte_set(ee::kAlarmHighUv) && *r.uv * 10.0 >= e.U8(ee::kAlarmHighUv)) out |= 0x0400;
  r.alarm_outside = out;

  for (std::size_t i = 0; i < 8; ++i) {
    int bits = 0;
    const Value& temp = i == 0 ? r.outside_temp : r.extra_temp[i - 1];
    const Value& hum = i == 0 ? r.outside_hum : r.extra_hum[i - 1];
    if (i > 0) {
      if (below(temp, static_cast<std::uint16_t>(ee::kAlarmLowTemps + i - 1), t)) bits |= 0x01;
      if (above(temp, static_cast<std::uint16_t>(ee::kAlarmHighTemps + i - 1), t)) bits |= 0x02;
    }
    if (below(hum, static_cast<std::uint16_t>(ee::kAlarmLowHums + i), 0)) bits |= 0x04;
    if (above(hum, static_cast<std::uint16_t>(ee::kAlarmHighHums + i), 0)) bits |= 0x08;
    r.alarm_extra[i] = bits;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    int bits = 0;
    const auto n = static_cast<std::uint16_t>(i);
    if (below(r.leaf_wet[i], ee::kAlarmLowLeafWet + n, 0)) bits |= 0x01;
    if (above(r.leaf_wet[i], ee::kAlarmHighLeafWet + n, 0)) bits |= 0x02;
    if (below(r.soil_moist[i], ee::kAlarmLowSoilMoist + n, 0)) bits |= 0x04;
    if (above(r.soil_moist[i], ee::kAlarmHighSoilMoist + n, 0)) bits |= 0x08;
    if (below(r.leaf_temp[i], ee::kAlarmLowTemps + 11 + n, t)) bits |= 0x10;
    if (above(r.leaf_temp[i], ee::kAlarmHighTemps + 11 + n, t)) bits |= 0x20;
    if (below(r.soil_temp[i], ee::kAlarmLowTemps + 7 + n, t)) bits |= 0x40;
    if (above(r.soil_temp[i], ee::kAlarmHighTemps + 7 + n, t)) bits |= 0x80;
    r.alarm_soilleaf[i] = bits;
  }
}

void WeatherModel::Accumulate() {
  Readings& r = readings_;
  HiLows& h = hilows_;
  const ConsoleTime ct = BreakDown(time_);
  const double hhmm = ct.hour * 100.0 + ct.minute;
  Observe(h.barometer, r.barometer, hhmm);
  Observe(h.wind_speed, r.wind_speed, hhmm, false, true);
  Observe(h.inside_temp, r.inside_temp, hhmm);
  Observe(h.inside_hum, r.inside_hum, hhmm);
  Observe(h.outside_temp, r.outside_temp, hhmm);
  Observe(h.outside_hum, r.outside_hum, hhmm);
  Observe(h.dew_point, r.dew_point, hhmm);
  Observe(h.wind_chill, r.wind_chill, hhmm, true, false);
  Observe(h.heat_index, r.heat_index, hhmm, false, true);
  Observe(h.thsw, r.thsw, hhmm, false, true);
  Observe(h.solar, r.solar, hhmm, false, true);
  Observe(h.uv, r.uv, hhmm, false, true);
  Observe(h.rain_rate, r.rain_rate, hhmm, false, true);
  for (std::size_t i = 0; i < 7; ++i) {
    Observe(h.extra_temp[i], r.extra_temp[i], hhmm);
    Observe(h.extra_hum[i], r.extra_hum[i], hhmm);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    Observe(h.soil_temp[i], r.soil_temp[i], hhmm);
    Observe(h.leaf_temp[i], r.leaf_temp[i], hhmm);
    Observe(h.soil_moist[i], r.soil_moist[i], hhmm);
    Observe(h.leaf_wet[i], r.leaf_wet[i], hhmm);
  }
}

std::vector<std::pair<std::int64_t, ArchiveEntry>> WeatherModel::TakeArchived() {
  std::vector<std::pair<std::int64_t, ArchiveEntry>> out;
  out.swap(archived_);
  return out;
}

bool WeatherModel::Pin(const std::string& name, const Value& v) {
  for (auto& nv : NameReadings(readings_)) {
    if (nv.name == name) {
      pins_[name] = v;
      *nv.value = v;
      return true;
    }
  }
  return false;
}

bool WeatherModel::Unpin(const std::string& name) {
  return pins_.erase(name) > 0;
}

void WeatherModel::ApplyPins() {
  if (pins_.empty()) return;
  for (auto& nv : NameReadings(readings_)) {
    auto it = pins_.find(nv.name);
    if (it != pins_.end()) *nv.value = it->second;
  }
}

}  // namespace tv::sim
