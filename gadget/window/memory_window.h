#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "gadget/window/field_catalogue.h"
#include "gadget/window/window.h"
#include "lib/common/clock.h"

namespace tv {

// A window held in memory: every field starts as the field catalogue creates
// it and every call is applied and logged. Used by tests and by anything that
// needs the display logic without a screen (the agent without a window runs
// on one for months, so the call log, balloons and wind-rose drawings keep
// only the newest kHistoryLimit entries). Safe to call from any thread.
class MemoryWindow final : public Window {
 public:
  struct TreeItem {
    std::string text;
    ImageHandle image = kNoImage;
    int level = 0;
    friend bool operator==(const TreeItem&, const TreeItem&) = default;
  };
  struct Balloon {
    std::string title;
    std::string text;
    int icon_kind = 0;
    int seconds = 0;
  };
  struct WindRoseDrawing {
    Field field;
    ImageHandle background;
    std::string text;
    double angle_degrees;
    int start_x;
    int start_y;
  };

  // `initial_picture` gives the handle of a carried picture by name, for the
  // pictures fields show at creation; without it they start empty.
  // Blinking fields flip on `clock` (read when the window is inspected, so
  // a manual clock moves them without any thread).
  explicit MemoryWindow(std::function<ImageHandle(std::string_view)> initial_picture = {},
                        const Clock& clock = DefaultClock());

  static constexpr std::size_t kHistoryLimit = 10000;

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

  // Inspection.
  std::string Text(Field field) const;
  ImageHandle Picture(Field field) const;
  // The tooltip set by SetTooltip ("" before any).
  std::string Tooltip(Field field) const;
  // As shown now, blinking included.
  bool Visible(Field field) const;
  bool Blinking(Field field) const;
  std::vector<std::string> Rows(Field list) const;
  std::vector<TreeItem> TreeItems(Field tree) const;
  std::vector<std::string> Lines(Field list) const;
  int SelectedPage() const;
  bool WindowShown() const;
  int Activations() const;
  std::string TrayTooltip() const;
  std::vector<Balloon> Balloons() const;
  std::vector<WindRoseDrawing> WindRoseDrawings() const;
  // Every call applied so far (the newest kHistoryLimit), one line each
  // ("SetText IndoorTempValue ---").
  std::vector<std::string> Log() const;
  void ClearLog();
  // Whether calls are logged at all (on by default; a window nobody inspects
  // has no use for the log).
  void KeepCallLog(bool keep);

  // What the user does.
  void SetPressed(Field button, bool pressed);

  // The whole state, one line per field that shows something.
  std::string Dump() const;

 private:
  struct FieldState {
    std::string text;
    std::string tooltip;
    ImageHandle picture = kNoImage;
    bool visible = true;
    Clock::SteadyPoint visible_set;  // when SetVisible last ran
    bool blinking = false;
    Clock::SteadyPoint blink_start;
    // The blink's phase when it started: true when its last flip showed the
    // field (kept between blinks, as the field's own state).
    bool blink_shown = false;
    bool pressed = false;
    std::vector<std::string> rows;
    std::vector<TreeItem> tree;
    std::vector<std::string> lines;
  };

  bool Is(Field field, std::initializer_list<FieldKind> kinds) const;
  // Visibility and blink phase of a field at `now`.
  struct Look {
    bool visible;
    bool blink_shown;
  };
  Look LookAt(const FieldState& f, Clock::SteadyPoint now) const;
  void Record(std::string line);

  const Clock& clock_;
  mutable std::mutex mutex_;
  std::vector<FieldState> fields_;
  int page_ = 0;
  bool shown_ = false;
  int activations_ = 0;
  std::string tray_tooltip_;
  std::deque<Balloon> balloons_;
  std::deque<WindRoseDrawing> roses_;
  std::deque<std::string> log_;
  bool keep_log_ = true;
};

}  // namespace tv
