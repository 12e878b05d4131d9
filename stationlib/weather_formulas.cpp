#include "stationlib/weather_formulas.h"

#include <cmath>

namespace tv::stationlib {

double HeatIndexF(double t, double rh) {
  const double simple = 0.5 * (t + 61.0 + (t - 68.0) * 1.2 + rh * 0.094);
  if ((simple + t) / 2.0 < 80.0) return simple;
  double hi = -42.379 + 2.04901523 * t + 10.14333127 * rh - 0.22475541 * t * rh -
              0.00683783 * t * t - 0.05481717 * rh * rh + 0.00122874 * t * t * rh +
              0.00085282 * t * rh * rh - 0.00000199 * t * t * rh * rh;
  if (rh < 13.0 && t >= 80.0 && t <= 112.0) {
    hi -= ((13.0 - rh) / 4.0) * std::sqrt((17.0 - std::fabs(t - 95.0)) / 17.0);
  } else if (rh > 85.0 && t >= 80.0 && t <= 87.0) {
    hi += ((rh - 85.0) / 10.0) * ((87.0 - t) / 5.0);
  }
  return hi;
}

double ThwIndexF(double heat_index_f, double wind_mph) {
  return heat_index_f - 1.072 * wind_mph;
}

double DewPointF(double temp_f, double humidity) {
  constexpr double b = 17.62;
  constexpr double c = 243.12;
  const double t = (temp_f - 32.0) * 5.0 / 9.0;
  const double gamma = std::log(humidity / 100.0) + b * t / (c + t);
  const double dew_c = c * gamma / (b - gamma);
  return dew_c * 9.0 / 5.0 + 32.0;
}

double WindChillF(double temp_f, double wind_mph) {
  if (temp_f > 50.0 || wind_mph < 3.0) return temp_f;
  const double v = std::pow(wind_mph, 0.16);
  return 35.74 + 0.6215 * temp_f - 35.75 * v + 0.4275 * temp_f * v;
}

}  // namespace tv::stationlib
