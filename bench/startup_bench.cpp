// Start-up time and resident memory of the desktop program: from exec to the
// window first shown (without the 1000 ms pause), and the resident memory at
// that moment, against an empty Qt widget of the same size started the same
// way (Qt's own floor). Each is launched several times, alternating; the
// line gives the medians and the ratio program / floor.
//
//   startup_bench [runs]        default 11 runs each, QT_QPA_PLATFORM=offscreen
//                               unless QT_QPA_PLATFORM is set (e.g. xcb under Xvfb)
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::string OwnFolder() {
  std::vector<char> path(4096);
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return ".";
  std::string s(path.data(), static_cast<std::size_t>(n));
  return s.substr(0, s.rfind('/'));
}

struct Launch {
  bool ok = false;
  double milliseconds = 0;
  long rss_kb = 0;
};

// Starts the probe, reads its one line, waits for it to end.
Launch Run(const std::string& probe, bool bare) {
  Launch result;
  int out[2];
  if (pipe(out) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
  std::string arg0 = probe;
  std::string arg1 = "--bare";
  char* argv[] = {arg0.data(), bare ? arg1.data() : nullptr, nullptr};
  pid_t pid = 0;
  const long long start = MonotonicNanoseconds();
  const int spawned = posix_spawn(&pid, probe.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return result;
  }
  std::string line;
  char buffer[256];
  ssize_t n = 0;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0)
    line.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  long long shown = 0;
  long rss = 0;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(line.c_str(), "shown %lld rss %ld", &shown, &rss) == 2) {
    result.ok = true;
    result.milliseconds = static_cast<double>(shown - start) / 1e6;
    result.rss_kb = rss;
  }
  return result;
}

template <typename T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string probe = OwnFolder() + "/desktop-startup-probe";
  std::vector<double> program_ms, floor_ms;
  std::vector<long> program_kb, floor_kb;
  for (int i = 0; i < runs; ++i) {
    for (const bool bare : {false, true}) {
      const Launch l = Run(probe, bare);
      if (!l.ok) {
        std::fprintf(stderr, "startup_bench: %s did not show its window\n", probe.c_str());
        return 1;
      }
      (bare ? floor_ms : program_ms).push_back(l.milliseconds);
      (bare ? floor_kb : program_kb).push_back(l.rss_kb);
    }
  }
  const double p = Median(program_ms), f = Median(floor_ms);
  const long pk = Median(program_kb), fk = Median(floor_kb);
  std::printf("platform %s, %d runs each (medians)\n", std::getenv("QT_QPA_PLATFORM"), runs);
  std::printf(
      "start-up to window shown: program %.1f ms (min %.1f, max %.1f), empty Qt widget %.1f ms, "
      "ratio %.2f\n",
      p, *std::min_element(program_ms.begin(), program_ms.end()),
      *std::max_element(program_ms.begin(), program_ms.end()), f, p / f);
  std::printf(
      "resident memory at window shown: program %ld KB, empty Qt widget %ld KB, ratio %.2f\n", pk,
      fk, static_cast<double>(pk) / static_cast<double>(fk));
  return 0;
}
