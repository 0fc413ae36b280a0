#include "platform/voice/espeak_pulse_voice.h"

#include <stop_token>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/voice/silence_trimmer.h"

namespace orlavo {

EspeakPulseVoice::EspeakPulseVoice(const LocaleSettings& locale, const std::string& programName,
                                   const EspeakVoiceParameters& parameters,
                                   const StreamVolume* volume)
    : m_output(m_synthesizer.sampleRate(), programName, volume),
      m_languages(m_synthesizer.Languages()),
      m_desktopLanguage(LanguageForLocale(locale, m_languages)) {
    m_synthesizer.SetParameters(parameters);
    m_synthesizer.SelectLanguage(m_desktopLanguage);
    m_currentLanguage = m_desktopLanguage;
}

Spoken EspeakPulseVoice::Speak(std::string text, std::string_view language,
                               const Listening& listening) {
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
    m_output.NextUtterance();
    // From the thread that cuts: the sound server drops what it holds at once.
    const std::stop_callback cutting(listening.cut, [this] { m_output.CutUtterance(); });
    SilenceTrimmer trimmer(m_output, m_synthesizer.sampleRate());
    try {
        m_synthesizer.Synthesize(std::move(text), trimmer, listening.wordHeard);
    } catch (const SpeechCut&) {
        return Spoken::kCut;
    }
    return Spoken::kWhole;
}

void EspeakPulseVoice::Silence() {
    m_output.Cancel();
}

}  // namespace orlavo
