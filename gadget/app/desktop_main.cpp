#include "gadget/app/desktop_main.h"

#include <pthread.h>
#include <signal.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "gadget/app/desktop_app.h"
#include "gadget/app/edge_guard.h"
#include "gadget/app/fonts.h"
#include "gadget/app/platform.h"
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

int RunDesktop(int argc, char** argv, bool start_hidden, const std::string& instance_socket) {
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
  // A second start asks for the window on this socket ("show", answered
  // "shown" once the window is shown).
  QLocalServer instance_server;
  if (!instance_socket.empty()) {
    const QString path = QFile::decodeName(instance_socket.c_str());
    QLocalServer::removeServer(path);  // left by an agent that ended; the lock is ours
    instance_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!instance_server.listen(path)) {
      desktop.agent().log().Notify("Impossible d'attendre un second démarrage sur " +
                                   instance_socket + " : " +
                                   instance_server.errorString().toStdString());
    }
    QObject::connect(&instance_server, &QLocalServer::newConnection, &instance_server, [&] {
      while (QLocalSocket* peer = instance_server.nextPendingConnection()) {
        QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        QObject::connect(peer, &QLocalSocket::readyRead, peer, [&desktop, peer] {
          RunGuarded(
              [&desktop](std::string_view line) { desktop.agent().log().Notify(line); },
              "second démarrage",
              [&] {
                if (!peer->canReadLine()) return;
                // "show", or "show TOKEN" with the second start's
                // xdg-activation token.
                const QByteArray line = peer->readLine().trimmed();
                if (line != "show" && !line.startsWith("show ")) return;
                desktop.window().SetActivationToken(CheckedActivationToken(line.mid(5).trimmed()));
                desktop.window().ShowWindow();
                desktop.window().ActivateWindow();
                peer->write("shown\n");
                peer->flush();
              });
        });
      }
    });
  }
  std::thread([&desktop, quit_signals] {
    NameThisThread("signals");
    RunGuarded({}, "attente des signaux d'arrêt", [&] {
      int received = 0;
      if (sigwait(&quit_signals, &received) == 0) {
        QMetaObject::invokeMethod(&desktop, "Quit", Qt::QueuedConnection);
      }
    });
  }).detach();
  return app.exec();
}

}  // namespace tv

namespace tv {

int ShowRunningAgent(int argc, char** argv, const std::string& instance_socket) {
  QCoreApplication app(argc, argv);
  const QString path = QFile::decodeName(instance_socket.c_str());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{10};
  // The running agent may be starting too: asked again until it listens.
  while (std::chrono::steady_clock::now() < deadline) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(1000)) {
      // The token the launcher gave this start lets the compositor raise the
      // running agent's window on Wayland.
      const QString token = CheckedActivationToken(qgetenv("XDG_ACTIVATION_TOKEN"));
      socket.write(token.isEmpty() ? QByteArray("show\n") : "show " + token.toLatin1() + "\n");
      socket.flush();
      while (!socket.canReadLine() && socket.waitForReadyRead(5000)) {
      }
      if (socket.canReadLine() && socket.readLine().trimmed() == "shown") {
        std::printf("Teskaro Ventaro fonctionne déjà : sa fenêtre est affichée.\n");
        return 0;
      }
    }
    QThread::msleep(200);
  }
  std::fprintf(stderr,
               "Un agent Teskaro Ventaro fonctionne déjà pour cet utilisateur, mais il n'affiche "
               "pas de fenêtre (sans fenêtre, ou il ne répond pas).\n");
  return 1;
}

}  // namespace tv
