#include "gadget/engine/activity_log.h"

#include <ctime>
#include <mutex>
#include <string>

#include "lib/common/app_values.h"
#include "lib/config/text_encoding.h"

namespace tv {
namespace {

std::mutex& StderrMutex() {
  static std::mutex m;
  return m;
}

void WriteStamped(std::ostream& out, long long seconds, std::string_view message) {
  std::string line = FormatLogStamp(seconds);
  line += ' ';
  line += message;
  line += '\n';
  std::lock_guard lock(StderrMutex());
  out << line << std::flush;
}

// The text as shown: at most kAppLogMaxLineChars characters.
std::string Bounded(std::string_view text) {
  if (text.size() <= kAppLogMaxLineChars) return std::string(text);
  if (Utf8Length(text) <= kAppLogMaxLineChars) return std::string(text);
  return Utf8Prefix(text, kAppLogMaxLineChars - 1) + "\u2026";
}

}  // namespace

std::string FormatLogStamp(long long seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
  return buffer;
}

ActivityLog::ActivityLog(ActivityView& view, const ConfigTable& config, Clock& clock,
                         std::ostream* errors, int max_lines)
    : view_(view),
      config_(config),
      clock_(clock),
      errors_(errors),
      max_lines_(max_lines < 1 ? 1 : max_lines) {}

void ActivityLog::Notify(std::string_view text) {
  const std::string line = Bounded(text);
  const std::string_view message = line;
  // No lock is held across the view calls (with the Qt window they wait for
  // the GUI thread, which may itself be logging). Lines beyond the cap are
  // removed at the cap's index only, so however the calls of several threads
  // interleave, the list ends with the newest max_lines_ lines: a removal
  // that finds nothing there any more changes nothing.
  view_.InsertLogLine(0, message);
  for (int count = view_.LogLineCount(); count > max_lines_; --count) {
    view_.RemoveLogLine(max_lines_);
  }
  if (errors_ != nullptr) WriteStamped(*errors_, clock_.NowSeconds(), message);
  if (config_.Flag("GENERAL_Notify")) view_.ShowInfoBalloon(AppTitle(), message, 1);
}

void ActivityLog::SetConnectionStatusText(std::string_view text) {
  view_.SetLinkStateText(Bounded(text));
}

void ActivityLog::SetServiceStatusText(std::string_view text) {
  view_.SetEngineStateText(Bounded(text));
}

}  // namespace tv
