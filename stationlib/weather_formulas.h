#pragma once

namespace tv::stationlib {

// Derived temperatures for values the console does not send (THW in all
// cases; dew point, wind chill and heat index on consoles without LOOP2).
// All in °F, humidity in %, wind in mph.

// US National Weather Service heat index: the simple formula below 80 °F,
// the Rothfusz regression with its two humidity adjustments above.
double HeatIndexF(double temp_f, double humidity);
// Temperature-humidity-wind index: heat index less 1.072 °F per mph of wind.
double ThwIndexF(double heat_index_f, double wind_mph);
// Dew point by the Magnus formula (17.62, 243.12 °C). Humidity must be above 0.
double DewPointF(double temp_f, double humidity);
// 2001 North American wind chill; the air temperature itself above 50 °F or
// below 3 mph of wind, where the formula is not defined.
double WindChillF(double temp_f, double wind_mph);

}  // namespace tv::stationlib
