// The real espeak-ng engine, synthesising into memory: no sound server is needed.

#include "platform/espeak_synthesizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "pcm_recorder.h"
#include "platform/locale_language.h"
#include "platform/runtime_error.h"
#include "platform/silence_trimmer.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

class EspeakSynthesizerTest : public ::testing::Test {
  protected:
    // Seconds of audio a listener hears for the text, after the engine's silence is trimmed.
    double HeardSeconds(const std::string& text) {
        testing::PcmRecorder heard;
        SilenceTrimmer trimmer(heard, m_synthesizer.sampleRate());
        m_synthesizer.Synthesize(text, trimmer);
        const std::size_t samples = heard.utterances.empty() ? 0 : heard.utterances.back().size();
        return static_cast<double>(samples) / m_synthesizer.sampleRate();
    }

    EspeakSynthesizer m_synthesizer;
};

// espeak-ng carries a little voice-quality state from one utterance to the next, so the same text
// twice is not sample-identical; it must still be the same speech, with nothing left over from
// the first time (a stale buffer or held-back silence would show as a longer second utterance).
TEST_F(EspeakSynthesizerTest, SpeaksForAPlausibleTimeAndTheSameTextTwiceSoundsTheSame) {
    const double first = HeardSeconds("The quick brown fox jumps over the lazy dog.");
    EXPECT_GT(first, 1.0);
    EXPECT_LT(first, 4.0);
    EXPECT_NEAR(HeardSeconds("The quick brown fox jumps over the lazy dog."), first, 0.005);
}

TEST_F(EspeakSynthesizerTest, GermanLocaleSpeaksGerman) {
    const std::string language =
        LanguageForLocale({"", "", "de_DE.UTF-8"}, m_synthesizer.Languages());
    ASSERT_EQ(language, "de");
    const std::string text = "Zwei Eichhörnchen wurden 1987 geboren.";
    m_synthesizer.SelectLanguage("en");
    const double english = HeardSeconds(text);
    m_synthesizer.SelectLanguage(language);
    const double german = HeardSeconds(text);
    // The two voices read the words and the year differently. The same voice varies by a few
    // milliseconds from one utterance to the next, so a tenth of a second is a different reading.
    EXPECT_GT(std::abs(english - german), 0.1) << english << " s vs " << german << " s";
}

class UnknownLanguageTest : public EspeakSynthesizerTest,
                            public ::testing::WithParamInterface<std::string> {};

TEST_P(UnknownLanguageTest, IsAnError) {
    try {
        m_synthesizer.SelectLanguage(GetParam());
        FAIL() << "no error for " << GetParam();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kSpeechFailed);
        EXPECT_NE(std::string(error.what()).find(GetParam()), std::string::npos) << error.what();
    }
    // The voice chosen before is still there.
    EXPECT_GT(HeardSeconds("Hello"), 0.1);
}

INSTANTIATE_TEST_SUITE_P(Languages, UnknownLanguageTest,
                         ::testing::Values("xx", "English", "de_DE", "", "klingon"));

class BlankTextTest : public EspeakSynthesizerTest,
                      public ::testing::WithParamInterface<std::string> {};

TEST_P(BlankTextTest, NeverReachesTheEngine) {
    testing::PcmRecorder heard;
    m_synthesizer.Synthesize(GetParam(), heard);
    // Even empty text gives a few silent samples once it is in the engine.
    EXPECT_EQ(heard.writes, 0);
    EXPECT_TRUE(heard.utterances.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, BlankTextTest,
                         ::testing::Values(""s, " "s, "\t\t  "s, "\r\n"s, "\0\0\0"s,
                                           " \x01\x1f\x7f "s));

// Text is read as it stands: NULs, control characters, damaged bytes and markup are never obeyed.
struct PlainTextCase {
    const char* name;
    std::string text;
    std::string reference;
    bool longer;  // heard at least 1.5 times the reference, rather than about as long
};

class PlainTextTest : public EspeakSynthesizerTest,
                      public ::testing::WithParamInterface<PlainTextCase> {};

TEST_P(PlainTextTest, ReadsEverythingAsPlainText) {
    const double heard = HeardSeconds(GetParam().text);
    const double reference = HeardSeconds(GetParam().reference);
    if (GetParam().longer) {
        EXPECT_GT(heard, 1.5 * reference) << heard << " s vs " << reference << " s";
    } else {
        EXPECT_NEAR(heard, reference, 0.1 * reference) << heard << " s vs " << reference << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainTextTest,
    ::testing::Values(
        PlainTextCase{"NulDoesNotEndTheText", "Hello\0world, how are you"s,
                      "Hello world, how are you", false},
        PlainTextCase{"ControlCharactersAreSpaces", "Hello\x01world\r\nhow\tare\x1byou"s,
                      "Hello world how are you", false},
        PlainTextCase{"MalformedUtf8IsSkipped", "Hello\xffworld \xc3 how\xe2\x82 are you"s,
                      "Hello world how are you", false},
        PlainTextCase{"Utf8IsRead", "Caf\xc3\xa9 na\xc3\xafve"s, "Cafe naive", false},
        PlainTextCase{"SpeechMarkupIsRead", "<speak>Hi</speak>", "Hi", true},
        PlainTextCase{"MarkupAloneIsRead", "<speak>", "", true},
        PlainTextCase{"AudioElementIsRead", "Hi<audio src=\"chime.wav\"/>", "Hi", true},
        PlainTextCase{"PhonemeCodesAreRead", "[[h@'loU]]", "hello", true}),
    [](const ::testing::TestParamInfo<PlainTextCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
