#include "lib/common/unit_conversions.h"

#include "lib/station/result_codes.h"

namespace tv {

float FahrenheitToCelsius(float fahrenheit) {
  if (!IsValidResult(fahrenheit)) return fahrenheit;
  return (fahrenheit - 32.0f) * 5.0f / 9.0f;
}

float InHgToHpa(float inhg) {
  if (!IsValidResult(inhg)) return inhg;
  return inhg * 33.865f;
}

float KmhToMs(std::int32_t kmh) {
  const auto value = static_cast<float>(kmh);
  if (!IsValidResult(value)) return value;
  return value * 0.27777779f;
}

float MphToKmh(std::int32_t mph) {
  const auto value = static_cast<float>(mph);
  if (!IsValidResult(value)) return value;
  return value * 1.61f;
}

float FeetToMetres(float feet) {
  if (!IsValidResult(feet)) return feet;
  return feet * 0.30478513f;
}

float RainToMm(float rain) {
  if (!IsValidResult(rain)) return rain;
  return rain / 5.0f * 100.0f;
}

}  // namespace tv
