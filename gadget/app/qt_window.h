#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gadget/app/edge_guard.h"
#include "gadget/window/field_catalogue.h"
#include "gadget/window/window.h"
#include "lib/common/balloon.h"

class QGroupBox;
class QTabWidget;
class QTimer;

namespace tv {

// What shows the notification-area icon's tooltip and balloons (the tray, or
// a popup of our own where there is no notification area). GUI thread only.
class TrayPresenter {
 public:
  virtual ~TrayPresenter() = default;
  virtual void SetTooltip(const QString& text) = 0;
  virtual void ShowBalloon(const BalloonRequest& balloon) = 0;
};

// The gadget window, built from the field catalogue: one widget per field,
// named after it, at its place and size, with its initial content, font and
// tooltip. Built hidden, on the GUI thread. The fields of a detail page are
// made when the page is first shown (or its widget first asked for): until
// then what is asked of them is kept and handed to the widgets once made,
// so that a start-up builds and draws only what it shows.
//
// As a Window it may be called from any thread. A call from another thread
// is carried out on the GUI thread and is complete when it returns: it is
// queued behind a lock of our own and the GUI thread is asked to run the
// queue, while the caller waits. A call made on the GUI thread runs at once.
// Once DropWorkerCalls() has been called (the quit), calls from other threads
// return at once without effect, so no thread waits for a GUI thread that has
// stopped answering.
class QtWindow final : public QObject, public Window {
  Q_OBJECT

 public:
  QtWindow();
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  // The top-level window and the widget of each field (GUI thread); the
  // widget of a field of a page not built yet builds that page.
  QWidget* TopLevel() const;
  QWidget* Widget(Field field);
  // Builds every detail page not built yet.
  void BuildAllPages();

  // Where tray tooltips and balloons go. Until it is set they are kept, and
  // handed over when it is.
  void SetTray(TrayPresenter* tray);
  void DropWorkerCalls();
  // `seen` is told each text written to `field`, on the GUI thread (one
  // field; the tray's temperature).
  void WatchText(Field field, std::function<void(std::string_view)> seen) {
    watched_field_ = field;
    text_seen_ = std::move(seen);
  }
  // The xdg-activation token (from the panel, or a second start) that the
  // next ShowWindow or ActivateWindow hands to the compositor on Wayland,
  // then forgets; TV_BALLOON_TRACE=1 writes it to standard error when used.
  // GUI thread.
  void SetActivationToken(const QString& token);
  // Where an exception thrown by a queued call is reported (GUI thread).
  void SetErrorReport(EdgeReport report) { error_report_ = std::move(report); }

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
  void Batch(const std::function<void()>& draw) override;

 private:
  struct Call {
    std::function<void()> work;
    bool running = false;
    bool done = false;
    bool abandoned = false;
  };

  // What was asked of a field of a page not built yet.
  struct RoseDrawing {
    ImageHandle background;
    std::string text;
    double angle_degrees;
    int start_x;
    int start_y;
  };
  struct TreeEntry {
    std::string text;
    ImageHandle image;
    int level;
  };
  struct Pending {
    std::optional<std::string> text;
    std::optional<ImageHandle> picture;
    std::optional<RoseDrawing> rose;  // drawn after the picture, replacing it
    std::optional<bool> visible;
    std::optional<std::string> tooltip;
    std::vector<std::string> rows;
    std::vector<TreeEntry> tree;
    std::vector<std::string> lines;
  };

  void Build();
  // Makes one field's widget under its parent's.
  void Create(const FieldEntry& e, std::vector<QGroupBox*>& frames);
  void BuildPage(Field page);
  void BuildPageAt(int index);
  // Where the calls on `field` are kept while its page is not built; null
  // once it is (or for a field outside the pages).
  Pending* PendingOf(Field field);
  void ApplyText(Field field, std::string_view text);
  QWidget* Built(Field field) const;
  // Runs `work` on the GUI thread and waits for it (see the class comment).
  void OnGui(const std::function<void()>& work);
  // Runs the queued calls; asked for by name so that nothing our code
  // writes travels through Qt's event queue (Qt's own locking is invisible
  // to the thread checker).
  Q_INVOKABLE void Drain();
  void Flip(Field field);
  template <typename W>
  W* As(Field field) const;

  std::vector<QWidget*> widgets_;
  std::vector<Field> page_of_;    // per field: its page, GadgetWindow outside the pages
  std::vector<bool> page_built_;  // per page field
  std::map<Field, Pending> pending_;
  QTabWidget* tabs_ = nullptr;
  QObject* tip_filter_ = nullptr;
  std::vector<bool> blink_shown_;  // per field: the blink last showed it
  std::vector<bool> blinking_;     // per field: it blinks
  // One timer flips every blinking field together; it runs only while one
  // blinks.
  QTimer* blink_timer_ = nullptr;
  TrayPresenter* tray_ = nullptr;
  EdgeReport error_report_;
  Field watched_field_ = Field::GadgetWindow;
  std::function<void(std::string_view)> text_seen_;
  QString pending_tooltip_;
  bool has_pending_tooltip_ = false;
  std::vector<BalloonRequest> pending_balloons_;
  QString activation_token_;
  bool trace_ = false;

  std::mutex mutex_;  // calls_, and each call's flags
  std::condition_variable call_done_;
  std::deque<std::shared_ptr<Call>> calls_;
  std::atomic<bool> dropping_{false};
};

}  // namespace tv
