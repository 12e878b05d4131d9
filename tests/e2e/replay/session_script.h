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

// An archive download through the exported interface: the records after a
// stamp of the console's memory, each download written as a line "archive
// code pages=N records=N first=STAMP last=STAMP out=SUM rain=SUM". A
// download that fails is asked again on a fresh connection after the last
// record it handed over, as the agent's catch-up goes on.
inline std::vector<std::string> RunArchiveSessionScript(
    const std::string& port, const std::string& host,
    const std::function<void(int)>& before_step = {}) {
  std::vector<std::string> lines;
  const auto stamp_text = [](const VantageDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute);
    return std::string(buf);
  };
  struct Download {
    int pages = 0;
    std::vector<VantageArchiveRecord> records;
  };
  const auto sink = [](void* context, const VantageArchivePage* page) -> std::int32_t {
    auto& d = *static_cast<Download*>(context);
    ++d.pages;
    d.records.insert(d.records.end(), page->Records, page->Records + page->Count);
    return 0;
  };
  lines.push_back("open " + std::to_string(OpenTCPIPPort_V(port.c_str(), host.c_str())));
  int step = 0;
  const auto next = [&] {
    if (before_step) before_step(step);
    ++step;
  };
  next();
  const int init = InitStation_V();
  lines.push_back("init " + std::to_string(init) + " model=" + std::to_string(GetModelNo_V()));
  VantageDateTime after{.Minute = 0, .Hour = 12, .Day = 15, .Month = 6, .Year = 2024};
  for (int attempt = 0; attempt < 2; ++attempt) {
    next();
    Download d;
    const int code = DownloadArchive_V(&after, sink, &d);
    double out = 0, rain = 0;
    for (const auto& r : d.records) {
      out += static_cast<double>(r.OutsideTemp);
      rain += static_cast<double>(r.Rain);
    }
    char sums[64];
    std::snprintf(sums, sizeof sums, " out=%.1f rain=%.2f", out, rain);
    lines.push_back("archive " + std::to_string(code) + " pages=" + std::to_string(d.pages) +
                    " records=" + std::to_string(d.records.size()) +
                    (d.records.empty() ? std::string()
                                       : " first=" + stamp_text(d.records.front().Stamp) +
                                             " last=" + stamp_text(d.records.back().Stamp)) +
                    sums);
    if (code == VP_OK) break;
    if (!d.records.empty()) after = d.records.back().Stamp;
    CloseTCPIPPort_V();
    lines.push_back("reopen " + std::to_string(OpenTCPIPPort_V(port.c_str(), host.c_str())));
  }
  next();
  const int current = LoadCurrentVantageData_V();
  char outside[32];
  std::snprintf(outside, sizeof outside, "%.3f", static_cast<double>(GetOutsideTemp_V()));
  lines.push_back("current " + std::to_string(current) + " outside=" + outside);
  CloseTCPIPPort_V();
  return lines;
}

}  // namespace tv::testing
