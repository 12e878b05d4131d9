#pragma once

#include <string_view>

namespace tv {

// Where the activity log and the service times are shown: the lines of the
// log (0 = top), the two status texts of the collection, a balloon, the rows
// of the service times list ("name\nlast run\nnext run"; a position past the
// end appends). The collection core writes through it without knowing the
// window; the presentation adapts its window to it (ActivityPage). Each call
// is carried out completely before it returns and may come from any thread,
// so a caller never holds a lock across one.
class ActivityView {
 public:
  virtual ~ActivityView() = default;

  virtual void InsertLogLine(int position, std::string_view line) = 0;
  // A position out of range changes nothing.
  virtual void RemoveLogLine(int position) = 0;
  virtual int LogLineCount() = 0;

  virtual void SetLinkStateText(std::string_view text) = 0;
  virtual void SetEngineStateText(std::string_view text) = 0;

  // An information balloon shown for `seconds`.
  virtual void ShowInfoBalloon(std::string_view title, std::string_view text, int seconds) = 0;

  virtual void InsertServiceRow(int position, std::string_view row) = 0;
  // A position out of range changes nothing.
  virtual void RemoveServiceRow(int position) = 0;
  virtual void AppendServiceRow(std::string_view row) = 0;
};

}  // namespace tv
