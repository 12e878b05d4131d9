#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "stationlib/vantagepro.h"

namespace tv::testing {

// One collection's worth of station operations through the exported
// interface, each written as a line "name code [values]". A failed exchange
// is followed by a fresh connection, as the agent's next cycle would open.
// Recording a session and replaying it must give the same lines.
inline std::vector<std::string> RunSessionScript(const std::string& port, const std::string& host,
                                                 const std::function<void(int)>& before_step = {}) {
  std::vector<std::string> lines;
  const auto line = [&](const char* name, int code, const std::string& values = "") {
    lines.push_back(std::string(name) + " " + std::to_string(code) +
                    (values.empty() ? "" : " " + values));
    if (code != VP_OK) {
      CloseTCPIPPort_V();
      lines.push_back("reopen " + std::to_string(OpenTCPIPPort_V(port.c_str(), host.c_str())));
    }
  };
  const auto num = [](double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return std::string(buf);
  };
  lines.push_back("open " + std::to_string(OpenTCPIPPort_V(port.c_str(), host.c_str())));
  int step = 0;
  const auto next = [&] {
    if (before_step) before_step(step);
    ++step;
  };
  // Each operation runs before the getters that read what it loaded.
  int code = 0;
  next();
  code = InitStation_V();
  line("init", code, "model=" + std::to_string(GetModelNo_V()));
  next();
  code = LoadCurrentVantageData_V();
  line("current", code,
       "outside=" + num(GetOutsideTemp_V()) + " bar=" + num(GetBarometer_V()) +
           " wind=" + num(GetWindSpeed_V()) + " hum=" + std::to_string(GetOutsideHumidity_V()));
  next();
  code = LoadVantageHiLows_V();
  line("hilows", code,
       "day_high=" + num(GetHiLowDataByID_V(VP_QTY_TEMPERATURE + VP_PERIOD_DAY_HIGH)));
  next();
  code = LoadVantageAlarms_V();
  line("alarms", code, "out_high=" + num(GetOutsideHiTempAlarm_V()));
  next();
  VantageDateTime t{};
  const int time_code = GetStationTime_V(&t);
  line("time", time_code,
       std::to_string(t.Year) + "-" + std::to_string(t.Month) + "-" + std::to_string(t.Day) + " " +
           std::to_string(t.Hour) + ":" + std::to_string(t.Minute));
  next();
  char version[VP_TEXT_MAX] = {};
  const int version_code = GetStationFirmwareVersion_V(version);
  line("version", version_code, version);
  next();
  std::uint8_t bar[28] = {};
  const int bar_code = GetBarometerData_V(bar);
  std::int32_t bar_value = 0;
  std::memcpy(&bar_value, bar, sizeof bar_value);
  line("bardata", bar_code, "bar=" + std::to_string(bar_value));
  next();
  code = LoadCurrentVantageData_V();
  line("current", code, "outside=" + num(GetOutsideTemp_V()));
  CloseTCPIPPort_V();
  return lines;
}

}  // namespace tv::testing
