#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "fuzz/fuzz_console.h"
#include "stationlib/station.h"

namespace tv::fuzz {

// A station over a console answering from the fuzz input. Link time-outs are
// short: the console never makes a read wait anyway.
std::unique_ptr<stationlib::Station> OpenFuzzStation(std::span<const std::uint8_t> data,
                                                     FuzzConsole::Script script);

// The console's answers to the set-up read and to LOOP / LOOP2 requests, for
// targets that fuzz something else.
std::vector<std::uint8_t> CannedSetupReply();
std::vector<std::uint8_t> CannedLoopReply(std::uint8_t type);
FuzzConsole::Script ScriptWithSetup();

// Every getter over what was loaded: current values and texts, highs and
// lows with their times, alarm thresholds, set-up records. Checks the
// library's promises (texts within their maximum, codes from the documented
// set) and aborts when one is broken.
void ReadCurrent(stationlib::Station& station);
void ReadHiLows(stationlib::Station& station);
void ReadAlarms(stationlib::Station& station);
void ReadSetupRecords(stationlib::Station& station);

// Aborts with `what` on standard error: a broken promise is a finding.
[[noreturn]] void Fail(const char* what);

}  // namespace tv::fuzz
