#pragma once

#include <chrono>
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

// Cycles after the first successful service run that an export waits for
// the services still missing before it goes ahead without them.
inline constexpr int kExportPatienceCycles = 3;

// Longest wait for the link to close when the headless agent stops.
inline constexpr std::chrono::milliseconds kHeadlessCloseWait{2000};

// Runs the agent without a screen: the services enabled in `config` are
// collected and the views drawn into `window`; every log line is written to
// `out` too, and each time the current conditions have been drawn a
// CurrentConditionsSummary line of what they wrote follows. Returns 0 once
// `stop` is requested.
//
// With an `export_path`, the collected data are written there (as the menu's
// export does) after the first full collection, every enabled service
// having succeeded once (or kExportPatienceCycles cycles after the first
// success, without the services that still fail), and the agent stops:
// 0 when the file was written, 1 when it was not or `stop` came first.
int RunHeadless(const ConfigTable& config, Window& window, std::ostream& out, std::stop_token stop,
                Clock& clock = DefaultClock(), const std::string& export_path = "");

// RunHeadless until the process receives SIGINT or SIGTERM (or the export is
// done); a second signal during the stop ends the process at once with
// 128 + the signal's number. Call it before any other thread is started: it
// blocks both signals for the threads it starts.
int RunHeadlessUntilSignal(const ConfigTable& config, Window& window, std::ostream& out,
                           const std::string& export_path = "");

}  // namespace tv
