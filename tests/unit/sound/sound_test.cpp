#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>

#include "gadget/alerts/alarm_evaluator.h"
#include "gadget/alerts/alert_signals.h"
#include "gadget/alerts/rain_notify.h"
#include "gadget/alerts/sound_alert.h"
#include "gadget/display/blinking.h"
#include "gadget/sound/pcm.h"
#include "gadget/sound/pulse_backend.h"
#include "gadget/sound/sound_output.h"
#include "gadget/window/memory_window.h"

namespace tv {
namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  return (fs::path(::testing::TempDir()) / ("tv_sound_" + name)).string();
}

// Log lines handed to `notify`.
struct Lines {
  std::mutex mutex;
  std::vector<std::string> lines;
  std::function<void(std::string_view)> Notify() {
    return [this](std::string_view line) {
      std::lock_guard lock(mutex);
      lines.emplace_back(line);
    };
  }
  std::vector<std::string> Get() {
    std::lock_guard lock(mutex);
    return lines;
  }
};

Samples ReadBack(const std::string& path) {
  Samples samples;
  EXPECT_TRUE(LoadSoundFile(path, samples)) << path;
  return samples;
}

int Peak(const Samples& s) {
  int peak = 0;
  for (const std::int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
  return peak;
}

// Frequency from the rising zero crossings of a stretch of samples.
double Frequency(const Samples& s, std::size_t from, std::size_t count) {
  int crossings = 0;
  for (std::size_t i = from + 1; i < from + count && i < s.size(); ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
  }
  return crossings * static_cast<double>(kSoundRate) / static_cast<double>(count);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Tones, SineWithFadesAndTheAudibleRange) {
  const Samples tone = SynthesiseTone(1000, 500);
  ASSERT_EQ(tone.size(), 22050U);
  EXPECT_NEAR(Frequency(tone, 0, tone.size()), 1000, 4);
  EXPECT_EQ(tone.front(), 0) << "faded in";
  EXPECT_LT(std::abs(tone.back()), 200) << "faded out";
  EXPECT_GT(Peak(tone), 16000);
  // Within the first 5 ms the level rises from nothing.
  EXPECT_LT(Peak(Samples(tone.begin(), tone.begin() + 20)), 1000);

  for (const int hz : {36, 0, -100, 32768}) EXPECT_TRUE(SynthesiseTone(hz, 100).empty()) << hz;
  for (const int hz : {37, 32767}) EXPECT_FALSE(SynthesiseTone(hz, 100).empty()) << hz;
  EXPECT_TRUE(SynthesiseTone(1000, 0).empty());
}

TEST(Tones, BeepSequences) {
  const auto total = [](const std::vector<BeepTone>& tones, bool audible_only) {
    int ms = 0;
    for (const BeepTone& t : tones) {
      if (!audible_only || ToneAudible(t.frequency_hz)) ms += t.duration_ms;
    }
    return ms;
  };
  EXPECT_EQ(BeepTones("beep1"), (std::vector<BeepTone>{{1000, 500}, {800, 500}}));
  EXPECT_EQ(BeepTones("beep2").size(), 50U);
  EXPECT_EQ(total(BeepTones("beep2"), false), 1275);
  EXPECT_EQ(BeepTones("beep2").back(), (BeepTone{5000, 50}));
  const auto beep3 = BeepTones("beep3");
  EXPECT_EQ(beep3.size(), 200U);
  EXPECT_EQ(beep3.front(), (BeepTone{16900, 1}));
  EXPECT_EQ(std::count_if(beep3.begin(), beep3.end(),
                          [](const BeepTone& t) { return ToneAudible(t.frequency_hz); }),
            169);
  EXPECT_EQ(total(beep3, true), 14365);
  EXPECT_EQ(BeepTones("beep4").size(), 12U);
  EXPECT_EQ(total(BeepTones("beep4"), false), 3600);
  EXPECT_TRUE(BeepTones("beep5").empty());
  EXPECT_TRUE(BeepTones("BEEP1").empty());
}

TEST(WavSink, Beep4IsTwelveTonesInThreePointSixSeconds) {
  const std::string path = TempPath("beep4.wav");
  {
    auto sound = MakeMixingSoundOutput(MakeWavFileBackend(path));
    Lines log;
    PlaySoundAlert(*sound, "beep4", log.Notify());
    EXPECT_TRUE(log.Get().empty());
  }
  const Samples out = ReadBack(path);
  ASSERT_EQ(out.size(), 158760U) << "3.6 s at 44100 Hz";
  // Tone by tone: 1000 Hz for 500 ms, then 800 Hz for 100 ms, six times.
  std::size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(Frequency(out, at, 22050), 1000, 5);
    at += 22050;
    EXPECT_NEAR(Frequency(out, at, 4410), 800, 12);
    at += 4410;
  }
  fs::remove(path);
}

TEST(WavSink, SoundFilesAtVolumeFiftyAndFilesThatCannotBeLoaded) {
  const std::string ogg = TempPath("tone.ogg");
  const std::string command = "sox -n -r 48000 -c 2 '" + ogg + "' synth 1 sine 440 2>/dev/null";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "sox cannot write Ogg Vorbis here";
  const Samples source = ReadBack(ogg);
  ASSERT_NEAR(static_cast<double>(source.size()), kSoundRate, 200) << "1 s, from 48 kHz stereo";
  ASSERT_GT(Peak(source), 20000);

  const std::string path = TempPath("file.wav");
  Lines log;
  {
    auto sound = MakeMixingSoundOutput(MakeWavFileBackend(path));
    PlaySoundAlert(*sound, ogg, log.Notify());
    // Twice in a row a file that is not there, an empty one, one that is
    // neither Ogg nor WAV, and a WAV whose header lies about its size.
    const std::string empty = TempPath("empty.ogg");
    const std::string text = TempPath("text.wav");
    const std::string lying = TempPath("lying.wav");
    WriteFile(empty, "");
    WriteFile(text, "RIFF is not enough");
    WriteFile(lying, WavHeader(1'000'000).substr(0, 40) + std::string(4, '\xFF'));
    for (const std::string& bad :
         {TempPath("missing.ogg"), TempPath("missing.ogg"), empty, text, lying}) {
      PlaySoundAlert(*sound, bad, log.Notify());
    }
    fs::remove(empty);
    fs::remove(text);
    fs::remove(lying);
  }
  EXPECT_EQ(log.Get(), std::vector<std::string>(5, std::string(kSoundFileError)));
  const Samples out = ReadBack(path);
  EXPECT_EQ(out.size(), source.size()) << "only the Ogg file was played";
  EXPECT_NEAR(Peak(out), Peak(source) / 2.0, Peak(source) * 0.02);
  EXPECT_NEAR(Frequency(out, 0, out.size()), 440, 3);
  fs::remove(ogg);
  fs::remove(path);
}

TEST(WavSink, WavFilesReadInTheirOwnFormat) {
  // 8-bit stereo at 22050 Hz, half a second of a square wave.
  std::string wav = "RIFF";
  const auto u32 = [&wav](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) wav.push_back(static_cast<char>(v >> (8 * i)));
  };
  const auto u16 = [&wav](std::uint16_t v) {
    wav.push_back(static_cast<char>(v));
    wav.push_back(static_cast<char>(v >> 8));
  };
  const std::uint32_t frames = 11025;
  u32(36 + frames * 2);
  wav += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(2);
  u32(22050);
  u32(22050 * 2);
  u16(2);
  u16(8);
  wav += "data";
  u32(frames * 2);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const char v = (i / 50) % 2 == 0 ? '\xF0' : '\x10';
    wav.push_back(v);
    wav.push_back(v);
  }
  const std::string path = TempPath("square.wav");
  WriteFile(path, wav);
  const Samples s = ReadBack(path);
  EXPECT_NEAR(static_cast<double>(s.size()), 22050, 2);
  EXPECT_NEAR(Frequency(s, 0, s.size()), 220.5, 3);
  fs::remove(path);
}

TEST(NoSoundServer, SoundsSkippedAfterOneLogLine) {
  const char* before = std::getenv("PULSE_SERVER");
  const std::string saved = before ? before : "";
  setenv("PULSE_SERVER", ("unix:" + TempPath("no-such-server")).c_str(), 1);
  Lines log;
  {
    auto sound = MakeMixingSoundOutput(MakePulseBackend());
    for (int i = 0; i < 3; ++i) PlaySoundAlert(*sound, "beep1", log.Notify());
    EXPECT_EQ(sound->Tone(1000, 50), SoundResult::kSkipped);
  }
  if (before) {
    setenv("PULSE_SERVER", saved.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
  const auto lines = log.Get();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].rfind("[ANM_AlerteSon] : Aucun serveur de son", 0), 0U) << lines[0];
}

// A sound server that never answers: opening the output blocks until the
// test lets it go.
struct HungServer {
  std::mutex mutex;
  std::condition_variable cv;
  bool released = false;
  bool opening = false;
  bool gone = false;  // the backend has been destroyed with the thread's state
  void Release() {
    std::lock_guard lock(mutex);
    released = true;
    cv.notify_all();
  }
};

class HungBackend final : public SoundBackend {
 public:
  explicit HungBackend(std::shared_ptr<HungServer> server) : server_(std::move(server)) {}
  ~HungBackend() override {
    std::lock_guard lock(server_->mutex);
    server_->gone = true;
    server_->cv.notify_all();
  }
  bool Open(std::string& problem) override {
    std::unique_lock lock(server_->mutex);
    server_->opening = true;
    server_->cv.notify_all();
    server_->cv.wait(lock, [&] { return server_->released; });
    problem = "hung";
    return false;
  }
  bool Write(std::span<const std::int16_t>, std::stop_token, std::string&) override { return true; }
  void Drain() override {}
  void Close() override {}

 private:
  std::shared_ptr<HungServer> server_;
};

TEST(HungSoundServer, HoldsUpNeitherTheAlertsNorTheirEnd) {
  auto server = std::make_shared<HungServer>();
  auto sound = MakeMixingSoundOutput(std::make_unique<HungBackend>(server));
  Lines log;
  SoundAlerts sounds(*sound, log.Notify());
  for (int i = 0; i < 6; ++i) sounds.Start("beep1");
  {
    std::unique_lock lock(server->mutex);
    server->cv.wait(lock, [&] { return server->opening; });
  }
  EXPECT_EQ(sounds.Alive(), kMaxSoundAlerts) << "the waiting sounds are capped";
  sounds.Stop();
  EXPECT_EQ(sounds.Alive(), 0U);
  sound.reset();  // leaves the stuck thread behind
  server->Release();
  std::unique_lock lock(server->mutex);
  server->cv.wait(lock, [&] { return server->gone; });
  EXPECT_TRUE(log.Get().empty()) << "the problem of a stopped output is not told";
}

// A sound server that is never there, its opens counted.
class AbsentBackend final : public SoundBackend {
 public:
  explicit AbsentBackend(std::atomic<int>& opens) : opens_(opens) {}
  bool Open(std::string& problem) override {
    ++opens_;
    problem = "absent";
    return false;
  }
  bool Write(std::span<const std::int16_t>, std::stop_token, std::string&) override { return true; }
  void Drain() override {}
  void Close() override {}
  Clock::Duration RetryAfter() const override { return std::chrono::seconds{60}; }

 private:
  std::atomic<int>& opens_;
};

// After a failed open, sounds are skipped without trying again until the
// pause has passed on the output's clock.
TEST(NoSoundServer, OpenedAgainOnlyOnceThePauseHasPassedOnTheClock) {
  std::atomic<int> opens{0};
  ManualClock clock;
  auto sound = MakeMixingSoundOutput(std::make_unique<AbsentBackend>(opens), clock);
  struct Row {
    const char* legend;
    std::chrono::seconds advance;
    int opens;
  };
  const Row rows[] = {
      {"the first sound tries", std::chrono::seconds{0}, 1},
      {"at once after: skipped", std::chrono::seconds{0}, 1},
      {"59 s later: still skipped", std::chrono::seconds{59}, 1},
      {"a minute after the failure: tried again", std::chrono::seconds{1}, 2},
      {"then skipped again", std::chrono::seconds{30}, 2},
  };
  for (const Row& row : rows) {
    clock.Advance(row.advance);
    EXPECT_EQ(sound->Tone(1000, 50), SoundResult::kSkipped) << row.legend;
    EXPECT_EQ(opens.load(), row.opens) << row.legend;
  }
  EXPECT_EQ(sound->TakeProblem(), "absent");
}

int Entries(const char* dir) {
  int n = 0;
  if (DIR* d = opendir(dir)) {
    while (const dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
  }
  return n;
}

// Alarms and rain for ten simulated minutes, with a sound file of a minute
// played into a WAV file that lasts as long as its sound on the test clock.
TEST(SoundAlertCap, TenMinutesOfAlarmsKeepTheThreadsBounded) {
  const std::string minute = TempPath("minute.wav");
  {
    Samples tone = SynthesiseTone(440, 60'000);
    std::string bytes = WavHeader(static_cast<std::uint32_t>(tone.size()));
    bytes.append(reinterpret_cast<const char*>(tone.data()), tone.size() * 2);
    WriteFile(minute, bytes);
  }
  const std::string out = TempPath("ten-minutes.wav");
  ManualClock clock;
  MemoryWindow window({}, clock);
  window.KeepCallLog(false);
  ConfigTable config;
  config.Set("ALERTS", "Active", "1");
  config.Set("ALERTS", "Notify", "1");
  config.Set("ALERTS", "RainNotify", "1");
  config.Set("ALERTS", "Sound", minute);
  StationRecord record;
  record.Update([](StationData& d) {
    d.CurrentData.OutsideTemp = 36.0F;
    d.Alarms.outsideHiTemp = 35.0F;
    d.CurrentData.RainRate = 8.2F;
    d.Alarms.HiRainRate = 5.0F;
  });
  record.CycleSuccessCount = 2;
  Lines log;
  auto sound = MakeMixingSoundOutput(MakeWavFileBackend(out, &clock));
  SoundAlerts sounds(*sound, log.Notify());
  AlarmEvaluator evaluator(config, clock, record, window, &sounds);

  const int threads_before = Entries("/proc/self/task");
  const int fds_before = Entries("/proc/self/fd");
  int most_threads = 0;
  for (int step = 0; step < 300; ++step) {
    ASSERT_TRUE(evaluator.RunPass());
    RainNotify(window, config, clock, 8.2F);
    ASSERT_LE(sounds.Alive(), kMaxSoundAlerts);
    most_threads = std::max(most_threads, Entries("/proc/self/task"));
    ASSERT_LE(most_threads, threads_before + static_cast<int>(kMaxSoundAlerts));
    clock.Advance(kAlarmPeriod);
    // The mixing thread has written what is due and waits for the clock.
    ASSERT_TRUE(clock.WaitForSleepers(1));
  }
  EXPECT_EQ(window.RowCount(Field::ActiveAlertList), 3) << "two alarms and the rain";
  EXPECT_EQ(window.Balloons().size(), 600U);
  sounds.Stop();
  sound.reset();
  StopNamedBlink(window, kAlertBlinkName);
  StopNamedBlink(window, kRainBlinkName);
  EXPECT_EQ(Entries("/proc/self/fd"), fds_before);
  EXPECT_LE(Entries("/proc/self/task"), threads_before - 1) << "the mixing thread has ended";
  EXPECT_TRUE(log.Get().empty());
  // A new sound started whenever one had ended: the minute-long sound played
  // through the ten minutes.
  const Samples written = ReadBack(out);
  EXPECT_GT(written.size(), static_cast<std::size_t>(kSoundRate) * 590);
  fs::remove(minute);
  fs::remove(out);
}

}  // namespace
}  // namespace tv
