#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/voice.h"
#include "platform/voice/espeak_synthesizer.h"
#include "platform/voice/locale_language.h"
#include "platform/voice/pulse_audio_output.h"

namespace orlavo {

// espeak-ng with the person's rate, pitch, volume and kind of voice, trimmed of the engine's
// silence and played through the sound server as it is synthesised. Each text is spoken in its own
// language when an installed voice speaks it, else in the language of the person's locale, else in
// English. Speak returns when the text has been heard, telling each word as it is heard, or at once
// when it is cut. Not thread-safe but for Silence and the cut: make it and use it on one thread
// (ThreadedVoice does).
class EspeakPulseVoice : public Voice {
  public:
    // Throws RuntimeError (kSpeechFailed or kAudioFailed) when speech is unavailable.
    EspeakPulseVoice(const LocaleSettings& locale, const std::string& programName,
                     const EspeakVoiceParameters& parameters, const StreamVolume* volume = nullptr);

    void Prepare() override {}
    Spoken Speak(std::string text, std::string_view language, const Listening& listening) override;
    void Silence() override;

  private:
    EspeakSynthesizer m_synthesizer;
    PulseAudioOutput m_output;
    std::vector<std::string> m_languages;
    std::string m_desktopLanguage;
    std::string m_currentLanguage;
};

}  // namespace orlavo
