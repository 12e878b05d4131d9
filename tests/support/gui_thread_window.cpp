#include "tests/support/gui_thread_window.h"

#include <string>

namespace tv::testing {

GuiThreadWindow::GuiThreadWindow(Window& inner) : inner_(inner), gui_([this] { Loop(); }) {}

GuiThreadWindow::~GuiThreadWindow() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  gui_.join();
}

void GuiThreadWindow::Loop() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }
}

void GuiThreadWindow::PostToGui(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
  }
  changed_.notify_all();
}

void GuiThreadWindow::RunOnGui(const std::function<void()>& work) {
  if (OnGuiThread()) {
    work();
    return;
  }
  std::mutex done_mutex;
  std::condition_variable done_cv;
  bool done = false;
  PostToGui([&] {
    work();
    std::lock_guard lock(done_mutex);
    done = true;
    done_cv.notify_all();
  });
  std::unique_lock lock(done_mutex);
  done_cv.wait(lock, [&] { return done; });
}

void GuiThreadWindow::SetText(Field field, std::string_view text) {
  RunOnGui([&] { inner_.SetText(field, text); });
}
void GuiThreadWindow::SetPicture(Field field, ImageHandle image) {
  RunOnGui([&] { inner_.SetPicture(field, image); });
}
void GuiThreadWindow::SetVisible(Field field, bool visible) {
  RunOnGui([&] { inner_.SetVisible(field, visible); });
}
void GuiThreadWindow::StartBlinking(Field field) {
  RunOnGui([&] { inner_.StartBlinking(field); });
}
void GuiThreadWindow::StopBlinking(Field field) {
  RunOnGui([&] { inner_.StopBlinking(field); });
}
void GuiThreadWindow::SelectPage(int index) {
  RunOnGui([&] { inner_.SelectPage(index); });
}
void GuiThreadWindow::ClearRows(Field list) {
  RunOnGui([&] { inner_.ClearRows(list); });
}
void GuiThreadWindow::InsertRow(Field list, int position, std::string_view columns) {
  RunOnGui([&] { inner_.InsertRow(list, position, columns); });
}
void GuiThreadWindow::AppendRow(Field list, std::string_view columns) {
  RunOnGui([&] { inner_.AppendRow(list, columns); });
}
void GuiThreadWindow::RemoveRow(Field list, int position) {
  RunOnGui([&] { inner_.RemoveRow(list, position); });
}
int GuiThreadWindow::RowCount(Field list) {
  int count = 0;
  RunOnGui([&] { count = inner_.RowCount(list); });
  return count;
}
void GuiThreadWindow::ClearTree(Field tree) {
  RunOnGui([&] { inner_.ClearTree(tree); });
}
void GuiThreadWindow::AppendTreeItem(Field tree, std::string_view text, ImageHandle image,
                                     int level) {
  RunOnGui([&] { inner_.AppendTreeItem(tree, text, image, level); });
}
void GuiThreadWindow::InsertLine(Field list, int position, std::string_view line) {
  RunOnGui([&] { inner_.InsertLine(list, position, line); });
}
void GuiThreadWindow::RemoveLine(Field list, int position) {
  RunOnGui([&] { inner_.RemoveLine(list, position); });
}
int GuiThreadWindow::LineCount(Field list) {
  int count = 0;
  RunOnGui([&] { count = inner_.LineCount(list); });
  return count;
}
bool GuiThreadWindow::IsPressed(Field button) {
  bool pressed = false;
  RunOnGui([&] { pressed = inner_.IsPressed(button); });
  return pressed;
}
void GuiThreadWindow::ShowWindow() {
  RunOnGui([&] { inner_.ShowWindow(); });
}
void GuiThreadWindow::HideWindow() {
  RunOnGui([&] { inner_.HideWindow(); });
}
void GuiThreadWindow::ActivateWindow() {
  RunOnGui([&] { inner_.ActivateWindow(); });
}
void GuiThreadWindow::SetTooltip(Field field, std::string_view text) {
  RunOnGui([&] { inner_.SetTooltip(field, text); });
}

void GuiThreadWindow::SetTrayTooltip(std::string_view text) {
  RunOnGui([&] { inner_.SetTrayTooltip(text); });
}
void GuiThreadWindow::ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                                  int seconds) {
  RunOnGui([&] { inner_.ShowBalloon(title, text, icon_kind, seconds); });
}
void GuiThreadWindow::DrawWindRose(Field field, ImageHandle background, std::string_view text,
                                   double angle_degrees, int start_x, int start_y) {
  RunOnGui([&] { inner_.DrawWindRose(field, background, text, angle_degrees, start_x, start_y); });
}

}  // namespace tv::testing
