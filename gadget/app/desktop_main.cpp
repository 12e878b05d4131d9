#include "gadget/app/desktop_main.h"

#include <pthread.h>
#include <signal.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <thread>

#include "gadget/app/desktop_app.h"
#include "gadget/app/fonts.h"
#include "lib/common/app_values.h"
#include "lib/common/thread_name.h"
#include "lib/config/config_file.h"

namespace tv {
namespace {

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

sigset_t QuitSignals() {
  sigset_t quit_signals;
  sigemptyset(&quit_signals);
  sigaddset(&quit_signals, SIGINT);
  sigaddset(&quit_signals, SIGTERM);
  return quit_signals;
}

}  // namespace

bool LoadSettingsOrExplain(const std::string& path, ConfigTable& config) {
  if (LoadIniFile(path, config, "") != 0) return true;
  QMessageBox::critical(nullptr, Utf8(AppTitle()),
                        Utf8("Impossible de charger le fichier INI : " + path));
  return false;
}

bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

int RunDesktop(int argc, char** argv, bool start_hidden) {
  // Blocked in every thread started from here on; one thread of ours waits
  // for them and quits in order.
  const sigset_t quit_signals = QuitSignals();
  pthread_sigmask(SIG_BLOCK, &quit_signals, nullptr);

  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  InstallFontSubstitutions();

  ConfigTable config;
  if (!LoadSettingsOrExplain(IniPath(), config)) return 1;

  DesktopOptions options;
  options.start_hidden = start_hidden;
  DesktopApp desktop(config, std::move(options));
  desktop.Start();
  std::thread([&desktop, quit_signals] {
    NameThisThread("signals");
    int received = 0;
    if (sigwait(&quit_signals, &received) == 0) {
      QMetaObject::invokeMethod(&desktop, "Quit", Qt::QueuedConnection);
    }
  }).detach();
  return app.exec();
}

}  // namespace tv
