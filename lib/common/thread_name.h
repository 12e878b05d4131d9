#pragma once

#include <string_view>

namespace tv {

// Names the calling thread as the system shows it (/proc/PID/task/TID/comm,
// top, gdb), so that a per-thread measure says which worker it is. Names
// are cut to 15 bytes.
void NameThisThread(std::string_view name);

}  // namespace tv
