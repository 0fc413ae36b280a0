#include "platform/voice/espeak_synthesizer.h"

#include <espeak-ng/espeak_ng.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "platform/runtime_error.h"
#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

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

// What one Synthesize call hands to the engine's callback through the events' user data.
struct Delivery {
    PcmSink* sink;
    std::exception_ptr error;
};

int DeliverSamples(short* samples, int count, espeak_EVENT* events) {
    auto* delivery = static_cast<Delivery*>(events->user_data);
    if (delivery == nullptr || samples == nullptr || count <= 0) {
        return 0;
    }
    try {
        delivery->sink->Write(
            std::span<const std::int16_t>(samples, static_cast<std::size_t>(count)));
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
    Check(status, "The speech engine could not load its data");
    Check(espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kBufferMilliseconds, nullptr),
          "The speech engine could not start");
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
        throw RuntimeError(kSpeechFailed, "There is no voice for the language \"" + language +
                                              "\" (" + StatusMessage(ENS_VOICE_NOT_FOUND) + ").");
    }
    const std::string failed =
        "The voice for the language \"" + language + "\" could not be loaded";
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

void EspeakSynthesizer::Synthesize(std::string plain, PcmSink& sink) {
    MakePlain(plain);
    if (ascii::IsAllWhitespace(plain)) {
        return;
    }
    Delivery delivery{&sink, nullptr};
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        plain.c_str(), plain.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &delivery);
    if (delivery.error) {
        std::rethrow_exception(delivery.error);
    }
    Check(status, "The speech engine could not speak the text");
    sink.Finish();
}

}  // namespace orlavo
