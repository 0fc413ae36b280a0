#pragma once

#include <string>

#include "platform/runtime_error.h"

namespace orlavo {

// What a voice failure is, and how each is worded for the person. A voice fails with a
// RuntimeError numbered kSpeechFailed (the engine, or speech-dispatcher) or kAudioFailed (the
// sound server, the output device); the voice is then of no further use, reading ends at the item
// under way, and the person is told why in the box below. The README's Troubleshooting quotes
// these words, so a change here is a change there.
inline bool IsVoiceFailure(const RuntimeError& error) {
    return error.number() == kSpeechFailed || error.number() == kAudioFailed;
}

// The box that tells the person the voice cannot speak, and why in their own terms (the sound
// server, the output device, speech-dispatcher).
inline std::string SpeechUnavailableText(const std::string& why) {
    return "Speech is unavailable, so Orlavo cannot read aloud.\r\n\r\n" + why;
}

// Why, for the box: no voice could be made at all.
inline constexpr const char* kNoSpeechEngine = "There is no speech engine.";

// The voice's worker.
inline constexpr const char* kVoiceFailedUnknown = "The voice failed for an unknown reason.";
inline constexpr const char* kStillSpeaking = "The voice is still speaking the previous item.";

// The sound server. The first three are followed by the server's own reason: " (Connection
// refused)."
inline constexpr const char* kNoSoundServer = "No sound server is running";
inline constexpr const char* kSoundServerCannotPlay = "The sound server cannot play the voice";
inline constexpr const char* kSoundServerStopped = "The sound server stopped";
inline constexpr const char* kSoundServerNotResponding = "The sound server stopped responding.";
inline constexpr const char* kOutputDeviceUnavailable = "The output device is not available.";
inline constexpr const char* kOutputDeviceGone = "The output device went away.";
// Silence asked for while an item plays; the person closed Orlavo, so nobody sees it.
inline constexpr const char* kSpeechCutOff = "Speech was cut off.";

// speech-dispatcher, beside a screen reader or when the desktop's settings choose another
// synthesizer.
namespace speechd_failures {
// speech-dispatcher was stopped or is stuck: a request of ours went unanswered.
inline constexpr const char* kStoppedAnswering = "speech-dispatcher stopped answering.";
inline constexpr const char* kNotRunning =
    "Speech Dispatcher is not running and cannot be started.";
inline constexpr const char* kConnectionLost = "The connection to Speech Dispatcher was lost.";
inline constexpr const char* kNoModuleList =
    "Speech Dispatcher does not say which speech synthesizers it has.";
inline constexpr const char* kTextRefused = "Speech Dispatcher does not accept the text.";

inline std::string ModuleMissing(const std::string& module) {
    return "The speech synthesizer \"" + module + "\" chosen for the desktop is not installed.";
}
inline std::string ModuleRefused(const std::string& module) {
    return "Speech Dispatcher cannot use the speech synthesizer \"" + module + "\".";
}
inline std::string LanguageRefused(const std::string& language) {
    return "Speech Dispatcher does not accept the language \"" + language + "\".";
}
// The synthesizer stopped, died or hung while it spoke a text of ours.
inline std::string StoppedSpeaking(const std::string& module) {
    return module.empty() ? "The speech synthesizer stopped speaking."
                          : "The speech synthesizer \"" + module + "\" stopped speaking.";
}

}  // namespace speechd_failures

}  // namespace orlavo
