#include "platform/voice/espeak_pulse_voice.h"

#include <utility>

#include "platform/runtime_error.h"

namespace orlavo {

EspeakPulseVoice::EspeakPulseVoice(const LocaleSettings& locale, const std::string& programName,
                                   const EspeakVoiceParameters& parameters,
                                   const StreamVolume* volume)
    : m_output(m_synthesizer.sampleRate(), programName, volume),
      m_trimmer(m_output, m_synthesizer.sampleRate()),
      m_languages(m_synthesizer.Languages()),
      m_desktopLanguage(LanguageForLocale(locale, m_languages)) {
    m_synthesizer.SetParameters(parameters);
    m_synthesizer.SelectLanguage(m_desktopLanguage);
    m_currentLanguage = m_desktopLanguage;
}

void EspeakPulseVoice::Speak(std::string text, std::string_view language) {
    std::string wanted = language.empty() ? std::string() : EngineLanguage(language, m_languages);
    if (wanted.empty()) {
        wanted = m_desktopLanguage;
    }
    // Loading a voice reads its dictionary: only when the language changes, so a book read in one
    // language costs nothing between items.
    if (wanted != m_currentLanguage) {
        try {
            m_synthesizer.SelectLanguage(wanted);
        } catch (const RuntimeError&) {
            wanted = m_desktopLanguage;  // a damaged voice file: the book is still read
            m_synthesizer.SelectLanguage(wanted);
        }
        m_currentLanguage = std::move(wanted);
    }
    m_synthesizer.Synthesize(std::move(text), m_trimmer);
}

void EspeakPulseVoice::Silence() {
    m_output.Cancel();
}

}  // namespace orlavo
