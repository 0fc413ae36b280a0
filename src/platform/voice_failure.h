#pragma once

#include "platform/runtime_error.h"
#include "texts/program_texts.h"

namespace orlavo {

// What a voice failure is. A voice fails with a RuntimeError numbered kSpeechFailed (the engine,
// or speech-dispatcher) or kAudioFailed (the sound server, the output device); the voice is then
// of no further use, reading ends at the item under way, and the person is told why in the box
// SpeechUnavailableText words.
inline bool IsVoiceFailure(const RuntimeError& error) {
    return error.number() == kSpeechFailed || error.number() == kAudioFailed;
}

}  // namespace orlavo
