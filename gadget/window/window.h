#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "gadget/window/field.h"

namespace tv {

// A decoded picture, as registered in NamedHandles under kind 0. 0 is no picture.
using ImageHandle = std::int64_t;
inline constexpr ImageHandle kNoImage = 0;

// Kinds of balloon icon.
inline constexpr int kBalloonInfo = 1;
inline constexpr int kBalloonWarning = 2;
inline constexpr int kBalloonError = 3;

// Time between two flips of a blinking field.
inline constexpr std::chrono::milliseconds kBlinkPeriod{1000};

// What the rest of the program writes through. Each call is one field
// operation; an implementation may be called from any thread and carries the
// call out completely before returning (the Qt window does it on its GUI
// thread, so a caller must never hold a lock the GUI thread may wait for
// while it makes a call). Calls on a field of the wrong kind are ignored.
class Window {
 public:
  virtual ~Window() = default;

  // Whole text of a text field, caption of a frame.
  virtual void SetText(Field field, std::string_view text) = 0;
  // Picture of a picture field or toggle button; kNoImage shows nothing.
  virtual void SetPicture(Field field, ImageHandle image) = 0;
  virtual void SetVisible(Field field, bool visible) = 0;
  // The standard tooltip of a field, shown while the pointer rests on it;
  // "" takes it away.
  virtual void SetTooltip(Field field, std::string_view text) = 0;
  // Blinking: the field's visibility flips at once and then every
  // kBlinkPeriod (hidden when the blink last showed it, else shown; the Qt
  // window flips all its blinking fields on one timer, so a field's second
  // flip may come sooner), until
  // StopBlinking. Starting a blinking field starts it afresh: one blink per
  // field at most. After StopBlinking returns no flip happens any more; the
  // caller then sets the field's final look.
  virtual void StartBlinking(Field field) = 0;
  virtual void StopBlinking(Field field) = 0;
  // Page of DetailTabs by index from 0 in tab order.
  virtual void SelectPage(int index) = 0;

  // Column lists. A row's column texts are separated by line feeds. A
  // position past the end appends.
  virtual void ClearRows(Field list) = 0;
  virtual void InsertRow(Field list, int position, std::string_view columns) = 0;
  virtual void AppendRow(Field list, std::string_view columns) = 0;
  // Removes the row at a position (0 = top); a position out of range changes nothing.
  virtual void RemoveRow(Field list, int position) = 0;
  virtual int RowCount(Field list) = 0;

  // Trees: items are appended in display order; level 0 is a root, 1 a child
  // of the last root, 2 a child of the last level-1 item.
  virtual void ClearTree(Field tree) = 0;
  virtual void AppendTreeItem(Field tree, std::string_view text, ImageHandle image, int level) = 0;

  // The line list: a line at a position (0 = top).
  virtual void InsertLine(Field list, int position, std::string_view line) = 0;
  // Removes the line at a position (0 = top); a position out of range changes nothing.
  virtual void RemoveLine(Field list, int position) = 0;
  virtual int LineCount(Field list) = 0;

  // The toggle picture button.
  virtual bool IsPressed(Field button) = 0;

  // The window as a whole.
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void ActivateWindow() = 0;

  // The notification-area icon. The tooltip is cut to 63 characters, a
  // balloon's title to 63 and its text to 255 (BalloonRequest::Make); icon
  // kinds 1 information, 2 warning, 3 error; shown for `seconds`.
  virtual void SetTrayTooltip(std::string_view text) = 0;
  virtual void ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                           int seconds) = 0;

  // Shows in a picture field a copy of `background` scaled to the field, with
  // `text` drawn over it in magenta in the default font, starting at
  // (start_x, start_y) and rotated `angle_degrees` counter-clockwise.
  virtual void DrawWindRose(Field field, ImageHandle background, std::string_view text,
                            double angle_degrees, int start_x, int start_y) = 0;

  // Runs `draw`, whose window calls are carried out together: the Qt window
  // runs it whole on its GUI thread, one wait for the caller (and one
  // wake-up of each thread) instead of one per call. `draw` makes window
  // calls and reads what it was given, nothing else: no lock, no wait. What
  // it throws reaches the caller.
  virtual void Batch(const std::function<void()>& draw) { draw(); }
};

}  // namespace tv
