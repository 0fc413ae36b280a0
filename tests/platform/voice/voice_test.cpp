// The voice without a sound server: the speech language, the silence trimmer, the worker thread,
// and espeak-ng synthesising into memory.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <sstream>
#include <thread>

#include "pcm_recorder.h"
#include "platform/runtime_error.h"
#include "platform/voice/espeak_synthesizer.h"
#include "platform/voice/locale_language.h"
#include "platform/voice/silence_trimmer.h"
#include "platform/voice/threaded_voice.h"

namespace orlavo {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

using Strings = std::vector<std::string>;

const Strings kInstalled = {"en", "en-us", "de", "pt", "pt-br", "fr", "cmn", "nb", "c"};

TEST(SpeechLanguage, IsTheDecidingLocaleVariablesOrEnglish) {
    for (const auto& [locale, language] :
         {std::pair{LocaleSettings{"", "", "pt_BR.UTF-8"}, "pt-br"},
          std::pair{LocaleSettings{"", "", "de_AT.UTF-8@euro"}, "de"},
          std::pair{LocaleSettings{"de_DE.UTF-8", "fr_FR", "pt_BR"}, "de"},
          std::pair{LocaleSettings{"", "de_DE.UTF-8", "fr_FR"}, "de"},
          std::pair{LocaleSettings{"C.UTF-8", "", "de_DE.UTF-8"}, "en"},
          std::pair{LocaleSettings{"", "", ""}, "en"},
          std::pair{LocaleSettings{"", "", "xx_YY.UTF-8"}, "en"}}) {
        EXPECT_EQ(LanguageForLocale(locale, kInstalled), language) << locale.lcAll << locale.lang;
    }
}

TEST(SpeechLanguage, OfABookIsTheInstalledVoiceForItsCodeOrNone) {
    for (const auto& [code, language] :
         {std::pair{"de", "de"}, std::pair{"pt-BR", "pt-br"}, std::pair{"de_CH", "de"},
          std::pair{"zh", "cmn"}, std::pair{"no", "nb"}, std::pair{"el", ""}, std::pair{"C", ""}}) {
        EXPECT_EQ(EngineLanguage(code, kInstalled), language) << code;
    }
}

// "200 quiet 10 loud": 200 quiet samples, then 10 loud ones.
std::vector<std::int16_t> Samples(const std::string& pattern) {
    std::vector<std::int16_t> samples;
    std::istringstream words(pattern);
    std::size_t count = 0;
    std::string loudness;
    while (words >> count >> loudness) {
        samples.insert(samples.end(), count, loudness == "loud" ? -1000 : 20);
    }
    return samples;
}

// The chunks written ("finish" ends an utterance), what is heard of each finished utterance, and
// what is passed on so far of one not finished. At 1000 samples a second the tail is 30 samples.
TEST(SilenceTrimmer, DropsLeadingSilenceCutsTrailingSilenceToATailAndKeepsPauses) {
    struct Row {
        Strings written, heard;
        std::string sofar = "";
    };
    for (const Row& row :
         {Row{{"200 quiet 10 loud", "finish"}, {"10 loud"}},
          Row{{"10 loud 300 quiet", "finish"}, {"10 loud 30 quiet"}},
          Row{{"10 loud 100 quiet", "100 quiet", "50 quiet 10 loud", "finish"},
              {"10 loud 250 quiet 10 loud"}},
          Row{{"500 quiet", "finish"}, {""}},
          Row{{"10 loud 200 quiet", "finish", "80 quiet 5 loud", "finish"},
              {"10 loud 30 quiet", "5 loud"}},
          Row{{"20 quiet 10 loud 10 quiet"}, {}, "10 loud 10 quiet"},
          Row{{"20 quiet 10 loud 10 quiet", "100 quiet"}, {}, "10 loud 30 quiet"}}) {
        testing::PcmRecorder heard;
        SilenceTrimmer trimmer(heard, 1000);
        std::vector<std::vector<std::int16_t>> expected;
        for (const std::string& chunk : row.written) {
            if (chunk == "finish") {
                trimmer.Finish();
            } else {
                trimmer.Write(Samples(chunk));
            }
        }
        for (const std::string& utterance : row.heard) {
            expected.push_back(Samples(utterance));
        }
        EXPECT_EQ(heard.utterances, expected) << row.written[0];
        EXPECT_EQ(heard.current, Samples(row.sofar)) << row.written[0];
    }
}

// Slow to make; notes the thread of each call; "until silenced" lasts until Silence.
struct Inner : Voice {
    struct Record {
        std::mutex mutex;
        std::condition_variable silenced;
        std::vector<std::string> heard;
        std::vector<std::thread::id> threads;  // made, each Speak, destroyed
        std::thread::id silencedFrom;
        std::atomic<bool> made = false;
    };
    explicit Inner(Record& record) : r(record) {
        std::this_thread::sleep_for(200ms);
        r.threads.push_back(std::this_thread::get_id());
        r.made = true;
    }
    ~Inner() override { r.threads.push_back(std::this_thread::get_id()); }
    void Prepare() override {}
    void Speak(std::string text, std::string_view language) override {
        std::unique_lock lock(r.mutex);
        r.threads.push_back(std::this_thread::get_id());
        r.silenced.wait_for(lock, text == "until silenced" ? 5s : 0s,
                            [this] { return r.silencedFrom != std::thread::id(); });
        if (text == "engine broke") {
            throw std::runtime_error("out of memory");
        }
        r.heard.push_back(text + "@" + std::string(language));
    }
    void Silence() override {
        std::lock_guard lock(r.mutex);
        r.silencedFrom = std::this_thread::get_id();
        r.silenced.notify_all();
    }
    Record& r;
};

TEST(ThreadedVoiceTest, MakesUsesAndEndsTheInnerVoiceOnItsWorkerAndWaitsForIt) {
    Inner::Record record;
    auto voice = std::make_unique<ThreadedVoice>([&] { return std::make_unique<Inner>(record); });
    EXPECT_FALSE(record.made) << "the constructor waited for the inner voice";
    voice->Prepare();
    EXPECT_TRUE(record.made);
    voice->Speak("one", "ru");
    EXPECT_EQ(record.heard, std::vector<std::string>{"one@ru"});
    EXPECT_THROW(voice->Speak("engine broke", ""), RuntimeError);
    voice.reset();
    EXPECT_EQ(record.threads, std::vector(4, record.threads.at(0)));
    EXPECT_NE(record.threads[0], std::this_thread::get_id());
}

TEST(ThreadedVoiceTest, AnErrorMakingTheInnerVoiceIsRaisedByEveryCall) {
    ThreadedVoice voice([]() -> std::unique_ptr<Voice> { throw RuntimeError(kAudioFailed, ""); });
    EXPECT_THROW(voice.Speak("x", ""), RuntimeError);
    EXPECT_THROW(voice.Prepare(), RuntimeError);
    EXPECT_THROW(voice.Prepare(), RuntimeError);
}

// In the program the window's events run while an item is spoken; closing silences the voice
// from there.
TEST(ThreadedVoiceTest, SilenceReachesTheInnerVoiceFromTheCallersThreadWhileSpeakWaits) {
    struct ClosingWait : ThreadWait {
        explicit ClosingWait(ThreadedVoice*& voice) : closing(voice) {}
        void Wake() override {}
        void Wait() override {
            std::this_thread::sleep_for(50ms);
            closing->Silence();
        }
        ThreadedVoice*& closing;
    };
    Inner::Record record;
    ThreadedVoice* closing = nullptr;
    ThreadedVoice voice([&] { return std::make_unique<Inner>(record); },
                        [&closing] { return std::make_unique<ClosingWait>(closing); });
    closing = &voice;
    voice.Prepare();
    const auto started = std::chrono::steady_clock::now();
    voice.Speak("until silenced", "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
    EXPECT_EQ(record.silencedFrom, std::this_thread::get_id());
}

// Synthesis into memory: the whole text whatever bytes it holds, nothing for blank text, and the
// German voice reading the words and the year differently (one voice varies by milliseconds).
TEST(EspeakSynthesizer, ReadsTheWholeTextInTheLanguageChosenAndNothingOfBlankText) {
    EspeakSynthesizer engine;
    const auto heard = [&engine](const std::string& text) {  // in seconds, silence trimmed
        testing::PcmRecorder recorder;
        SilenceTrimmer trimmer(recorder, engine.sampleRate());
        engine.Synthesize(text, trimmer);
        return double(recorder.utterances.at(0).size()) / engine.sampleRate();
    };
    for (const auto& [text, clean] :
         {std::pair{"Hello\0world, how are you"s, "Hello world, how are you"s},
          std::pair{"Hello\xffworld \xc3 how\xe2\x82 are you"s, "Hello world how are you"s}}) {
        EXPECT_GT(heard(clean), 0.5);
        EXPECT_NEAR(heard(text), heard(clean), 0.1 * heard(clean)) << clean;
    }
    for (const std::string& text : {""s, " \t\r\n"s, "\0\x01\x7f"s}) {
        testing::PcmRecorder recorder;
        engine.Synthesize(text, recorder);
        EXPECT_EQ(std::pair(recorder.writes, recorder.utterances.size()), std::pair(0, 0UL));
    }
    const std::string german = "Zwei Eichhörnchen wurden 1987 geboren.";
    const double english = heard(german);
    engine.SelectLanguage("de");
    EXPECT_GT(std::abs(heard(german) - english), 0.1);
}

}  // namespace
}  // namespace orlavo
