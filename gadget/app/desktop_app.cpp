#include "gadget/app/desktop_app.h"
#include "gadget/archive/archive_settings.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "gadget/app/edge_guard.h"
#include "gadget/app/pictures.h"
#include "gadget/app/tray_picture.h"
#include "gadget/archive/archive_settings.h"
#include "gadget/display/image_sets.h"
#include "lib/common/app_values.h"
#include "lib/common/named_handles.h"
#include "lib/config/config_keys.h"

namespace tv {

DesktopApp::DesktopApp(const ConfigTable& config, DesktopOptions options)
    : config_(config), options_(std::move(options)) {
  if (!options_.exit) {
    options_.exit = [](int code) {
      std::fflush(nullptr);
      std::_Exit(code);
    };
  }
  RegisterGeneralSet();
  RegisterForecastSet();
  RegisterTrendSet();
  window_ = std::make_unique<QtWindow>();
  window_->SetText(Field::GadgetWindow, AppTitle());
  AgentOptions agent_options;
  // A copy of the log on the terminal the program was started from.
  agent_options.log_copy = &std::cerr;
  agent_options.station = std::move(options_.station);
  // The sound output is opened by its own thread, never by this one: a sound
  // server that hangs cannot hold up the window.
  agent_options.sound = std::move(options_.sound);
  // The link lost and restored, said once each (collection thread).
  agent_options.after_service = [this](std::string_view) { answered_ = true; };
  agent_options.after_cycle = [this] { AfterCycle(); };
  Clock& clock = options_.clock != nullptr ? *options_.clock : DefaultClock();
  agent_ = std::make_unique<Agent>(config_, *window_, clock, std::move(agent_options));
  window_->SetErrorReport(Report());
}

DesktopApp::~DesktopApp() {
  window_->SetErrorReport({});
  window_->SetTray(nullptr);
  window_->DropWorkerCalls();
  if (export_thread_.joinable()) export_thread_.join();
  // Only reached in tests: the program itself ends in Quit.
  agent_->Stop();
}

void DesktopApp::Start() {
  agent_->ResetDisplay();
  const QIcon icon(PixmapFor(LookupHandle("ICO_VT", kHandleKindImage)));
  tray_ = std::make_unique<Tray>(icon,
                                 Tray::Actions{
                                     .open = [this] { window_->ShowWindow(); },
                                     .quit = [this] { Quit(); },
                                     .export_data = [this] { ExportData(); },
                                     .history = [this] { ShowHistory(); },
                                     .set_clock = [this] { agent_->SetConsoleClock(); },
                                 },
                                 Report());
  notifier_ = std::make_unique<DesktopNotifier>(*tray_, Report());
  if (config_.Flag(kKeyTrayTemperature)) {
    // A new colour scheme draws the same temperature again.
    scheme_ = std::make_unique<ColorSchemeWatch>([this](PanelScheme) { ShowTrayTemperature({}); });
    window_->WatchText(Field::OutdoorTempValue,
                       [this](std::string_view shown) { ShowTrayTemperature(shown); });
  }
  window_->SetTray(notifier_.get());
  agent_->LogTitle();
  if (!tray_->Available()) {
    agent_->log().Notify(
        "Pas de zone de notification sur ce bureau : les messages s'affichent dans une fenêtre "
        "en haut à droite de l'écran.");
  }
  QTimer::singleShot(options_.pause, this,
                     Guarded(Report(), "démarrage", [this] { AfterPause(); }));
}

EdgeReport DesktopApp::Report() {
  return [this](std::string_view line) { agent_->log().Notify(line); };
}

void DesktopApp::AfterPause() {
  if (quitting_) return;
  if (!config_.Flag(kKeyStartHideAgent) && !options_.start_hidden) window_->ShowWindow();
  window_->SelectPage(DefaultPanelIndex(config_));
  if (options_.start_workers) agent_->Start();
  started_ = true;
}

void DesktopApp::ShowTrayTemperature(std::optional<std::string_view> shown) {
  if (shown) tray_shown_ = *shown;
  const std::string text = TrayTemperatureText(tray_shown_);
  const PanelScheme scheme = scheme_->Scheme();
  if (!tray_ || (text == tray_drawn_ && scheme == tray_scheme_)) return;
  tray_drawn_ = text;
  tray_scheme_ = scheme;
  tray_->SetPicture(
      TemperatureIcon(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), scheme));
}

void DesktopApp::AfterCycle() {
  const bool answered = answered_;
  answered_ = false;
  const LinkWatch::Change change =
      link_watch_.AfterCycle(answered, agent_->record().LinkConnected == 1);
  if (change == LinkWatch::Change::kNone) return;
  const bool lost = change == LinkWatch::Change::kLost;
  const std::string line = lost ? "Liaison perdue : la console n'a pas répondu depuis " +
                                      std::to_string(kLinkLostRounds) + " collectes."
                                : std::string("Liaison rétablie : la console répond de nouveau.");
  agent_->log().Notify(line);
  // With a balloon for every log line, the log's is enough.
  if (!config_.Flag(kKeyGeneralNotify)) {
    window_->ShowBalloon(AppTitle(), line, lost ? kBalloonWarning : kBalloonInfo, 10);
  }
}

QString DefaultExportPath(const QDateTime& now) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  return QDir(folder).filePath("teskaro-ventaro-" + now.toString("yyyy-MM-dd-HH'h'mm") + ".json");
}

void DesktopApp::ExportData() {
  if (quitting_) return;
  if (exporting_) {
    agent_->log().Notify("Un export des données est déjà en cours.");
    return;
  }
  const QString suggested = DefaultExportPath(QDateTime::currentDateTime());
  QString path;
  if (options_.ask_export_path) {
    path = options_.ask_export_path(suggested);
  } else {
    QString filter;
    path = QFileDialog::getSaveFileName(window_->TopLevel(), "Exporter les données récupérées",
                                        suggested, "JSON (*.json);;CSV (*.csv)", &filter);
    // A name typed without its extension gets the chosen kind's.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
      path += filter.startsWith("CSV") ? ".csv" : ".json";
    }
  }
  if (path.isEmpty() || quitting_) return;
  const QByteArray bytes = path.toUtf8();
  std::string file(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (export_thread_.joinable()) export_thread_.join();  // the previous one, finished
  exporting_ = true;
  // Without balloons for every log line, one says how the export went.
  const bool balloon = !config_.Flag(kKeyGeneralNotify);
  try {
    export_thread_ = std::thread([this, file = std::move(file), balloon] {
      // Nothing may leave the thread: what it throws goes to the log.
      RunGuarded(Report(), "export des données", [&] {
        std::string message;
        const bool written = agent_->ExportData(file, &message);
        if (balloon) {
          window_->ShowBalloon(AppTitle(), message, written ? kBalloonInfo : kBalloonWarning, 5);
        }
      });
      exporting_ = false;
    });
  } catch (...) {
    // No thread for it: the export did not start (the caller's guard logs why).
    exporting_ = false;
    throw;
  }
}

void DesktopApp::ShowHistory() {
  if (quitting_) return;
  if (!history_) {
    // The spans shown end at the agent's own wall clock.
    Clock& clock = options_.clock != nullptr ? *options_.clock : DefaultClock();
    history_ = std::make_unique<HistoryWindow>(agent_->archive_store(), ArchiveStorePath(config_),
                                               [&clock] { return clock.NowSeconds(); });
    history_->SetErrorReport(Report());
    history_->SetReportHeaderSource([this] {
      const StationData station = agent_->record().Snapshot();
      ReportHeader header;
      // Until the console's configuration has been read, the header names no place.
      if (!station.Config.LatitudeText.empty() && station.Config.LatitudeText != "---") {
        header.latitude = station.Config.LatitudeText;
        header.longitude = station.Config.LongitudeText;
        header.elevation_ft = station.CurrentData.StationElevation;
      }
      return header;
    });
  }
  history_->Open();
}

void DesktopApp::Quit() {
  if (quitting_) return;
  quitting_ = true;
  window_->HideWindow();
  // From now on a worker's window call returns at once: none can be left
  // waiting for this thread while it waits for the link to close.
  window_->DropWorkerCalls();
  QEventLoop loop;
  std::atomic<bool> closed{false};
  std::thread closer;
  try {
    closer = std::thread([&] {
      RunGuarded(Report(), "fermeture de la liaison", [&] { agent_->Quit(options_.quit_wait); });
      closed = true;
      // Asked by name: nothing of ours travels through Qt's event queue.
      QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
  } catch (const std::exception& e) {
    // No thread to close the link on: the quit goes on without it.
    Report()(EdgeErrorLine("fermeture de la liaison", e.what()));
    closed = true;
  }
  QTimer::singleShot(options_.quit_wait + std::chrono::milliseconds{500}, &loop,
                     [&loop] { loop.quit(); });
  if (!closed) loop.exec();
  // The closing thread waits at most the quit wait itself.
  if (closer.joinable()) closer.join();
  // An export being written is given a few seconds to finish (its window
  // calls now return at once), so that no half-written temporary file stays.
  for (int i = 0; i < 50 && exporting_; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds{100});
  if (!exporting_ && export_thread_.joinable()) export_thread_.join();
  options_.exit(0);
}

}  // namespace tv
