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

TEST_F(EspeakSynthesizerTest, SpeaksAShortPhraseForAPlausibleTime) {
    const double seconds = HeardSeconds("Hello world");
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 2.0);
}

// espeak-ng carries a little voice-quality state from one utterance to the next, so the same text
// twice is not sample-identical; it must still be the same speech, with nothing left over from
// the first time (a stale buffer or held-back silence would show as a longer second utterance).
TEST_F(EspeakSynthesizerTest, SameTextTwiceSoundsTheSame) {
    const double first = HeardSeconds("The quick brown fox jumps over the lazy dog.");
    const double second = HeardSeconds("The quick brown fox jumps over the lazy dog.");
    EXPECT_NEAR(first, second, 0.005);
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

struct PlainTextCase {
    const char* name;
    std::string text;
    std::string soundsLike;
};

class PlainTextTest : public EspeakSynthesizerTest,
                      public ::testing::WithParamInterface<PlainTextCase> {};

TEST_P(PlainTextTest, ReadsEverythingAsPlainText) {
    const double heard = HeardSeconds(GetParam().text);
    const double reference = HeardSeconds(GetParam().soundsLike);
    EXPECT_NEAR(heard, reference, 0.1 * reference) << heard << " s vs " << reference << " s";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainTextTest,
    ::testing::Values(PlainTextCase{"NulDoesNotEndTheText", "Hello\0world, how are you"s,
                                    "Hello world, how are you"},
                      PlainTextCase{"ControlCharactersAreSpaces",
                                    "Hello\x01world\r\nhow\tare\x1byou"s,
                                    "Hello world how are you"},
                      PlainTextCase{"MalformedUtf8IsSkipped",
                                    "Hello\xffworld \xc3 how\xe2\x82 are you"s,
                                    "Hello world how are you"},
                      PlainTextCase{"Utf8IsRead", "Caf\xc3\xa9 na\xc3\xafve"s, "Cafe naive"}),
    [](const ::testing::TestParamInfo<PlainTextCase>& info) { return info.param.name; });

struct MarkupCase {
    const char* name;
    std::string text;
    std::string ifObeyed;  // what would be heard, were the markup obeyed
};

class MarkupTest : public EspeakSynthesizerTest,
                   public ::testing::WithParamInterface<MarkupCase> {};

TEST_P(MarkupTest, IsReadNotObeyed) {
    const double heard = HeardSeconds(GetParam().text);
    const double obeyed = HeardSeconds(GetParam().ifObeyed);
    EXPECT_GT(heard, 1.5 * obeyed) << heard << " s vs " << obeyed << " s";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkupTest,
    ::testing::Values(MarkupCase{"SpeechMarkup", "<speak>Hi</speak>", "Hi"},
                      MarkupCase{"AudioElement", "Hi<audio src=\"chime.wav\"/>", "Hi"},
                      MarkupCase{"PhonemeCodes", "[[h@'loU]]", "hello"}),
    [](const ::testing::TestParamInfo<MarkupCase>& info) { return info.param.name; });

TEST_F(EspeakSynthesizerTest, MarkupAloneIsHeard) {
    // Were it interpreted, "<speak>" would be an empty document and nothing would be heard.
    EXPECT_GT(HeardSeconds("<speak>"), 0.3);
    EXPECT_EQ(HeardSeconds(""), 0.0);
}

class FailingSink : public PcmSink {
  public:
    void Write(std::span<const std::int16_t>) override {
        throw RuntimeError(kAudioFailed, "The sound server went away.");
    }
    void Finish() override {}
};

TEST_F(EspeakSynthesizerTest, SinkFailureStopsSynthesisAndLeavesTheEngineUsable) {
    FailingSink failing;
    try {
        m_synthesizer.Synthesize("This sentence never reaches the speaker.", failing);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kAudioFailed);
        EXPECT_STREQ(error.what(), "The sound server went away.");
    }
    EXPECT_GT(HeardSeconds("Hello world"), 0.5);
}

}  // namespace
}  // namespace orlavo
