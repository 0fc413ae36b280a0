#include "platform/speech_voice.h"

#include <cstdlib>
#include <string>

#include "platform/espeak_pulse_voice.h"
#include "platform/locale_language.h"
#include "platform/threaded_voice.h"

namespace orlavo {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::unique_ptr<Voice> CreateSpeechVoice() {
    LocaleSettings locale{Environment("LC_ALL"), Environment("LC_MESSAGES"), Environment("LANG")};
    return std::make_unique<ThreadedVoice>(
        [locale] { return std::make_unique<EspeakPulseVoice>(locale); });
}

}  // namespace orlavo
