#include "platform/voice_choice/voice_choice.h"

#include <cstdlib>
#include <string>
#include <utility>

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

// Runs on the voice's worker thread: speech-dispatcher may take a while to start.
std::unique_ptr<Voice> MakeVoice(const LocaleSettings& locale, const std::string& programName,
                                 VoiceRoute route, const StreamVolume* volume) {
    // Read each time a voice is made, so a change of settings is heard after the next failure
    // or restart without anything of Orlavo's own to configure.
    const SpeechSettings settings = ReadDesktopSpeechSettings(Environment);
    const VoiceChoice choice = ChooseVoice(settings.module, route);
    if (choice.engine == VoiceChoice::Engine::kSpeechDispatcher) {
        auto voice = std::make_unique<SpeechDispatcherVoice>(
            choice.module, settings.rate, std::string(),
            choice.moduleRequired ? SpeechDispatcherVoice::ModuleChoice::kRequired
                                  : SpeechDispatcherVoice::ModuleChoice::kPreferred);
        try {
            voice->Prepare();
            return voice;
        } catch (const SpeechDispatcherUnreachable&) {
            // No speech service on this desktop at all: read with the voice Orlavo carries.
        }
    }
    return std::make_unique<EspeakPulseVoice>(locale, programName, ToEspeak(settings), volume);
}

}  // namespace

VoiceChoice ChooseVoice(const std::string& desktopModule, VoiceRoute route) {
    // The synthesizers Orlavo carries itself; any other the person chose is reached through
    // speech-dispatcher.
    const bool embedded =
        desktopModule.empty() || desktopModule == "espeak-ng" || desktopModule == "espeak";
    if (!embedded) {
        return {VoiceChoice::Engine::kSpeechDispatcher, desktopModule, true};
    }
    if (route == VoiceRoute::kBesideScreenReader) {
        // Beside a screen reader the book still sounds as Orlavo's own voice: speech-dispatcher's
        // espeak-ng, to which it applies the same settings file; without that module, the one the
        // screen reader itself speaks with.
        return {VoiceChoice::Engine::kSpeechDispatcher, "espeak-ng", false};
    }
    return {};
}

std::unique_ptr<Voice> CreateSpeechVoice(const std::string& programName, VoiceRoute route,
                                         ThreadWaitFactory makeWait, const StreamVolume* volume) {
    LocaleSettings locale{Environment("LC_ALL"), Environment("LC_MESSAGES"), Environment("LANG")};
    return std::make_unique<ThreadedVoice>(
        [locale, programName, route, volume] {
            return MakeVoice(locale, programName, route, volume);
        },
        std::move(makeWait));
}

}  // namespace orlavo
