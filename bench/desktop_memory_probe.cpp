// Long-run probe for the memory benchmark: the desktop program (window, tray,
// agent and every worker thread) collecting from a console at ADDRESS
// (address@port of a TCP console) in accelerated time, each service every
// second, until CYCLES collection cycles have begun. It prints one line,
//   cycles <n> rss_start <KB> rss_end <KB> threads_start <n> threads_end <n>
// and ends. The start figures are taken once the first cycle has shown its
// values.
//
//   desktop-memory-probe 127.0.0.1@22222 10000
#include <dirent.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "gadget/app/desktop_app.h"
#include "gadget/app/fonts.h"
#include "lib/config/config_table.h"
#include "tests/support/accelerated_time.h"

namespace {

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

int Threads() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (const dirent* e = readdir(dir)) count += e->d_name[0] != '.' ? 1 : 0;
    closedir(dir);
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: desktop-memory-probe ADDRESS@PORT [CYCLES]\n");
    return 2;
  }
  const long cycles = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 10000;
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  tv::InstallFontSubstitutions();

  tv::ConfigTable config;
  config.Set("GENERAL", "StartHideAgent", "0");
  config.Set("GENERAL", "RefreshServices", "1");
  config.Set("GENERAL", "Notify", "0");
  config.Set("CONSOLE", "type", "IP");
  config.Set("CONSOLE", "adresse", argv[1]);
  config.Set("CONSOLE", "ConnectionTimeout", "5");
  for (const char* service : {"CurrentData", "Alarm", "HiLow", "ConfigStation", "Calibration"}) {
    config.Set("SERVICES", service, "1");
  }
  config.Set("ALERTS", "Active", "1");

  tv::testing::AcceleratedClock clock;
  auto port = std::make_unique<tv::testing::WatchedStationPort>();
  tv::testing::WatchedStationPort& station = *port;
  tv::DesktopOptions options;
  options.pause = std::chrono::milliseconds{0};
  options.station = std::move(port);
  options.clock = &clock;
  tv::DesktopApp desktop(config, std::move(options));
  desktop.Start();

  long rss_start = -1;
  int threads_start = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const long begun = station.cycles();
    if (rss_start < 0 && begun >= 2) {
      rss_start = ResidentKilobytes();
      threads_start = Threads();
    }
    if (begun < cycles) return;
    std::printf("cycles %ld rss_start %ld rss_end %ld threads_start %d threads_end %d\n", begun,
                rss_start, ResidentKilobytes(), threads_start, Threads());
    std::fflush(stdout);
    std::_Exit(0);
  });
  poll.start(100);
  return QApplication::exec();
}
