#include "platform/threaded_voice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime_error.h"

namespace orlavo {
namespace {

using namespace std::chrono_literals;

// What the inner voice saw, and on which threads.
struct InnerRecord {
    std::mutex mutex;
    std::vector<std::string> spoken;
    std::vector<std::thread::id> threads;  // creation, each Speak, destruction
    void Note(std::optional<std::string> text = std::nullopt) {
        std::lock_guard lock(mutex);
        threads.push_back(std::this_thread::get_id());
        if (text) {
            spoken.push_back(*text);
        }
    }
};

// Takes a while to speak, like a real voice, and fails on request.
class SlowVoice : public Voice {
  public:
    explicit SlowVoice(InnerRecord& record) : m_record(record) { m_record.Note(); }
    ~SlowVoice() override { m_record.Note(); }
    void Speak(std::string_view text) override {
        std::this_thread::sleep_for(100ms);
        if (text == "audio fails") {
            throw RuntimeError(kAudioFailed, "The sound server stopped playing the voice.");
        }
        if (text == "engine breaks") {
            throw std::runtime_error("engine out of memory");
        }
        m_record.Note(std::string(text));
    }

  private:
    InnerRecord& m_record;
};

// Each test runs once with a QCoreApplication (the program) and once without (plain tests).
class ThreadedVoiceTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            m_application = std::make_unique<QCoreApplication>(m_argc, m_argv);
        }
    }
    std::unique_ptr<ThreadedVoice> MakeVoice() {
        return std::make_unique<ThreadedVoice>(
            [this] { return std::make_unique<SlowVoice>(m_record); });
    }

    InnerRecord m_record;
    int m_argc = 1;
    char m_name[16] = "voice_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QCoreApplication> m_application;
};

// The inner voice is made, used and destroyed on one worker thread, as espeak-ng and PulseAudio
// need; in the program the window's timers keep running while an item is spoken.
TEST_P(ThreadedVoiceTest, SpeakReturnsOnceTheItemIsSpokenOnTheWorker) {
    auto voice = MakeVoice();
    bool ticked = false;
    if (m_application) {
        QTimer::singleShot(10ms, m_application.get(), [&ticked] { ticked = true; });
    }
    voice->Speak("one");
    EXPECT_EQ(m_record.spoken, std::vector<std::string>{"one"});
    EXPECT_EQ(ticked, GetParam());
    voice->Speak("two");
    EXPECT_EQ(m_record.spoken, (std::vector<std::string>{"one", "two"}));
    voice.reset();
    ASSERT_EQ(m_record.threads.size(), 4u);  // created, spoke twice, destroyed
    for (const std::thread::id& thread : m_record.threads) {
        EXPECT_EQ(thread, m_record.threads.front());
    }
    EXPECT_NE(m_record.threads.front(), std::this_thread::get_id());
}

struct FailureCase {
    const char* text;
    int number;
    const char* message;
};

TEST_P(ThreadedVoiceTest, WorkerErrorsArriveAsRuntimeErrors) {
    auto voice = MakeVoice();
    for (const FailureCase& failure :
         {FailureCase{"audio fails", kAudioFailed, "The sound server stopped playing the voice."},
          FailureCase{"engine breaks", kSpeechFailed, "engine out of memory"}}) {
        try {
            voice->Speak(failure.text);
            ADD_FAILURE() << "no error for " << failure.text;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), failure.number);
            EXPECT_STREQ(error.what(), failure.message);
        }
    }
    voice->Speak("still speaking");  // an error does not end the voice
    EXPECT_EQ(m_record.spoken, std::vector<std::string>{"still speaking"});
}

TEST_P(ThreadedVoiceTest, CreationErrorArrivesAtOnce) {
    try {
        ThreadedVoice voice([]() -> std::unique_ptr<Voice> {
            throw RuntimeError(kAudioFailed, "No sound server is running (Connection refused).");
        });
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kAudioFailed);
        EXPECT_STREQ(error.what(), "No sound server is running (Connection refused).");
    }
}

INSTANTIATE_TEST_SUITE_P(Waiting, ThreadedVoiceTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "InEventLoop" : "Plainly";
                         });

}  // namespace
}  // namespace orlavo
