#pragma once

#include <functional>
#include <ostream>
#include <stop_token>
#include <string>

#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// One line of the current conditions as the window shows them, from the
// texts of its fields (`text` gives a field's text): temperatures in °C,
// humidities, pressure in hPa, wind in km/h with its direction, rain in mm.
std::string CurrentConditionsSummary(const std::function<std::string(Field)>& text);

// Runs the agent without a screen: the services enabled in `config` are
// collected and the views drawn into `window`; every log line is written to
// `out` too, and each time the current conditions have been drawn a
// CurrentConditionsSummary line of what they wrote follows. Returns 0 once
// `stop` is requested.
int RunHeadless(const ConfigTable& config, Window& window, std::ostream& out, std::stop_token stop,
                Clock& clock = DefaultClock());

// RunHeadless until the process receives SIGINT or SIGTERM. Call it before
// any other thread is started: it blocks both signals for the threads it
// starts.
int RunHeadlessUntilSignal(const ConfigTable& config, Window& window, std::ostream& out);

}  // namespace tv
