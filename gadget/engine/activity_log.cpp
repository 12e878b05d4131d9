#include "gadget/engine/activity_log.h"

#include <ctime>
#include <iostream>
#include <string>

#include "lib/common/app_values.h"
#include "lib/common/balloon.h"

namespace tv {
namespace {

std::mutex installed_mutex;
std::shared_ptr<ActivityLog> installed;

std::shared_ptr<ActivityLog> Installed() {
  std::lock_guard lock(installed_mutex);
  return installed;
}

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

}  // namespace

std::string FormatLogStamp(long long seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
  return buffer;
}

ActivityLog::ActivityLog(Window& window, const ConfigTable& config, Clock& clock,
                         std::ostream* errors, int max_lines)
    : window_(window),
      config_(config),
      clock_(clock),
      errors_(errors),
      max_lines_(max_lines < 1 ? 1 : max_lines) {}

void ActivityLog::Notify(std::string_view message) {
  {
    // Insert and trim as one step so two threads never trim each other's line.
    std::lock_guard lock(mutex_);
    window_.InsertLine(Field::AppLogList, 0, message);
    for (int count = window_.LineCount(Field::AppLogList); count > max_lines_; --count) {
      window_.RemoveLine(Field::AppLogList, count - 1);
    }
  }
  if (errors_ != nullptr) WriteStamped(*errors_, clock_.NowSeconds(), message);
  if (config_.Flag("GENERAL_Notify")) ShowBalloon(AppTitle(), message, kBalloonInfo, 1);
}

void ActivityLog::SetConnectionStatusText(std::string_view text) {
  window_.SetText(Field::LinkStateText, text);
}

void ActivityLog::SetServiceStatusText(std::string_view text) {
  window_.SetText(Field::EngineStateText, text);
}

void InstallActivityLog(std::shared_ptr<ActivityLog> log) {
  std::lock_guard lock(installed_mutex);
  installed = std::move(log);
}

void Notify(std::string_view message) {
  if (auto log = Installed()) {
    log->Notify(message);
  } else {
    WriteStamped(std::cerr, DefaultClock().NowSeconds(), message);
  }
}

void SetConnectionStatusText(std::string_view text) {
  if (auto log = Installed()) log->SetConnectionStatusText(text);
}

void SetServiceStatusText(std::string_view text) {
  if (auto log = Installed()) log->SetServiceStatusText(text);
}

}  // namespace tv
