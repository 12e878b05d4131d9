#pragma once

#include <memory>

#include "gadget/sound/sound_output.h"

namespace tv {

// Plays through the desktop's sound server (PulseAudio, or PipeWire serving
// its protocol) with the simple API: one playback stream, opened by the
// output's own thread on the first sound, kept for the next ones. Without a
// server the open fails (within milliseconds when none runs) and is tried
// again a minute later.
std::unique_ptr<SoundBackend> MakePulseBackend();

}  // namespace tv
