#include "lib/common/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tv {

std::string DecimalText(double value, int decimals) {
  if (!std::isfinite(value)) return "---";
  // An exact zero (negative zero included) is written without a sign.
  if (value == 0.0) value = 0.0;
  char buffer[400];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc{}) return "---";
  return std::string(buffer, end);
}

std::string RoundedText(double value) {
  if (!std::isfinite(value)) return "---";
  return DecimalText(std::nearbyint(value), 0);
}

std::string WholeText(long long value) {
  return std::to_string(value);
}

}  // namespace tv
