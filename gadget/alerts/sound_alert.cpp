#include "gadget/alerts/sound_alert.h"

#include "lib/common/thread_name.h"

namespace tv {

std::vector<BeepTone> BeepTones(std::string_view choice) {
  std::vector<BeepTone> tones;
  if (choice == "beep1") {
    tones = {{1000, 500}, {800, 500}};
  } else if (choice == "beep2") {
    for (int i = 1; i <= 50; ++i) tones.push_back({100 * i, i});
  } else if (choice == "beep3") {
    for (int i = 1; i <= 200; ++i) tones.push_back({17000 - 100 * i, i});
  } else if (choice == "beep4") {
    for (int i = 0; i < 6; ++i) {
      tones.push_back({1000, 500});
      tones.push_back({800, 100});
    }
  }
  return tones;
}

void PlaySoundAlert(SoundOutput& sound, std::string_view choice,
                    const std::function<void(std::string_view)>& notify, std::stop_token stop) {
  if (choice.empty()) return;
  const std::vector<BeepTone> tones = BeepTones(choice);
  if (!tones.empty()) {
    for (const BeepTone& tone : tones) {
      if (stop.stop_requested()) break;
      sound.Tone(tone.frequency_hz, tone.duration_ms, stop);
    }
  } else if (sound.PlayFile(std::string(choice), kSoundFileVolume, stop) ==
             SoundResult::kNotLoaded) {
    if (notify) notify(kSoundFileError);
  }
  const std::string problem = sound.TakeProblem();
  if (!problem.empty() && notify) notify(std::string(kSoundAlertPrefix) + problem);
}

SoundAlerts::SoundAlerts(SoundOutput& sound, std::function<void(std::string_view)> notify)
    : sound_(sound), notify_(std::move(notify)) {}

SoundAlerts::~SoundAlerts() {
  Stop();
}

void SoundAlerts::Prune() {
  players_.remove_if([](const Player& p) { return p.done->load(); });
}

bool SoundAlerts::Start(std::string choice) {
  std::lock_guard lock(mutex_);
  Prune();
  if (players_.size() >= kMaxSoundAlerts) return false;
  auto done = std::make_shared<std::atomic<bool>>(false);
  players_.push_back(
      Player{done, std::jthread([this, done, choice = std::move(choice)](std::stop_token stop) {
               NameThisThread("sound alert");
               // Nothing a sound does ends more than its own thread.
               try {
                 PlaySoundAlert(sound_, choice, notify_, stop);
               } catch (...) {
               }
               *done = true;
             })});
  return true;
}

std::size_t SoundAlerts::Alive() {
  std::lock_guard lock(mutex_);
  Prune();
  return players_.size();
}

void SoundAlerts::Stop() {
  std::list<Player> players;
  {
    std::lock_guard lock(mutex_);
    players.swap(players_);
  }
  for (Player& p : players) p.thread.request_stop();
  players.clear();  // joins
}

}  // namespace tv
