#include "platform/voice/speech_voice.h"

#include <cstdlib>
#include <string>

#include "platform/speechd/speechd_voice.h"
#include "platform/voice/espeak_pulse_voice.h"
#include "platform/voice/locale_language.h"
#include "platform/voice/speech_settings.h"
#include "platform/voice/threaded_voice.h"

namespace orlavo {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The synthesizers Orlavo carries itself; any other the person chose is reached through
// speech-dispatcher.
bool IsEmbedded(const std::string& module) {
    return module.empty() || module == "espeak-ng" || module == "espeak";
}

// Runs on the voice's worker thread: speech-dispatcher may take a while to start.
std::unique_ptr<Voice> MakeVoice(const LocaleSettings& locale, const std::string& programName,
                                 VoiceRoute route) {
    // Read each time a voice is made, so a change of settings is heard after the next failure
    // or restart without anything of Orlavo's own to configure.
    const SpeechSettings settings = ReadDesktopSpeechSettings(Environment);
    const bool embedded = IsEmbedded(settings.module);
    if (!embedded || route == VoiceRoute::kBesideScreenReader) {
        // Beside a screen reader the book still sounds as Orlavo's own voice: speech-dispatcher's
        // espeak-ng, to which it applies the same settings file; without that module, the one the
        // screen reader itself speaks with.
        auto voice = std::make_unique<SpeechDispatcherVoice>(
            embedded ? "espeak-ng" : settings.module, settings.rate, std::string(),
            embedded ? SpeechDispatcherVoice::ModuleChoice::kPreferred
                     : SpeechDispatcherVoice::ModuleChoice::kRequired);
        try {
            voice->Prepare();
            return voice;
        } catch (const SpeechDispatcherUnreachable&) {
            // No speech service on this desktop at all: read with the voice Orlavo carries.
        }
    }
    return std::make_unique<EspeakPulseVoice>(locale, programName, ToEspeak(settings));
}

}  // namespace

std::unique_ptr<Voice> CreateSpeechVoice(const std::string& programName, VoiceRoute route) {
    LocaleSettings locale{Environment("LC_ALL"), Environment("LC_MESSAGES"), Environment("LANG")};
    return std::make_unique<ThreadedVoice>(
        [locale, programName, route] { return MakeVoice(locale, programName, route); });
}

}  // namespace orlavo
