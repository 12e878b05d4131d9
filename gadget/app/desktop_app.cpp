#include "gadget/app/desktop_app.h"

#include <QEventLoop>
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
  // The sound output is opened by its own thread, never by this one: a sound
  // server that hangs cannot hold up the window.
  agent_options.sound = std::move(options_.sound);
  Clock& clock = options_.clock != nullptr ? *options_.clock : DefaultClock();
  agent_ = std::make_unique<Agent>(config_, *window_, clock, std::move(agent_options));
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
                                           .export_data = {},
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
  if (!config_.Flag(kKeyStartHideAgent)) window_->ShowWindow();
  window_->SelectPage(DefaultPanelIndex(config_));
  if (options_.start_workers) agent_->Start();
  started_ = true;
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
