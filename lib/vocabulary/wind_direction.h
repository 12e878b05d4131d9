#pragma once

#include <string>
#include <string_view>

namespace tv {

// French name of one of the sixteen compass-point codes ("N", "NNE" ... "WNW",
// English letters, upper case, matched exactly); "---" for anything else.
std::string WindDirectionName(std::string_view code);

}  // namespace tv
