// The voice without a sound server: the speech language, the silence trimmer, the worker thread,
// and espeak-ng synthesising into memory.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sstream>
#include <stop_token>
#include <thread>

#include "fake_pcm_recorder.h"
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

// Slow to make; notes the thread of each call; "until silenced" lasts until Silence or a cut; each
// word of a text is told as heard, on the worker.
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
    Spoken Speak(std::string text, std::string_view language, const Listening& listening) override {
        std::unique_lock lock(r.mutex);
        r.threads.push_back(std::this_thread::get_id());
        const std::stop_callback cutting(listening.cut, [this] { r.silenced.notify_all(); });
        r.silenced.wait_for(lock, text == "until silenced" ? 5s : 0s, [&] {
            return r.silencedFrom != std::thread::id() || listening.cut.stop_requested();
        });
        if (text == "engine broke") {
            throw std::runtime_error("out of memory");
        }
        for (std::size_t at = 0; listening.wordHeard && at < text.size(); at += 4) {
            lock.unlock();
            listening.wordHeard(at, at + 3);
            lock.lock();
        }
        r.heard.push_back(text + "@" + std::string(language));
        return listening.cut.stop_requested() ? Spoken::kCut : Spoken::kWhole;
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
    EXPECT_EQ(voice->Speak("one", "ru", {}), Spoken::kWhole);
    EXPECT_EQ(record.heard, std::vector<std::string>{"one@ru"});
    EXPECT_THROW(voice->Speak("engine broke", "", {}), RuntimeError);
    voice.reset();
    EXPECT_EQ(record.threads, std::vector(4, record.threads.at(0)));
    EXPECT_NE(record.threads[0], std::this_thread::get_id());
}

TEST(ThreadedVoiceTest, AnErrorMakingTheInnerVoiceIsRaisedByEveryCall) {
    ThreadedVoice voice([]() -> std::unique_ptr<Voice> { throw RuntimeError(kAudioFailed, ""); });
    EXPECT_THROW(voice.Speak("x", "", {}), RuntimeError);
    EXPECT_THROW(voice.Prepare(), RuntimeError);
    EXPECT_THROW(voice.Prepare(), RuntimeError);
}

// In the program the window's events run while an item is spoken: the words heard reach the
// window there, in order, and a Stop chosen there cuts the item, after which the voice reads on;
// closing silences it for good from there.
TEST(ThreadedVoiceTest, WordsReachTheCallersThreadAndACutOrSilenceFromThereEndsTheItem) {
    struct WindowLikeWait : ThreadWait {
        explicit WindowLikeWait(std::function<void()>& event) : later(event) {}
        void Wake() override {
            std::lock_guard lock(mutex);
            woken = true;
            changed.notify_all();
        }
        void Wait() override {
            std::unique_lock lock(mutex);
            if (!changed.wait_for(lock, 50ms, [this] { return woken; }) && later) {
                lock.unlock();
                std::exchange(later, nullptr)();
            }
        }
        std::function<void()>& later;  // an event the window runs unless woken first
        std::mutex mutex;
        std::condition_variable changed;
        bool woken = false;
    };
    Inner::Record record;
    std::function<void()> event;
    ThreadedVoice voice([&] { return std::make_unique<Inner>(record); },
                        [&event] { return std::make_unique<WindowLikeWait>(event); });
    voice.Prepare();
    std::vector<std::string> words;
    const auto caller = std::this_thread::get_id();
    const Listening told{.wordHeard =
                             [&](std::size_t begin, std::size_t end) {
                                 EXPECT_EQ(std::this_thread::get_id(), caller);
                                 words.push_back(std::to_string(begin) + "-" + std::to_string(end));
                             },
                         .cut = {}};
    // Told faster than the caller takes them, words give way to later ones: the last one heard
    // always arrives, and none comes after a later one.
    EXPECT_EQ(voice.Speak("one two six", "", told), Spoken::kWhole);
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end()) && !words.empty() &&
                words.back() == "8-11")
        << ::testing::PrintToString(words);

    std::stop_source stop;
    event = [&stop] { stop.request_stop(); };
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(voice.Speak("until silenced", "", {.wordHeard = {}, .cut = stop.get_token()}),
              Spoken::kCut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
    EXPECT_EQ(voice.Speak("after", "", {}), Spoken::kWhole);

    event = [&voice] { voice.Silence(); };
    voice.Speak("until silenced", "", {});
    EXPECT_EQ(record.silencedFrom, caller);
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

// Each word the engine says is cued where its sound begins (after the pause before it, in these
// sentences of one word), by the bytes it takes in the text, in Cyrillic, accented Latin and Han
// characters alike, and in a clause longer than the engine counts in one go.
TEST(EspeakSynthesizer, CuesEachWordByItsBytesWhereItsSoundBegins) {
    EspeakSynthesizer engine;
    std::string longClause;
    for (int word = 0; longClause.size() < 2300; ++word) {
        longClause += "Zeitungsverleger" + std::string(1, char('a' + word % 26)) + " ";
    }
    struct Row {
        const char* language;
        std::string text;
        Strings words;
    };
    for (const Row& row :
         {Row{"ru", "Раз. Два. Три.", {"Раз", "Два", "Три"}},
          Row{"fr", "Élève. Où. Forêt.", {"Élève", "Où", "Forêt"}},
          Row{"cmn", "你。好。朋。", {"你", "好", "朋"}}, Row{"de", longClause + "Ende", {}}}) {
        engine.SelectLanguage(row.language);
        testing::PcmRecorder sound;
        SilenceTrimmer trimmer(sound, engine.sampleRate());
        Strings words;
        std::vector<std::size_t> at;
        engine.Synthesize(row.text, trimmer, [&](std::size_t begin, std::size_t end) {
            words.push_back(row.text.substr(begin, end - begin));
            at.push_back(sound.current.size());
        });
        const std::vector<std::int16_t>& samples = sound.utterances.at(0);
        if (!row.words.empty()) {
            EXPECT_EQ(words, row.words) << row.language;
            // Each word is cued where the pause before it ends: quiet for 60 ms before the cue (the
            // first one's silence was trimmed off), sound within 60 ms after it.
            const auto ms = [&engine](int milliseconds) {
                return std::ptrdiff_t{engine.sampleRate()} * milliseconds / 1000;
            };
            const auto peak = [&samples](std::ptrdiff_t from, std::ptrdiff_t to) {
                int most = 0;
                for (std::ptrdiff_t i = std::max<std::ptrdiff_t>(0, from);
                     i < std::min<std::ptrdiff_t>(to, std::ssize(samples)); ++i) {
                    most = std::max(most, std::abs(int{samples[std::size_t(i)]}));
                }
                return most;
            };
            for (const std::size_t cue : at) {
                const auto c = std::ptrdiff_t(cue);
                EXPECT_LE(peak(c - ms(60), c), SilenceTrimmer::kQuietLevel) << row.language << c;
                EXPECT_GT(peak(c, c + ms(60)), 1000) << row.language << c;
            }
            continue;
        }
        // In the long clause, words of the text in order, to its last one.
        ASSERT_GT(words.size(), 50U);
        EXPECT_EQ(words.back(), "Ende");
        std::size_t from = 0;
        for (const std::string& word : words) {
            from = row.text.find(word, from);
            EXPECT_NE(from, std::string::npos) << word;
        }
    }
}

}  // namespace
}  // namespace orlavo
