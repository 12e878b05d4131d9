#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "gadget/agent/agent.h"
#include "gadget/alerts/link_watch.h"
#include "gadget/app/color_scheme_watch.h"
#include "gadget/app/desktop_notifier.h"
#include "gadget/app/edge_guard.h"
#include "gadget/app/history_window.h"
#include "gadget/app/qt_window.h"
#include "gadget/app/tray.h"
#include "lib/common/clock.h"
#include "lib/config/config_table.h"

namespace tv {

struct DesktopOptions {
  // The pause between the first log line and showing the window.
  std::chrono::milliseconds pause{1000};
  // The worker threads are started after the pause (tests may leave them out).
  bool start_workers = true;
  // The console's operations; the station library when empty.
  std::unique_ptr<StationPort> station;
  // The clock of the worker threads; the system clock when null.
  Clock* clock = nullptr;
  // Where the alert sounds go; when empty, the output the environment names
  // (the desktop's sound server, or TV_SOUND_SINK=wav:PATH).
  std::unique_ptr<SoundOutput> sound;
  // How long the quit waits for the link to close.
  std::chrono::milliseconds quit_wait{10000};
  // Ends the process after the quit (tests record the code instead).
  std::function<void(int code)> exit;
  // Starts hidden in the tray whatever "GENERAL_StartHideAgent" says (the
  // session's autostart entry).
  bool start_hidden = false;
  // The export's save dialog, given the suggested path; "" when cancelled.
  std::function<QString(const QString& suggested)> ask_export_path;
};

// Where the export's save dialog starts: the user's documents folder (the
// home folder when there is none), a name with the date and time of `now`:
// "teskaro-ventaro-2024-06-21-14h05.json".
QString DefaultExportPath(const QDateTime& now);

// The desktop program once its settings are loaded: the image sets, the
// gadget window built hidden, the agent behind it, the tray icon with its
// menu, then (after the pause) the window shown on its first page and the
// worker threads. Lives on the GUI thread.
class DesktopApp final : public QObject {
  Q_OBJECT

 public:
  explicit DesktopApp(const ConfigTable& config, DesktopOptions options = {});
  ~DesktopApp() override;

  // Runs the start-up from the value reset on; the rest follows the pause
  // on the event loop.
  void Start();
  // The orderly quit: the window hidden, the link of the recorded kind closed
  // (waited for at most the quit wait, the event loop still turning), then
  // the process ends with code 0. The worker threads are not waited for.
  Q_INVOKABLE void Quit();
  // Menu entry 3: the save dialog, then the collected data written to the
  // chosen file (CSV when its name ends in ".csv", JSON otherwise) from a
  // snapshot of the record, on a thread of its own: a slow disk holds up
  // neither the window nor, through it, the collection. The outcome is
  // logged with the path and shown in a balloon.
  void ExportData();
  // Opens the history window (made at its first opening).
  void ShowHistory();
  HistoryWindow* history_window() const { return history_.get(); }
  // True while an export is being written.
  bool Exporting() const { return exporting_; }

  QtWindow& window() { return *window_; }
  Tray* tray() { return tray_.get(); }
  DesktopNotifier* notifier() { return notifier_.get(); }
  Agent& agent() { return *agent_; }
  // True once the pause is over and the window shown (or left hidden).
  bool Started() const { return started_; }

 private:
  void AfterPause();
  // With "GENERAL_TrayTemperature": the tray icon shows `shown`, the outdoor
  // temperature as the window shows it, for the desktop's colour scheme.
  // Without `shown`, the last one drawn again (a new colour scheme).
  void ShowTrayTemperature(std::optional<std::string_view> shown);
  // After each collection cycle (collection thread): the link watch fed.
  void AfterCycle();
  // Where an exception caught at a slot's or a thread's edge is logged.
  EdgeReport Report();

  const ConfigTable& config_;
  DesktopOptions options_;
  std::unique_ptr<QtWindow> window_;
  std::unique_ptr<Agent> agent_;
  std::unique_ptr<Tray> tray_;
  std::unique_ptr<HistoryWindow> history_;
  std::unique_ptr<DesktopNotifier> notifier_;
  std::unique_ptr<ColorSchemeWatch> scheme_;
  std::string tray_shown_;  // the outdoor temperature as the window shows it
  std::string tray_drawn_;  // the text drawn in the icon
  PanelScheme tray_scheme_ = PanelScheme::kLight;
  bool started_ = false;
  bool quitting_ = false;
  std::thread export_thread_;
  std::atomic<bool> exporting_{false};
  // Both used on the collection thread only.
  bool answered_ = false;
  LinkWatch link_watch_;
};

}  // namespace tv
