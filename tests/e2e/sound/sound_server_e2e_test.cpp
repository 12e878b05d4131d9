// The alert sounds through a real sound server: PulseAudio started headless
// with a null sink, whose monitor is recorded with parec.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "gadget/alerts/sound_alert.h"
#include "gadget/sound/pcm.h"
#include "gadget/sound/pulse_backend.h"
#include "gadget/sound/sound_output.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace tv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A child process with extra environment variables, its output into a file.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            const std::string& output) {
  std::vector<std::string> environment = env;
  for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void End(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(50ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

bool Exited(pid_t pid) {
  return waitpid(pid, nullptr, WNOHANG) == pid;
}

// Waits (in real time, at most `limit`) until `done` holds.
template <typename F>
bool WaitFor(F&& done, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

Samples ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Samples s(bytes.size() / 2);
  for (std::size_t i = 0; i < s.size(); ++i) {
    s[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return s;
}

std::size_t FirstLoud(const Samples& s, std::size_t from) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (std::abs(static_cast<int>(s[i])) > 1000) return i;
  }
  return s.size();
}

double Frequency(const Samples& s, std::size_t from, std::size_t count) {
  int crossings = 0;
  for (std::size_t i = from + 1; i < from + count && i < s.size(); ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
  }
  return crossings * static_cast<double>(kSoundRate) / static_cast<double>(count);
}

double Rms(const Samples& s, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count && i < s.size(); ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / static_cast<double>(count));
}

class SoundServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir_, "HOME=" + dir_};
    server_ = Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                     "--use-pid-file=no", "--load=module-null-sink sink_name=nullsink",
                     "--load=module-native-protocol-unix", "--load=module-always-sink"},
                    env, dir_ + "/server.log");
    const std::string socket = dir_ + "/pulse/native";
    if (server_ <= 0 || !WaitFor([&] { return fs::exists(socket) || Exited(server_); }) ||
        !fs::exists(socket)) {
      GTEST_SKIP() << "PulseAudio cannot start here (pulseaudio with a null sink)";
    }
    const std::string server = "PULSE_SERVER=unix:" + socket;
    const std::string cookie = "PULSE_COOKIE=" + dir_ + "/.config/pulse/cookie";
    setenv("PULSE_SERVER", server.substr(13).c_str(), 1);
    setenv("PULSE_COOKIE", cookie.substr(13).c_str(), 1);
    recording_ = dir_ + "/monitor.raw";
    recorder_ = Spawn({"parec", "-d", "nullsink.monitor", "--format=s16le", "--rate=44100",
                       "--channels=1", "--raw"},
                      {server, cookie}, recording_);
    if (recorder_ <= 0 ||
        !WaitFor([&] { return fs::exists(recording_) && fs::file_size(recording_) > 4410; })) {
      GTEST_SKIP() << "parec cannot record the null sink's monitor";
    }
  }
  void TearDown() override {
    End(recorder_);
    End(server_);
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_COOKIE");
  }

  tv::testing::TempDir tmp_{"tv-pulse"};
  const std::string dir_ = tmp_.path.string();
  std::string recording_;
  pid_t server_ = -1;
  pid_t recorder_ = -1;
};

TEST_F(SoundServer, Beep1AsItsTwoTonesThenAnOggFileAsSound) {
  const std::string ogg = dir_ + "/tone.ogg";
  const std::string make = "sox -n -r 44100 -c 2 '" + ogg + "' synth 0.5 sine 600 2>/dev/null";
  const bool have_ogg = std::system(make.c_str()) == 0;

  std::vector<std::string> log;
  const auto notify = [&log](std::string_view line) { log.emplace_back(line); };
  {
    auto sound = MakeMixingSoundOutput(MakePulseBackend());
    PlaySoundAlert(*sound, "beep1", notify);
    if (have_ogg) {
      std::this_thread::sleep_for(300ms);  // a gap between the two sounds
      PlaySoundAlert(*sound, ogg, notify);
    }
    // What was written is heard out before the recording is read.
    std::this_thread::sleep_for(800ms);
  }
  EXPECT_TRUE(log.empty()) << log.front();
  std::this_thread::sleep_for(300ms);
  End(recorder_);
  recorder_ = -1;

  const Samples s = ReadRaw(recording_);
  const std::size_t start = FirstLoud(s, 0);
  ASSERT_LT(start + kSoundRate, s.size()) << "beep1 reached the sink";
  // 1000 Hz then 800 Hz, half a second each (measured inside each tone).
  EXPECT_NEAR(Frequency(s, start + 2205, 17640), 1000, 25);
  EXPECT_NEAR(Frequency(s, start + 22050 + 2205, 17640), 800, 25);
  if (!have_ogg) GTEST_SKIP() << "sox cannot write Ogg Vorbis here";
  const std::size_t file = FirstLoud(s, start + 44100 + 4410);
  ASSERT_LT(file + 11025, s.size()) << "the Ogg file reached the sink";
  EXPECT_GT(Rms(s, file, 11025), 1000) << "sound, not silence";
  EXPECT_NEAR(Frequency(s, file + 2205, 11025), 600, 25);
}

}  // namespace
}  // namespace tv
