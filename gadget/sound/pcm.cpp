#include "gadget/sound/pcm.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>

namespace tv {
namespace {

constexpr double kToneAmplitude = 0.5 * 32767.0;
constexpr int kFadeMs = 5;
// A WAV file larger than this is not read at all.
constexpr std::uintmax_t kMaxWavBytes = 256U * 1024U * 1024U;

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

std::int16_t Clip(double v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

// Interleaved frames of `channels` floats in -1..1 at `rate` to mono at
// kSoundRate, by linear interpolation.
Samples ToMono(const std::vector<float>& frames, int channels, long rate) {
  Samples out;
  if (channels <= 0 || rate <= 0) return out;
  const std::size_t n = frames.size() / static_cast<std::size_t>(channels);
  if (n == 0) return out;
  std::vector<float> mono(n);
  for (std::size_t i = 0; i < n; ++i) {
    float sum = 0;
    for (int c = 0; c < channels; ++c)
      sum += frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
    mono[i] = sum / static_cast<float>(channels);
  }
  const double step = static_cast<double>(rate) / kSoundRate;
  const auto count = static_cast<std::size_t>(static_cast<double>(n) / step);
  out.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    const double at = static_cast<double>(k) * step;
    const auto i = static_cast<std::size_t>(at);
    const double frac = at - static_cast<double>(i);
    const double a = mono[std::min(i, n - 1)];
    const double b = mono[std::min(i + 1, n - 1)];
    out.push_back(Clip((a + (b - a) * frac) * 32767.0));
  }
  return out;
}

std::size_t MaxFrames(long rate) {
  return static_cast<std::size_t>(rate) * static_cast<std::size_t>(kMaxSoundFileSeconds);
}

bool LoadOgg(const std::string& path, Samples& out, std::string* error) {
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) {
    SetError(error, "not an Ogg Vorbis file");
    return false;
  }
  const vorbis_info* info = ov_info(&file, -1);
  if (info == nullptr || info->channels <= 0 || info->rate <= 0) {
    ov_clear(&file);
    SetError(error, "no Vorbis stream");
    return false;
  }
  const int channels = info->channels;
  const long rate = info->rate;
  std::vector<float> frames;
  char buffer[8192];
  int section = 0;
  bool failed = false;
  while (frames.size() / static_cast<std::size_t>(channels) < MaxFrames(rate)) {
    const long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got == 0) break;
    if (got < 0) {
      // A damaged page: Vorbis skips it; a stream that never recovers ends the read.
      if (got == OV_HOLE) continue;
      failed = frames.empty();
      break;
    }
    for (long i = 0; i + 1 < got; i += 2) {
      std::int16_t s;
      std::memcpy(&s, buffer + i, 2);
      frames.push_back(static_cast<float>(s) / 32768.0F);
    }
  }
  ov_clear(&file);
  if (failed) {
    SetError(error, "the Vorbis stream cannot be decoded");
    return false;
  }
  out = ToMono(frames, channels, rate);
  return true;
}

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t Le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

bool LoadWav(const std::string& path, Samples& out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SetError(error, "cannot be opened");
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 12 || static_cast<std::uintmax_t>(size) > kMaxWavBytes) {
    SetError(error, "not a WAV file of a usable size");
    return false;
  }
  in.seekg(0);
  std::string b(static_cast<std::size_t>(size), '\0');
  if (!in.read(b.data(), size)) {
    SetError(error, "read error");
    return false;
  }
  if (b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
    SetError(error, "neither Ogg Vorbis nor WAV");
    return false;
  }
  int format = 0, channels = 0, bits = 0;
  long rate = 0;
  std::size_t data_at = 0, data_size = 0;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::string id = b.substr(at, 4);
    const std::size_t length = Le32(b, at + 4);
    const std::size_t body = at + 8;
    const std::size_t available = std::min(length, b.size() - body);
    if (id == "fmt " && available >= 16) {
      format = Le16(b, body);
      channels = Le16(b, body + 2);
      rate = static_cast<long>(Le32(b, body + 4));
      bits = Le16(b, body + 14);
      if (format == 0xFFFE && available >= 26) format = Le16(b, body + 24);  // extensible
    } else if (id == "data") {
      data_at = body;
      data_size = available;  // a file cut short keeps what it has
      break;
    }
    if (length > b.size() - body) break;
    at = body + length + (length & 1U);
  }
  const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
  const bool floats = format == 3 && bits == 32;
  if (data_at == 0 || channels <= 0 || channels > 32 || rate <= 0 || rate > 768000 ||
      !(pcm || floats)) {
    SetError(error, "WAV format not supported");
    return false;
  }
  const std::size_t width = static_cast<std::size_t>(bits / 8);
  std::size_t count = data_size / width;
  count -= count % static_cast<std::size_t>(channels);
  count = std::min(count, MaxFrames(rate) * static_cast<std::size_t>(channels));
  std::vector<float> frames(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = data_at + i * width;
    float v = 0;
    if (floats) {
      const std::uint32_t raw = Le32(b, at);
      std::memcpy(&v, &raw, 4);
      if (!std::isfinite(v)) v = 0;
    } else if (bits == 8) {
      v = (static_cast<float>(static_cast<unsigned char>(b[at])) - 128.0F) / 128.0F;
    } else if (bits == 16) {
      v = static_cast<float>(static_cast<std::int16_t>(Le16(b, at))) / 32768.0F;
    } else if (bits == 24) {
      const std::uint32_t raw =
          static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 8 |
          static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
          static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 24;
      v = static_cast<float>(static_cast<std::int32_t>(raw)) / 2147483648.0F;
    } else {
      v = static_cast<float>(static_cast<std::int32_t>(Le32(b, at))) / 2147483648.0F;
    }
    frames[i] = std::clamp(v, -1.0F, 1.0F);
  }
  out = ToMono(frames, channels, rate);
  return true;
}

}  // namespace

bool ToneAudible(int frequency_hz) {
  return frequency_hz >= kLowestToneHz && frequency_hz <= kHighestToneHz;
}

std::size_t SamplesFor(int duration_ms) {
  if (duration_ms <= 0) return 0;
  return static_cast<std::size_t>(static_cast<long long>(duration_ms) * kSoundRate / 1000);
}

Samples SynthesiseTone(int frequency_hz, int duration_ms) {
  Samples out;
  if (!ToneAudible(frequency_hz)) return out;
  const std::size_t n = SamplesFor(duration_ms);
  out.resize(n);
  const std::size_t fade = std::min(SamplesFor(kFadeMs), n / 2);
  const double w = 2.0 * std::numbers::pi * frequency_hz / kSoundRate;
  for (std::size_t i = 0; i < n; ++i) {
    double gain = 1.0;
    const std::size_t edge = std::min(i, n - 1 - i);
    if (edge < fade)
      gain = 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(edge) /
                                  static_cast<double>(fade));
    out[i] = Clip(kToneAmplitude * gain * std::sin(w * static_cast<double>(i)));
  }
  return out;
}

bool LoadSoundFile(const std::string& path, Samples& out, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    SetError(error, "cannot be opened");
    return false;
  }
  char magic[4] = {};
  const std::size_t got = std::fread(magic, 1, 4, f);
  std::fclose(f);
  const bool loaded = got == 4 && std::memcmp(magic, "OggS", 4) == 0 ? LoadOgg(path, out, error)
                                                                     : LoadWav(path, out, error);
  if (loaded && out.empty()) {
    SetError(error, "no sound in the file");
    return false;
  }
  return loaded;
}

void ApplyVolume(Samples& samples, int volume) {
  const double gain = std::clamp(volume, 0, 100) / 100.0;
  for (std::int16_t& s : samples) s = Clip(s * gain);
}

std::string WavHeader(std::uint32_t sample_count) {
  std::string h;
  const auto u32 = [&h](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const auto u16 = [&h](std::uint16_t v) {
    h.push_back(static_cast<char>(v & 0xFF));
    h.push_back(static_cast<char>(v >> 8));
  };
  const std::uint32_t data_bytes = sample_count * 2;
  h += "RIFF";
  u32(36 + data_bytes);
  h += "WAVEfmt ";
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(kSoundRate);
  u32(kSoundRate * 2);
  u16(2);
  u16(16);
  h += "data";
  u32(data_bytes);
  return h;
}

}  // namespace tv
