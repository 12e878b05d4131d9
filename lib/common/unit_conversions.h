#pragma once

#include <cstdint>

namespace tv {

// Conversions from the console's units to the units shown. Each passes a
// station error or no-data code through unchanged (see IsValidResult), so a
// reader still recognises it after conversion. Computed in single precision.
float FahrenheitToCelsius(float fahrenheit);  // (x - 32) * 5 / 9
float InHgToHpa(float inhg);                  // x * 33.865
float KmhToMs(std::int32_t kmh);              // x * 0.27777779
float MphToKmh(std::int32_t mph);             // x * 1.61
float FeetToMetres(float feet);               // x * 0.30478513
float RainToMm(float rain);                   // x / 5 * 100

}  // namespace tv
