#include "platform/espeak_pulse_voice.h"

namespace orlavo {

EspeakPulseVoice::EspeakPulseVoice(const LocaleSettings& locale)
    : m_output(m_synthesizer.sampleRate()), m_trimmer(m_output, m_synthesizer.sampleRate()) {
    m_synthesizer.SelectLanguage(LanguageForLocale(locale, m_synthesizer.Languages()));
}

void EspeakPulseVoice::Speak(std::string_view text) {
    m_synthesizer.Synthesize(text, m_trimmer);
}

}  // namespace orlavo
