#pragma once

#include <memory>
#include <string>

#include "platform/voice.h"

namespace orlavo {

// The voice the program reads with, on a worker thread so the window stays alive while the voice
// is made and while an item is spoken. Usually espeak-ng in the language of each text, played
// through the PulseAudio sound server; speech-dispatcher instead when the desktop's settings name
// another synthesizer, or when a screen reader runs (`route`), so that the book and the screen
// reader share one speech queue. Returns at once; the voice's Prepare raises a RuntimeError
// (kSpeechFailed or kAudioFailed) with a plain message when there is no speech: engine data
// missing, no sound server, or one that does not answer.
std::unique_ptr<Voice> CreateSpeechVoice(const std::string& programName,
                                         VoiceRoute route = VoiceRoute::kAsChosen);

}  // namespace orlavo
