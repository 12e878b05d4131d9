#include "lib/common/date_format.h"

#include <ctime>

namespace tv {
namespace {

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  if (text.size() == 1) text.insert(0, 1, '0');
  return text;
}

}  // namespace

std::string FormatStationDate(const StationDateTime& when, int mode) {
  if (when.Day == -1 || when.Month == -1 || when.Hour == -1 || when.Minute == -1) return "---";
  std::string time = TwoDigits(when.Hour) + "h" + TwoDigits(when.Minute);
  if (mode == kStationTimeOnly) return time;
  return TwoDigits(when.Day) + "/" + TwoDigits(when.Month) + "/" + std::to_string(when.Year) + " " +
         time;
}

std::string LocalIsoTime(long long seconds) {
  const auto when = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

}  // namespace tv
