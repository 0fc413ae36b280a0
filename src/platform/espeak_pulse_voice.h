#pragma once

#include <string_view>

#include "platform/espeak_synthesizer.h"
#include "platform/locale_language.h"
#include "platform/pulse_audio_output.h"
#include "platform/silence_trimmer.h"
#include "platform/voice.h"

namespace orlavo {

// espeak-ng speaking in the language of the person's locale, trimmed of the engine's silence
// and played through the sound server as it is synthesised. Speak returns when the item has
// been heard. Not thread-safe: create and use it on one thread (ThreadedVoice does).
class EspeakPulseVoice : public Voice {
  public:
    // Throws RuntimeError (kSpeechFailed or kAudioFailed) when speech is unavailable.
    explicit EspeakPulseVoice(const LocaleSettings& locale);

    void Speak(std::string_view text) override;

  private:
    EspeakSynthesizer m_synthesizer;
    PulseAudioOutput m_output;
    SilenceTrimmer m_trimmer;
};

}  // namespace orlavo
