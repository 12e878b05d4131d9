// Start-up probe for the start-up benchmark: the desktop program's own
// start-up (settings, image sets, the window built from the catalogue, the
// agent, the tray icon) with no pause before the window is shown, ending as
// soon as the window is first exposed. It prints one line,
//   shown <CLOCK_MONOTONIC nanoseconds> rss <resident KB>
// and ends. With --bare it shows an empty widget of the window's size
// instead: the floor that Qt itself sets on this machine.
#include <time.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "gadget/app/desktop_app.h"
#include "gadget/app/desktop_main.h"
#include "gadget/app/fonts.h"
#include "lib/common/app_values.h"
#include "lib/config/config_table.h"

namespace {

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

bool AnyWindowExposed() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->windowHandle() != nullptr && w->windowHandle()->isExposed()) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);

  tv::ConfigTable config;
  std::unique_ptr<tv::DesktopApp> desktop;
  std::unique_ptr<QWidget> empty;
  if (bare) {
    empty = std::make_unique<QWidget>();
    empty->setFixedSize(813, 559);
    empty->show();
  } else {
    tv::InstallFontSubstitutions();
    if (!tv::LoadSettingsOrExplain(tv::IniPath(), config)) return 1;
    tv::DesktopOptions options;
    options.pause = std::chrono::milliseconds{0};
    options.start_workers = false;
    desktop = std::make_unique<tv::DesktopApp>(config, std::move(options));
    desktop->Start();
  }

  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!AnyWindowExposed()) return;
    const long long shown = MonotonicNanoseconds();
    std::printf("shown %lld rss %ld\n", shown, ResidentKilobytes());
    std::fflush(stdout);
    std::_Exit(0);
  });
  poll.start(0);
  return app.exec();
}
