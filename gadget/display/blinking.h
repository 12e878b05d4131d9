#pragma once

#include <string_view>

#include "gadget/window/window.h"

namespace tv {

// Blinking indicators by name. A blink is the window's own (a timer of the
// GUI thread, or the clock of the in-memory window), so starting and stopping
// one never waits for a thread. Each is registered in NamedHandles under
// kind 1 (the field number + 1 while it blinks, 0 once stopped), so that the
// owner of an indicator finds and stops the blink another thread started.

// Starts `field` blinking under `name` unless a blink already runs there.
// True when a new blink was started.
bool StartNamedBlink(Window& window, std::string_view name, Field field);
// Stops the blink registered under `name`. True when one was running. The
// caller then sets the field's final look.
bool StopNamedBlink(Window& window, std::string_view name);
bool NamedBlinkRunning(std::string_view name);

}  // namespace tv
