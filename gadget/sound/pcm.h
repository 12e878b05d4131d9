#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// Everything the alerts play is mono 16-bit audio at one rate: tones are
// made at it and sound files are converted to it when they are loaded.
inline constexpr int kSoundRate = 44100;
using Samples = std::vector<std::int16_t>;

// Frequencies a tone can have; any other tone is no sound and takes no time.
inline constexpr int kLowestToneHz = 37;
inline constexpr int kHighestToneHz = 32767;
bool ToneAudible(int frequency_hz);

// A sine of `frequency_hz` lasting `duration_ms`, faded in and out over 5 ms
// (less for a tone shorter than 10 ms) so that it starts and stops without a
// click. Empty for a tone that is not audible or a duration not above 0.
Samples SynthesiseTone(int frequency_hz, int duration_ms);

// Number of samples of `duration_ms` at kSoundRate.
std::size_t SamplesFor(int duration_ms);

// Loads an Ogg Vorbis or a WAV file (PCM of 8, 16, 24 or 32 bits, or 32-bit
// float) into mono at kSoundRate: channels averaged, rate converted. A file
// longer than kMaxSoundFileSeconds is cut there. False, with `error` set,
// when the file cannot be read, is in neither format or holds no sound.
inline constexpr int kMaxSoundFileSeconds = 600;
bool LoadSoundFile(const std::string& path, Samples& out, std::string* error = nullptr);

// Scales the samples to `volume` from 0 (silence) to 100 (as they are);
// values outside are clamped.
void ApplyVolume(Samples& samples, int volume);

// A WAV header for `sample_count` mono 16-bit samples at kSoundRate.
std::string WavHeader(std::uint32_t sample_count);

}  // namespace tv
