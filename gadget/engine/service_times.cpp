#include "gadget/engine/service_times.h"

#include <ctime>

namespace tv {
namespace {

std::tm LocalTime(long long seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

}  // namespace

std::string FormatServiceTime(long long seconds) {
  const std::tm tm = LocalTime(seconds);
  char buffer[64];
  if (std::strftime(buffer, sizeof buffer, "%d/%m/%Y - %H:%M:%S", &tm) == 0) return "";
  return buffer;
}

std::string FormatNextCollectTime(long long seconds) {
  const std::tm tm = LocalTime(seconds);
  char buffer[32];
  if (std::strftime(buffer, sizeof buffer, "(%H:%M:%S)", &tm) == 0) return "";
  return buffer;
}

ServiceTimesList::ServiceTimesList(ActivityView& view) : view_(view) {}

void ServiceTimesList::Show(std::string_view name, long long last_run, long long next_run) {
  std::string row(name);
  row += '\n';
  row += FormatServiceTime(last_run);
  row += '\n';
  row += FormatServiceTime(next_run);

  int place = -1;  // the service's row, or -1 for a new one
  {
    std::lock_guard lock(mutex_);
    if (auto it = row_of_.find(name); it != row_of_.end()) {
      place = it->second;
    } else {
      row_of_.emplace(std::string(name), static_cast<int>(row_of_.size()));
    }
  }
  // The row is replaced where it stands, so the list keeps its order, its
  // selection and its scroll position. No lock is held across the calls.
  if (place >= 0) {
    view_.RemoveServiceRow(place);
    view_.InsertServiceRow(place, row);
  } else {
    view_.AppendServiceRow(row);
  }
}

}  // namespace tv
