#pragma once

#include <string>

namespace tv {

// Numbers as the window shows them, always with a decimal point whatever the
// process locale, no thousands separator.
//
// `value` rounded to `decimals` places ("21.5", "-3.0", "1017.25"); a minus
// sign for a negative value, none when it rounds to zero ("0.0" for -0.04).
// "---" for a value that is not finite.
std::string DecimalText(double value, int decimals);

// `value` rounded to a whole number, a half going to the even neighbour
// ("2" for 2.5, "4" for 3.5). "---" for a value that is not finite.
std::string RoundedText(double value);

// A whole number in decimal.
std::string WholeText(long long value);

}  // namespace tv
