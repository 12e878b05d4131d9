#include "gadget/app/desktop_app.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "gadget/app/pictures.h"
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
  agent_ = std::make_unique<Agent>(config_, *window_, DefaultClock(), std::move(agent_options));
}

DesktopApp::~DesktopApp() {
  window_->SetTray(nullptr);
  window_->DropWorkerCalls();
  // Only reached in tests: the program itself ends in Quit.
  agent_->Stop();
}

void DesktopApp::Start() {
  agent_->ResetDisplay();
  const QIcon icon(PixmapFor(LookupHandle("ICO_VT", kHandleKindImage)));
  tray_ = std::make_unique<Tray>(icon, Tray::Actions{
                                           .open = [this] { window_->ShowWindow(); },
                                           .quit = [this] { Quit(); },
                                           .export_data = [this] { ExportData(); },
                                       });
  window_->SetTray(tray_.get());
  agent_->LogTitle();
  if (!tray_->Available()) {
    agent_->log().Notify(
        "Pas de zone de notification sur ce bureau : les messages s'affichent dans une fenêtre "
        "en haut à droite de l'écran.");
  }
  QTimer::singleShot(options_.pause, this, [this] { AfterPause(); });
}

void DesktopApp::AfterPause() {
  if (quitting_) return;
  if (!config_.Flag(kKeyStartHideAgent) && !options_.start_hidden) window_->ShowWindow();
  window_->SelectPage(DefaultPanelIndex(config_));
  if (options_.start_workers) agent_->Start();
  started_ = true;
}

QString DefaultExportPath(const QDateTime& now) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  return QDir(folder).filePath("teskaro-ventaro-" + now.toString("yyyy-MM-dd-HH'h'mm") + ".json");
}

void DesktopApp::ExportData() {
  if (quitting_) return;
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
  if (path.isEmpty()) return;
  const QByteArray file = path.toUtf8();
  if (agent_->ExportData(std::string(file.constData(), static_cast<std::size_t>(file.size())))) {
    return;
  }
  const QString message = "Les données n'ont pas pu être exportées dans " + path +
                          " : le journal de la page Activité en donne la raison.";
  if (options_.report_export_failure) {
    options_.report_export_failure(message);
  } else {
    QMessageBox::warning(window_->TopLevel(), QString::fromUtf8(AppTitle().c_str()), message);
  }
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
  std::thread closer([&] {
    agent_->Quit(options_.quit_wait);
    closed = true;
    // Asked by name: nothing of ours travels through Qt's event queue.
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  QTimer::singleShot(options_.quit_wait + std::chrono::milliseconds{500}, &loop,
                     [&loop] { loop.quit(); });
  if (!closed) loop.exec();
  // The closing thread waits at most the quit wait itself.
  closer.join();
  options_.exit(0);
}

}  // namespace tv
