#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "gadget/window/window.h"

namespace tv::testing {

// A window whose every call is carried out on one "GUI" thread of its own
// while the caller waits, as the Qt window's blocking queued calls are. A
// caller that holds a lock the GUI thread needs deadlocks here as it would on
// the desktop, which the in-memory window alone never shows. Calls made on the
// GUI thread itself run at once.
class GuiThreadWindow final : public Window {
 public:
  explicit GuiThreadWindow(Window& inner);
  ~GuiThreadWindow() override;
  GuiThreadWindow(const GuiThreadWindow&) = delete;
  GuiThreadWindow& operator=(const GuiThreadWindow&) = delete;

  // Runs `work` on the GUI thread, as an event handler would, and waits.
  void RunOnGui(const std::function<void()>& work);
  // Queues `work` for the GUI thread without waiting.
  void PostToGui(std::function<void()> work);
  bool OnGuiThread() const { return std::this_thread::get_id() == gui_.get_id(); }

  void SetText(Field field, std::string_view text) override;
  void SetPicture(Field field, ImageHandle image) override;
  void SetVisible(Field field, bool visible) override;
  void SetTooltip(Field field, std::string_view text) override;
  void StartBlinking(Field field) override;
  void StopBlinking(Field field) override;
  void SelectPage(int index) override;
  void ClearRows(Field list) override;
  void InsertRow(Field list, int position, std::string_view columns) override;
  void AppendRow(Field list, std::string_view columns) override;
  void RemoveRow(Field list, int position) override;
  int RowCount(Field list) override;
  void ClearTree(Field tree) override;
  void AppendTreeItem(Field tree, std::string_view text, ImageHandle image, int level) override;
  void InsertLine(Field list, int position, std::string_view line) override;
  void RemoveLine(Field list, int position) override;
  int LineCount(Field list) override;
  bool IsPressed(Field button) override;
  void ShowWindow() override;
  void HideWindow() override;
  void ActivateWindow() override;
  void SetTrayTooltip(std::string_view text) override;
  void ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                   int seconds) override;
  void DrawWindRose(Field field, ImageHandle background, std::string_view text,
                    double angle_degrees, int start_x, int start_y) override;

 private:
  void Loop();

  Window& inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::thread gui_;
};

}  // namespace tv::testing
