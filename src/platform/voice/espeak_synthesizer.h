#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/voice/pcm_sink.h"
#include "platform/voice/speech_settings.h"

namespace orlavo {

// The espeak-ng engine, synthesising plain text into 16-bit mono samples for a PcmSink.
// espeak-ng keeps its state in the process and is not thread-safe: have one synthesiser at a
// time, and make every call, construction included, on the same thread.
class EspeakSynthesizer {
  public:
    // Throws RuntimeError(kSpeechFailed) when the engine or its data cannot be loaded.
    EspeakSynthesizer();
    // espeak-ng 1.51 hangs when its terminate call is made a second time in a process, so the
    // engine's memory is left to the end of the process; a synthesiser made again after a failure
    // initialises the same engine once more, which it allows.
    ~EspeakSynthesizer() = default;
    EspeakSynthesizer(const EspeakSynthesizer&) = delete;
    EspeakSynthesizer& operator=(const EspeakSynthesizer&) = delete;

    // Every language the installed voices speak ("en", "en-us", "de", "pt-br", ...).
    std::vector<std::string> Languages() const;
    // Throws RuntimeError(kSpeechFailed) for a language no installed voice speaks. The voice is
    // spoken with the parameters last given, which a change of language keeps.
    void SelectLanguage(const std::string& language);
    // The person's rate, pitch, volume and voice variant; takes effect at the next SelectLanguage.
    void SetParameters(const EspeakVoiceParameters& parameters) { m_parameters = parameters; }
    int sampleRate() const { return m_sampleRate; }

    // The bytes [begin, end) of the text that hold a word.
    using WordHeard = std::function<void(std::size_t begin, std::size_t end)>;

    // Speaks the text as plain text (never markup or phoneme codes) into the sink and finishes
    // the sink. Blank text is not handed to the engine at all and leaves the sink untouched.
    // An exception thrown by the sink stops synthesis and comes out of this call. `wordHeard`,
    // when given, is cued in the sink at the first sample of each word the engine says.
    void Synthesize(std::string text, PcmSink& sink, const WordHeard& wordHeard = {});

  private:
    int m_sampleRate = 0;
    std::optional<EspeakVoiceParameters> m_parameters;
};

}  // namespace orlavo
