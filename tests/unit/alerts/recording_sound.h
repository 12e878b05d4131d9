#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "gadget/alerts/sound_alert.h"

namespace tv::testing {

// A sound output that plays nothing and keeps what it was asked to play.
class RecordingSound final : public SoundOutput {
 public:
  SoundResult Tone(int frequency_hz, int duration_ms, std::stop_token) override {
    std::lock_guard lock(mutex_);
    tones_.push_back({frequency_hz, duration_ms});
    return SoundResult::kPlayed;
  }
  SoundResult PlayFile(const std::string& path, int volume, std::stop_token) override {
    std::lock_guard lock(mutex_);
    files_.push_back(path + "@" + std::to_string(volume));
    return SoundResult::kPlayed;
  }
  std::string TakeProblem() override { return {}; }

  std::vector<BeepTone> Tones() {
    std::lock_guard lock(mutex_);
    return tones_;
  }
  std::vector<std::string> Files() {
    std::lock_guard lock(mutex_);
    return files_;
  }

 private:
  std::mutex mutex_;
  std::vector<BeepTone> tones_;
  std::vector<std::string> files_;
};

}  // namespace tv::testing
