#include "platform/voice/espeak_synthesizer.h"

#include <espeak-ng/espeak_ng.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "platform/text/words.h"
#include "texts/program_texts.h"

namespace orlavo {

namespace {

// Short buffers let the first words reach the sound server while the rest is synthesised.
constexpr int kBufferMilliseconds = 40;

std::string StatusMessage(espeak_ng_STATUS status) {
    std::array<char, 512> buffer{};
    espeak_ng_GetStatusCodeMessage(status, buffer.data(), buffer.size());
    return buffer.data();
}

void Check(espeak_ng_STATUS status, const std::string& what) {
    if (status != ENS_OK) {
        throw RuntimeError(kSpeechFailed, what + " (" + StatusMessage(status) + ").");
    }
}

// Book items come straight from a file: a NUL would end the engine's text early and a malformed
// byte sequence would be read past. Control characters and malformed bytes become spaces, in
// place: an item may be a whole book on one line. Not the book decoder's cleaning, which keeps tabs
// and line ends and marks bad bytes with U+FFFD: to the engine each of them is only a word break.
void MakePlain(std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = utf8::SequenceLength(std::string_view(text).substr(i));
        const auto lead = static_cast<unsigned char>(text[i]);
        if (length == 0 || lead < 0x20 || lead == 0x7F) {
            text[i++] = ' ';
        } else {
            i += length;
        }
    }
}

// Finds, from the engine's word events, the words of the text being spoken. The engine counts
// characters from 1, and within a clause in 11 bits: a word 2048 characters or more into a long
// clause comes back that much short, which shows as a count that falls far behind the last one.
// Where an event points between words (at a dash the engine passed over), the word is the next
// one.
class WordFinder {
  public:
    explicit WordFinder(std::string_view text) : m_text(text) {}

    std::optional<std::pair<std::size_t, std::size_t>> Find(int position, int length) {
        if (position < 1) {
            return std::nullopt;
        }
        auto character = static_cast<std::size_t>(position - 1);
        while (character + kClauseWrap / 2 < m_lastCharacter) {
            character += kClauseWrap;
        }
        if (character < m_character) {
            m_character = m_byte = 0;
        }
        for (; m_character < character && m_byte < m_text.size(); ++m_character) {
            m_byte += std::max<std::size_t>(1, utf8::SequenceLength(m_text.substr(m_byte)));
        }
        const std::size_t begin = words::NextStart(m_text, m_byte);
        if (begin >= m_text.size()) {
            return std::nullopt;
        }
        m_lastCharacter = character;
        std::size_t end = words::End(m_text, begin);
        if (length > 0) {
            const std::string_view word = m_text.substr(begin, end - begin);
            end = begin + utf8::CutAfterCharacters(word, static_cast<std::size_t>(length));
        }
        return std::pair(begin, end);
    }

  private:
    static constexpr std::size_t kClauseWrap = 2048;

    std::string_view m_text;
    std::size_t m_character = 0;  // where m_byte is, in characters
    std::size_t m_byte = 0;
    std::size_t m_lastCharacter = 0;
};

// What one Synthesize call hands to the engine's callback through the events' user data.
struct Delivery {
    PcmSink* sink;
    const EspeakSynthesizer::WordHeard* wordHeard;
    WordFinder words;
    int sampleRate;
    std::int64_t delivered = 0;  // samples before this call's
    std::exception_ptr error = nullptr;
};

// The samples go to the sink with a cue at the first sample of each word.
void Deliver(Delivery& delivery, std::span<const std::int16_t> samples,
             const espeak_EVENT* events) {
    std::size_t written = 0;
    for (const espeak_EVENT* event = events;
         event != nullptr && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type != espeakEVENT_WORD || !*delivery.wordHeard) {
            continue;
        }
        const auto word = delivery.words.Find(event->text_position, event->length);
        if (!word) {
            continue;
        }
        const std::int64_t at =
            std::int64_t{event->audio_position} * delivery.sampleRate / 1000 - delivery.delivered;
        const auto split = static_cast<std::size_t>(std::clamp<std::int64_t>(
            at, static_cast<std::int64_t>(written), static_cast<std::int64_t>(samples.size())));
        if (split > written) {
            delivery.sink->Write(samples.subspan(written, split - written));
            written = split;
        }
        const EspeakSynthesizer::WordHeard& heard = *delivery.wordHeard;
        delivery.sink->Cue([&heard, word = *word] { heard(word.first, word.second); });
    }
    if (written < samples.size()) {
        delivery.sink->Write(samples.subspan(written));
    }
    delivery.delivered += static_cast<std::int64_t>(samples.size());
}

int DeliverSamples(short* samples, int count, espeak_EVENT* events) {
    auto* delivery = events != nullptr ? static_cast<Delivery*>(events->user_data) : nullptr;
    if (delivery == nullptr) {
        return 0;
    }
    try {
        Deliver(*delivery,
                std::span<const std::int16_t>(
                    samples, samples != nullptr && count > 0 ? static_cast<std::size_t>(count) : 0),
                events);
        return 0;
    } catch (...) {
        // Exceptions must not unwind through the engine: stop it and rethrow afterwards.
        delivery->error = std::current_exception();
        return 1;
    }
}

}  // namespace

EspeakSynthesizer::EspeakSynthesizer() {
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    Check(status, kEngineDataMissing);
    Check(espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kBufferMilliseconds, nullptr),
          kEngineCannotStart);
    espeak_SetSynthCallback(DeliverSamples);
    m_sampleRate = espeak_ng_GetSampleRate();
    SelectLanguage("en");
}

std::vector<std::string> EspeakSynthesizer::Languages() const {
    std::vector<std::string> languages;
    for (const espeak_VOICE* const* voice = espeak_ListVoices(nullptr); *voice != nullptr;
         ++voice) {
        // A list of (priority byte, name, NUL) entries, ended by a zero priority byte.
        for (const char* entry = (*voice)->languages; *entry != 0;
             entry += std::strlen(entry + 1) + 2) {
            std::string name(entry + 1);
            if (std::find(languages.begin(), languages.end(), name) == languages.end()) {
                languages.push_back(std::move(name));
            }
        }
    }
    return languages;
}

void EspeakSynthesizer::SelectLanguage(const std::string& language) {
    const std::vector<std::string> languages = Languages();
    if (std::find(languages.begin(), languages.end(), language) == languages.end()) {
        throw RuntimeError(kSpeechFailed, NoVoiceForText(language) + " (" +
                                              StatusMessage(ENS_VOICE_NOT_FOUND) + ").");
    }
    const std::string failed = VoiceNotLoadedText(language);
    if (m_parameters && !m_parameters->variant.empty()) {
        // A language code names its voice too; "+variant" picks the person's kind of voice.
        Check(espeak_ng_SetVoiceByName((language + "+" + m_parameters->variant).c_str()), failed);
    } else {
        espeak_VOICE selector{};
        selector.languages = language.c_str();
        Check(espeak_ng_SetVoiceByProperties(&selector), failed);
    }
    if (m_parameters) {
        // After the voice, as a voice brings its own rate and pitch.
        Check(espeak_ng_SetParameter(espeakRATE, m_parameters->wordsPerMinute, 0), failed);
        Check(espeak_ng_SetParameter(espeakVOLUME, m_parameters->amplitude, 0), failed);
        Check(espeak_ng_SetParameter(espeakPITCH, m_parameters->pitch, 0), failed);
    }
}

void EspeakSynthesizer::Synthesize(std::string plain, PcmSink& sink, const WordHeard& wordHeard) {
    MakePlain(plain);
    if (ascii::IsAllWhitespace(plain)) {
        return;
    }
    Delivery delivery{&sink, &wordHeard, WordFinder(plain), m_sampleRate};
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        plain.c_str(), plain.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &delivery);
    if (delivery.error) {
        std::rethrow_exception(delivery.error);
    }
    Check(status, kEngineCannotSpeak);
    sink.Finish();
}

}  // namespace orlavo
