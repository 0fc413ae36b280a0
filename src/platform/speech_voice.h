#pragma once

#include <memory>

#include "platform/voice.h"

namespace orlavo {

// The voice the program reads with: espeak-ng in the desktop's language, played through the
// PulseAudio sound server, on a worker thread so the window stays alive while an item is spoken.
// Throws RuntimeError (kSpeechFailed or kAudioFailed) with a plain message when there is no
// speech: engine data missing, or no sound server (reported within about a second).
std::unique_ptr<Voice> CreateSpeechVoice();

}  // namespace orlavo
