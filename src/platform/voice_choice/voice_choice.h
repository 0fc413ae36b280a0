#pragma once

// Which voice reads the book. In: the desktop's speech settings (speech-dispatcher's
// configuration), read each time a voice is made, and whether a screen reader runs (`route`).
// Out: the program's voice, on a worker thread. Usually espeak-ng in the language of each text,
// played through the PulseAudio sound server; speech-dispatcher instead when the settings name
// another synthesizer, or beside a screen reader, so that the book and the screen reader share
// one speech queue. Called by main.cpp whenever the window's voice keeper makes a voice.

#include <memory>
#include <string>

#include "platform/stream_volume.h"
#include "platform/thread_wait.h"
#include "platform/voice.h"

namespace orlavo {

struct VoiceChoice {
    enum class Engine { kOwnVoice, kSpeechDispatcher };
    Engine engine = Engine::kOwnVoice;
    // For speech-dispatcher: the synthesizer, and whether reading needs that one (the person
    // named it) or may do with speech-dispatcher's own choice (the program merely prefers it).
    std::string module;
    bool moduleRequired = false;

    bool operator==(const VoiceChoice&) const = default;
};

// `desktopModule` is the settings' DefaultModule, empty when they name none. When speech-dispatcher
// cannot be reached at all, CreateSpeechVoice falls back to the program's own voice.
VoiceChoice ChooseVoice(const std::string& desktopModule, VoiceRoute route);

// Returns at once; `makeWait` says how the calling thread waits while the voice works (the
// window's thread running the window's events). The voice's Prepare raises a RuntimeError
// (kSpeechFailed or kAudioFailed) with a plain message when there is no speech: engine data
// missing, no sound server, or one that does not answer.
// Orlavo's own voice plays at `volume` (speech-dispatcher's at the level its settings give).
std::unique_ptr<Voice> CreateSpeechVoice(const std::string& programName, VoiceRoute route,
                                         ThreadWaitFactory makeWait,
                                         const StreamVolume* volume = nullptr);

}  // namespace orlavo
