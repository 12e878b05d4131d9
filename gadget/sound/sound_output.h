#pragma once

#include <memory>
#include <span>
#include <stop_token>
#include <string>

#include "gadget/sound/pcm.h"
#include "lib/common/clock.h"

namespace tv {

enum class SoundResult {
  kPlayed,     // played to its end
  kSkipped,    // nothing to hear: a tone out of range, no sound output, a stop request
  kNotLoaded,  // the sound file cannot be loaded
};

// Where the alert sounds go. Safe to call from any number of threads at once:
// the sounds of different callers overlap, the calls of one caller follow
// each other. No call waits for a sound server: without one, sounds are
// skipped.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;

  // A tone played to its end (or until `stop`). A frequency outside
  // kLowestToneHz..kHighestToneHz is no sound and returns at once.
  virtual SoundResult Tone(int frequency_hz, int duration_ms, std::stop_token stop = {}) = 0;
  // A sound file (Ogg Vorbis or WAV) at `volume` 0 to 100, played to its end
  // (or until `stop`).
  virtual SoundResult PlayFile(const std::string& path, int volume, std::stop_token stop = {}) = 0;
  // Once, the first time the output has turned out to be unusable (no sound
  // server, a file that cannot be written): what went wrong, to be logged.
  // Empty otherwise.
  virtual std::string TakeProblem() = 0;
};

// Where mixed audio ends up. Used by one thread only: the output's own.
class SoundBackend {
 public:
  virtual ~SoundBackend() = default;
  // Gets the output ready; false, with `problem` set, when it cannot be.
  virtual bool Open(std::string& problem) = 0;
  // Plays (or stores) the samples; may take as long as they last. False,
  // with `problem` set, when the output broke down (it is opened again for
  // the next sound).
  virtual bool Write(std::span<const std::int16_t> samples, std::stop_token stop,
                     std::string& problem) = 0;
  // Nothing more to play for now: lets what was written be heard out.
  virtual void Drain() = 0;
  virtual void Close() = 0;
  // How long to wait before opening again after a failed Open.
  virtual Clock::Duration RetryAfter() const { return std::chrono::seconds{60}; }
};

// Audio into a WAV file (mono, 16 bits, kSoundRate), valid after every write.
// With `pace`, each write lasts on that clock as long as the samples do, as
// if they were played.
std::unique_ptr<SoundBackend> MakeWavFileBackend(std::string path, Clock* pace = nullptr);

// The output of the alerts: a thread of its own mixes every sound being
// played and hands the result to `backend` in short blocks, so that a backend
// that blocks (a hung sound server) holds up that thread only. Callers wait
// for their sound with their stop token; on destruction the thread is given
// a short while to end and is otherwise left to end on its own. The pause
// after a failed open (RetryAfter) is measured on `clock`.
std::unique_ptr<SoundOutput> MakeMixingSoundOutput(std::unique_ptr<SoundBackend> backend,
                                                   Clock& clock = DefaultClock());

// The output named by the environment: TV_SOUND_SINK=wav:PATH writes every
// sound into the WAV file PATH (paced on `clock`) instead of playing it;
// otherwise the desktop's sound server. Its times are measured on `clock`.
std::unique_ptr<SoundOutput> MakeSoundOutputFromEnvironment(Clock& clock = DefaultClock());

}  // namespace tv
