#pragma once

#include <string>

// What the person is told when speech through speech-dispatcher fails: one wording for each
// failure, all of them here. The README's Troubleshooting quotes the first and the last.
namespace orlavo::speechd_failures {

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

}  // namespace orlavo::speechd_failures
