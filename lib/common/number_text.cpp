#include "lib/common/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tv {

std::string DecimalText(double value, int decimals) {
  if (!std::isfinite(value)) return "---";
  char buffer[400];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc{}) return "---";
  std::string text(buffer, end);
  // A value that rounds to zero is written without a sign ("0.0", not "-0.0").
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string RoundedText(double value) {
  if (!std::isfinite(value)) return "---";
  return DecimalText(std::nearbyint(value), 0);
}

std::string WholeText(long long value) {
  return std::to_string(value);
}

}  // namespace tv
