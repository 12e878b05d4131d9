#pragma once

#include <string_view>

#include "gadget/engine/activity_view.h"
#include "gadget/window/window.h"

namespace tv {

// The activity page of a window as the activity log and the service times
// see it: the log lines in AppLogList, the status texts in LinkStateText and
// EngineStateText, the service times in ServiceList, balloons from the tray.
class ActivityPage final : public ActivityView {
 public:
  explicit ActivityPage(Window& window) : window_(window) {}

  void InsertLogLine(int position, std::string_view line) override {
    window_.InsertLine(Field::AppLogList, position, line);
  }
  void RemoveLogLine(int position) override { window_.RemoveLine(Field::AppLogList, position); }
  int LogLineCount() override { return window_.LineCount(Field::AppLogList); }

  void SetLinkStateText(std::string_view text) override {
    window_.SetText(Field::LinkStateText, text);
  }
  void SetEngineStateText(std::string_view text) override {
    window_.SetText(Field::EngineStateText, text);
  }

  void ShowInfoBalloon(std::string_view title, std::string_view text, int seconds) override {
    window_.ShowBalloon(title, text, kBalloonInfo, seconds);
  }

  void InsertServiceRow(int position, std::string_view row) override {
    window_.InsertRow(Field::ServiceList, position, row);
  }
  void RemoveServiceRow(int position) override { window_.RemoveRow(Field::ServiceList, position); }
  void AppendServiceRow(std::string_view row) override {
    window_.AppendRow(Field::ServiceList, row);
  }

 private:
  Window& window_;
};

}  // namespace tv
