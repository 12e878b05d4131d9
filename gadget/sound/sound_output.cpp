#include "gadget/sound/sound_output.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "gadget/sound/pulse_backend.h"
#include "lib/common/thread_name.h"

namespace tv {
namespace {

// Audio is mixed and handed to the backend in blocks of 20 ms.
constexpr std::size_t kBlockSamples = kSoundRate / 50;
// A pause between two sounds shorter than this keeps the output running
// (the tones of one alert follow each other without a drain in between).
constexpr std::chrono::milliseconds kIdleGrace{50};
// How long the destructor waits for the mixing thread before leaving it.
constexpr std::chrono::milliseconds kEndWait{2000};
// A WAV file stays below 2 GiB of samples (about 6 hours).
constexpr std::uint32_t kMaxWavSamples = 0x7FFF'FFFFU / 2 - 64;

class WavFileBackend final : public SoundBackend {
 public:
  WavFileBackend(std::string path, Clock* pace) : path_(std::move(path)), pace_(pace) {}
  ~WavFileBackend() override { Close(); }

  bool Open(std::string& problem) override {
    if (file_ != nullptr) return true;
    // Opened again only after it broke down: it is not started afresh.
    if (opened_once_) {
      problem = "le fichier " + path_ + " n'est plus écrit";
      return false;
    }
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) {
      problem = "impossible d'écrire le fichier " + path_;
      return false;
    }
    opened_once_ = true;
    count_ = 0;
    return WriteHeader(problem);
  }

  bool Write(std::span<const std::int16_t> samples, std::stop_token stop,
             std::string& problem) override {
    if (file_ == nullptr) return false;
    if (count_ + samples.size() > kMaxWavSamples) {
      problem = "le fichier " + path_ + " est plein";
      Close();
      return false;
    }
    std::string bytes;
    bytes.reserve(samples.size() * 2);
    for (const std::int16_t s : samples) {
      const auto u = static_cast<std::uint16_t>(s);
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
    if (std::fseek(file_, 0, SEEK_END) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      problem = "erreur d'écriture dans " + path_;
      Close();
      return false;
    }
    count_ += static_cast<std::uint32_t>(samples.size());
    if (!WriteHeader(problem)) return false;
    Pace(samples.size(), stop);
    return true;
  }

  void Drain() override { run_samples_ = 0; }

  void Close() override {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }

 private:
  bool WriteHeader(std::string& problem) {
    const std::string header = WavHeader(count_);
    if (std::fseek(file_, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_) != header.size() ||
        std::fflush(file_) != 0) {
      problem = "erreur d'écriture dans " + path_;
      Close();
      return false;
    }
    return true;
  }

  // Lasts, on the pace clock, as long as the samples written since the
  // output last went idle.
  void Pace(std::size_t n, std::stop_token stop) {
    if (pace_ == nullptr) return;
    if (run_samples_ == 0) run_start_ = pace_->Now();
    run_samples_ += n;
    const auto target = run_start_ + std::chrono::milliseconds{
                                         static_cast<long long>(run_samples_) * 1000 / kSoundRate};
    const auto wait = std::chrono::duration_cast<Clock::Duration>(target - pace_->Now());
    if (wait.count() > 0) pace_->SleepFor(wait, stop);
  }

  const std::string path_;
  Clock* const pace_;
  std::FILE* file_ = nullptr;
  bool opened_once_ = false;
  std::uint32_t count_ = 0;
  Clock::TimePoint run_start_;
  std::size_t run_samples_ = 0;
};

struct Voice {
  Samples samples;
  std::size_t position = 0;
  bool done = false;
  bool played = false;
};

// What the mixing thread shares with the output; the thread keeps it alive
// when it has to be left behind (the clock excepted: it is read only until
// the stop is asked).
struct MixerState {
  explicit MixerState(Clock& c) : clock(c) {}
  Clock& clock;
  std::mutex mutex;
  std::condition_variable_any changed;
  std::list<std::shared_ptr<Voice>> voices;
  std::unique_ptr<SoundBackend> backend;
  std::stop_source stop;
  bool finished = false;
  // After a failed open, new sounds are skipped until then.
  bool unavailable = false;
  Clock::SteadyPoint retry_at;
  std::string problem;
  bool problem_told = false;

  void Fail(std::string what) {
    if (!problem_told && problem.empty()) problem = std::move(what);
    unavailable = true;
    // A thread left behind (stop asked, under this lock) no longer reads the
    // clock, which may be gone with its owner.
    if (!stop.stop_requested()) retry_at = clock.SteadyNow() + backend->RetryAfter();
    for (const auto& v : voices) v->done = true;
    voices.clear();
    changed.notify_all();
  }
};

void MixLoop(const std::shared_ptr<MixerState>& state) {
  NameThisThread("sound");
  MixerState& s = *state;
  const std::stop_token stop = s.stop.get_token();
  std::unique_lock lock(s.mutex);
  bool open = false;
  bool written = false;
  std::vector<std::int32_t> sum;
  std::vector<std::int16_t> block;
  while (!stop.stop_requested()) {
    if (s.voices.empty()) {
      if (written &&
          !s.changed.wait_for(lock, stop, kIdleGrace, [&] { return !s.voices.empty(); })) {
        if (stop.stop_requested()) break;
        lock.unlock();
        s.backend->Drain();
        lock.lock();
        written = false;
      }
      s.changed.wait(lock, stop, [&] { return !s.voices.empty(); });
      continue;
    }
    if (!open) {
      std::string problem;
      lock.unlock();
      const bool ok = s.backend->Open(problem);
      lock.lock();
      if (!ok) {
        s.Fail(std::move(problem));
        continue;
      }
      open = true;
      s.unavailable = false;
    }

    std::size_t length = 0;
    for (const auto& v : s.voices) {
      length = std::max(length, std::min(kBlockSamples, v->samples.size() - v->position));
    }
    sum.assign(length, 0);
    for (const auto& v : s.voices) {
      const std::size_t n = std::min(length, v->samples.size() - v->position);
      for (std::size_t i = 0; i < n; ++i) sum[i] += v->samples[v->position + i];
      v->position += n;
    }
    block.resize(length);
    for (std::size_t i = 0; i < length; ++i) {
      block[i] = static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767));
    }

    std::string problem;
    lock.unlock();
    const bool ok = s.backend->Write(block, stop, problem);
    lock.lock();
    if (!ok) {
      s.backend->Close();
      open = false;
      written = false;
      s.Fail(std::move(problem));
      continue;
    }
    written = true;
    for (auto it = s.voices.begin(); it != s.voices.end();) {
      if ((*it)->position >= (*it)->samples.size()) {
        (*it)->done = true;
        (*it)->played = true;
        it = s.voices.erase(it);
      } else {
        ++it;
      }
    }
    s.changed.notify_all();
  }
  for (const auto& v : s.voices) v->done = true;
  s.voices.clear();
  lock.unlock();
  s.backend->Close();
  lock.lock();
  s.finished = true;
  s.changed.notify_all();
}

class MixingSoundOutput final : public SoundOutput {
 public:
  MixingSoundOutput(std::unique_ptr<SoundBackend> backend, Clock& clock)
      : state_(std::make_shared<MixerState>(clock)) {
    state_->backend = std::move(backend);
    thread_ = std::thread([state = state_] {
      try {
        MixLoop(state);
      } catch (...) {
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->changed.notify_all();
      }
    });
  }

  ~MixingSoundOutput() override {
    std::unique_lock lock(state_->mutex);
    state_->stop.request_stop();
    state_->changed.notify_all();
    const bool ended = state_->changed.wait_for(lock, kEndWait, [&] { return state_->finished; });
    lock.unlock();
    // A thread stuck in the sound server is left behind with what it uses.
    if (ended) {
      thread_.join();
    } else {
      thread_.detach();
    }
  }

  SoundResult Tone(int frequency_hz, int duration_ms, std::stop_token stop) override {
    if (!ToneAudible(frequency_hz) || duration_ms <= 0) return SoundResult::kSkipped;
    return Play(SynthesiseTone(frequency_hz, duration_ms), stop);
  }

  SoundResult PlayFile(const std::string& path, int volume, std::stop_token stop) override {
    Samples samples;
    if (!LoadSoundFile(path, samples)) return SoundResult::kNotLoaded;
    ApplyVolume(samples, volume);
    return Play(std::move(samples), stop);
  }

  std::string TakeProblem() override {
    std::lock_guard lock(state_->mutex);
    if (state_->problem_told || state_->problem.empty()) return {};
    state_->problem_told = true;
    return std::move(state_->problem);
  }

 private:
  SoundResult Play(Samples samples, std::stop_token stop) {
    if (samples.empty()) return SoundResult::kSkipped;
    auto voice = std::make_shared<Voice>();
    voice->samples = std::move(samples);
    std::unique_lock lock(state_->mutex);
    if (state_->finished) return SoundResult::kSkipped;
    if (state_->unavailable && state_->clock.SteadyNow() < state_->retry_at) {
      return SoundResult::kSkipped;
    }
    state_->voices.push_back(voice);
    state_->changed.notify_all();
    state_->changed.wait(lock, stop, [&] { return voice->done; });
    if (!voice->done) {
      state_->voices.remove(voice);
      return SoundResult::kSkipped;
    }
    return voice->played ? SoundResult::kPlayed : SoundResult::kSkipped;
  }

  std::shared_ptr<MixerState> state_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<SoundBackend> MakeWavFileBackend(std::string path, Clock* pace) {
  return std::make_unique<WavFileBackend>(std::move(path), pace);
}

std::unique_ptr<SoundOutput> MakeMixingSoundOutput(std::unique_ptr<SoundBackend> backend,
                                                   Clock& clock) {
  return std::make_unique<MixingSoundOutput>(std::move(backend), clock);
}

std::unique_ptr<SoundOutput> MakeSoundOutputFromEnvironment(Clock& clock) {
  const char* sink = std::getenv("TV_SOUND_SINK");
  const std::string value = sink == nullptr ? "" : sink;
  if (value.rfind("wav:", 0) == 0 && value.size() > 4) {
    return MakeMixingSoundOutput(MakeWavFileBackend(value.substr(4), &clock), clock);
  }
  return MakeMixingSoundOutput(MakePulseBackend(), clock);
}

}  // namespace tv
