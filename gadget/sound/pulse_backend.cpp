#include "gadget/sound/pulse_backend.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include "lib/common/app_values.h"

namespace tv {
namespace {

// A short server buffer: a write lasts about as long as its sound, and a
// stop is heard at once.
constexpr std::uint32_t kTargetBytes = kSoundRate * 2 / 10;

class PulseBackend final : public SoundBackend {
 public:
  ~PulseBackend() override { Close(); }

  bool Open(std::string& problem) override {
    if (stream_ != nullptr) return true;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(kSoundRate), 1};
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = kTargetBytes;
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    stream_ = pa_simple_new(nullptr, AppName().c_str(), PA_STREAM_PLAYBACK, nullptr, "Alerte",
                            &spec, nullptr, &attr, &error);
    if (stream_ == nullptr) {
      problem = std::string("Aucun serveur de son (") + pa_strerror(error) +
                ") : les alertes sonores ne sont pas jouées.";
      return false;
    }
    return true;
  }

  bool Write(std::span<const std::int16_t> samples, std::stop_token /*stop*/,
             std::string& problem) override {
    if (stream_ == nullptr) return false;
    int error = 0;
    if (pa_simple_write(stream_, samples.data(), samples.size_bytes(), &error) < 0) {
      problem = std::string("Le serveur de son ne répond plus (") + pa_strerror(error) + ").";
      return false;
    }
    return true;
  }

  void Drain() override {
    int error = 0;
    if (stream_ != nullptr) pa_simple_drain(stream_, &error);
  }

  void Close() override {
    if (stream_ != nullptr) pa_simple_free(stream_);
    stream_ = nullptr;
  }

 private:
  pa_simple* stream_ = nullptr;
};

}  // namespace

std::unique_ptr<SoundBackend> MakePulseBackend() {
  return std::make_unique<PulseBackend>();
}

}  // namespace tv
