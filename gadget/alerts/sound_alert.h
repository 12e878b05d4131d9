#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "gadget/sound/sound_output.h"

namespace tv {

// One tone of an alert: frequency in Hz, duration in ms.
struct BeepTone {
  int frequency_hz;
  int duration_ms;
  bool operator==(const BeepTone&) const = default;
};

// The tones of "beep1" to "beep4"; empty for any other choice.
std::vector<BeepTone> BeepTones(std::string_view choice);

inline constexpr int kSoundFileVolume = 50;
inline constexpr std::string_view kSoundAlertPrefix = "[ANM_AlerteSon] : ";
inline constexpr std::string_view kSoundFileError =
    "[ANM_AlerteSon] : Erreur dans le chargement du fichier sonore";

// Plays the sound chosen ("ALERTS_Sound"): nothing when empty, the tones of
// "beep1" to "beep4" one after the other, any other text as the path of a
// sound file at volume 50. A file that cannot be loaded is reported through
// `notify`, and so is, once, a sound output that cannot be used.
void PlaySoundAlert(SoundOutput& sound, std::string_view choice,
                    const std::function<void(std::string_view)>& notify, std::stop_token stop = {});

// At most this many sound alerts play at once.
inline constexpr std::size_t kMaxSoundAlerts = 4;

// The sound alerts, each on a short-lived thread of its own, so that the
// caller never waits for a sound.
class SoundAlerts {
 public:
  // `sound` and whatever `notify` uses must outlive this.
  SoundAlerts(SoundOutput& sound, std::function<void(std::string_view)> notify);
  ~SoundAlerts();
  SoundAlerts(const SoundAlerts&) = delete;
  SoundAlerts& operator=(const SoundAlerts&) = delete;

  // Starts a thread playing `choice`, unless kMaxSoundAlerts still play.
  // True when one was started.
  bool Start(std::string choice);
  // Threads still playing.
  std::size_t Alive();
  // Asks every thread to stop its sound and waits for them.
  void Stop();

 private:
  struct Player {
    std::shared_ptr<std::atomic<bool>> done;
    std::jthread thread;
  };
  // Joins the threads that have ended; the mutex is held.
  void Prune();

  SoundOutput& sound_;
  const std::function<void(std::string_view)> notify_;
  std::mutex mutex_;
  std::list<Player> players_;
};

}  // namespace tv
