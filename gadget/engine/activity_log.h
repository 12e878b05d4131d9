#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "gadget/engine/activity_view.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

// How many lines the application log keeps; older lines are dropped so that
// a console unreachable for days does not grow the list without bound.
inline constexpr int kAppLogMaxLines = 5000;
// Characters of one log line or status text; the rest is cut and replaced by
// "…". Messages quote settings (the console address), which a damaged
// configuration file can make megabytes long: kept whole, a few hundred
// failed connections would fill the memory.
inline constexpr std::size_t kAppLogMaxLineChars = 500;

// The one reporting channel of the program: log lines on the activity page
// (newest on top), optional balloons, a copy on standard error, and the two
// status texts of the collection. Safe to call from any thread.
class ActivityLog {
 public:
  // `errors` receives each line with a timestamp (nullptr: nowhere).
  ActivityLog(ActivityView& view, const ConfigTable& config, Clock& clock,
              std::ostream* errors = nullptr, int max_lines = kAppLogMaxLines);

  // Inserts the message at the top of AppLogList, dropping the oldest lines
  // beyond the cap; with "GENERAL_Notify" = "1" also asks for a balloon.
  void Notify(std::string_view message);
  // LinkStateText.
  void SetConnectionStatusText(std::string_view text);
  // EngineStateText.
  void SetServiceStatusText(std::string_view text);

 private:
  ActivityView& view_;
  const ConfigTable& config_;
  Clock& clock_;
  std::ostream* errors_;
  int max_lines_;
};

// "2026-12-08 00:18:11" in local time.
std::string FormatLogStamp(long long seconds);

}  // namespace tv
