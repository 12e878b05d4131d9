#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "gadget/engine/activity_view.h"

namespace tv {

// Local time of `seconds` as "%dd/%mm/%yyyy - %hh:%ii:%ss" ("08/12/2026 - 00:18:11").
std::string FormatServiceTime(long long seconds);
// Local time of `seconds` as "(%hh:%ii:%ss)".
std::string FormatNextCollectTime(long long seconds);

// The service times list of the activity page: one row per service that has
// run, "name\nlast run\nnext run". A service keeps the row it got first.
// Safe to call from any thread: the mutex keeps each service's place in the
// list; no lock is held across the view's calls.
class ServiceTimesList {
 public:
  explicit ServiceTimesList(ActivityView& view);

  void Show(std::string_view name, long long last_run, long long next_run);

 private:
  ActivityView& view_;
  std::mutex mutex_;
  std::map<std::string, int, std::less<>> row_of_;
};

}  // namespace tv
