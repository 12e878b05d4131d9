#pragma once

#include <ostream>
#include <stop_token>
#include <string>

#include "gadget/engine/station_record.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// One line of the current conditions: temperatures in °C, humidities,
// pressure in hPa, wind in km/h with its direction, rain in mm. Values the
// console has no reading for show "---".
std::string CurrentConditionsSummary(const StationData& data);

// Runs the collection without a screen: the services enabled in `config`
// are collected, every log line is
// written to `out` (and to `window`), and after each successful current
// conditions run a CurrentConditionsSummary line follows. Returns 0 once
// `stop` is requested.
int RunHeadless(const ConfigTable& config, Window& window, std::ostream& out, std::stop_token stop,
                Clock& clock = DefaultClock());

// RunHeadless until the process receives SIGINT or SIGTERM. Call it before
// any other thread is started: it blocks both signals for the threads it
// starts.
int RunHeadlessUntilSignal(const ConfigTable& config, Window& window, std::ostream& out);

}  // namespace tv
