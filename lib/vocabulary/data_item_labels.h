#pragma once

#include <string>
#include <string_view>

namespace tv {

// French label of a console alarm data item ("BarRise", "HiExtraTemp[2]",
// "LowLeafWet[1]" ...). The name is matched without regard to ASCII case, the
// index in brackets included; an unknown item gives the empty text.
std::string DataItemLabel(std::string_view item_name);

}  // namespace tv
