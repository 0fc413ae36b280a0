// The voice the program uses, playing through a real PulseAudio server of the test's own.

#include "platform/speech_voice.h"

#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pcm_recorder.h"
#include "platform/espeak_synthesizer.h"
#include "platform/runtime_error.h"
#include "platform/silence_trimmer.h"
#include "private_pulse_server.h"

namespace orlavo {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

const std::string kItem = "Reading a book aloud, one item after another, until the end.";

// Listens to what the null sink plays, from the moment it is made until it is destroyed.
class SinkListener {
  public:
    SinkListener() {
        pa_sample_spec spec{};
        spec.format = PA_SAMPLE_S16LE;
        spec.rate = 22050;
        spec.channels = 1;
        pa_buffer_attr buffering{};
        buffering.maxlength = static_cast<std::uint32_t>(-1);
        buffering.fragsize = 441 * sizeof(std::int16_t);  // 20 ms pieces
        const std::string monitor =
            std::string(testing::PrivatePulseServer::kSinkName) + ".monitor";
        m_stream = pa_simple_new(nullptr, "Orlavo test", PA_STREAM_RECORD, monitor.c_str(),
                                 "listener", &spec, nullptr, &buffering, nullptr);
        if (m_stream != nullptr) {
            m_thread = std::thread([this] { Listen(); });
        }
    }
    ~SinkListener() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_stream != nullptr) {
            pa_simple_free(m_stream);
        }
    }
    bool listening() const { return m_stream != nullptr; }
    int peak() const { return m_peak; }
    std::optional<Clock::time_point> firstSound() const { return m_firstSound; }

  private:
    void Listen() {
        std::vector<std::int16_t> piece(441);
        while (!m_stop) {
            if (pa_simple_read(m_stream, piece.data(), piece.size() * sizeof(std::int16_t),
                               nullptr) < 0) {
                return;
            }
            for (const std::int16_t sample : piece) {
                m_peak = std::max(m_peak.load(), std::abs(sample));
                if (std::abs(sample) > SilenceTrimmer::kQuietLevel && !m_firstSound) {
                    m_firstSound = Clock::now();
                }
            }
        }
    }

    pa_simple* m_stream = nullptr;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_peak = 0;
    std::optional<Clock::time_point> m_firstSound;  // written before the join that publishes it
    std::thread m_thread;
};

// Seconds a listener hears of the text: the engine's output less its trimmed silence.
double HeardSeconds(const std::string& text) {
    EspeakSynthesizer synthesizer;
    testing::PcmRecorder heard;
    SilenceTrimmer trimmer(heard, synthesizer.sampleRate());
    synthesizer.Synthesize(text, trimmer);
    return static_cast<double>(heard.utterances.at(0).size()) / synthesizer.sampleRate();
}

class SpeechVoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!m_server.failure().empty()) {
            GTEST_SKIP() << "No private PulseAudio server for this test: " << m_server.failure();
        }
    }
    testing::PrivatePulseServer m_server;
};

TEST_F(SpeechVoiceTest, SpeakReturnsWhenTheItemHasBeenHeard) {
    const double expected = HeardSeconds(kItem);
    auto voice = CreateSpeechVoice();
    std::optional<Clock::time_point> firstSound;
    int peak = 0;
    Clock::time_point start;
    double elapsed = 0;
    {
        SinkListener listener;
        ASSERT_TRUE(listener.listening());
        start = Clock::now();
        voice->Speak(kItem);
        elapsed = Seconds(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        peak = listener.peak();
        firstSound = listener.firstSound();
    }
    // The null sink plays in real time, so returning sooner than the audio lasts means Speak did
    // not wait. Beyond that, the stream's 60 ms buffer, the sink's own latency and scheduling on a
    // busy machine are allowed for; a voice that kept the engine's silence would overrun this.
    EXPECT_GE(elapsed, expected - 0.05);
    EXPECT_LE(elapsed, expected + 0.3);
    EXPECT_GT(peak, 3000) << "the sink heard nothing audible";
    ASSERT_TRUE(firstSound.has_value());
    const double firstSoundAfter = Seconds(*firstSound - start).count();
    EXPECT_LT(firstSoundAfter, 0.3);
    std::cout << "audio " << expected << " s, Speak took " << elapsed
              << " s, first audible sample at the sink after " << firstSoundAfter << " s\n";
}

TEST_F(SpeechVoiceTest, ServerKilledMidItemIsAnErrorAndARestartedServerIsUsed) {
    auto voice = CreateSpeechVoice();
    std::thread crash([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        m_server.Kill();
    });
    const auto start = Clock::now();
    try {
        voice->Speak(kItem + " " + kItem);
        ADD_FAILURE() << "Speak succeeded without a sound server";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kAudioFailed);
        EXPECT_NE(std::string(error.what()).find("sound server"), std::string::npos)
            << error.what();
        std::cout << "killed mid-item: " << error.what() << "\n";
    }
    crash.join();
    EXPECT_LT(Seconds(Clock::now() - start).count(), 2.0);

    ASSERT_TRUE(m_server.Start()) << m_server.failure();
    voice->Speak("The End");
}

TEST(SpeechVoiceWithoutServerTest, CreationFailsQuicklyWithAMessage) {
    setenv("PULSE_SERVER", "unix:/nonexistent/orlavo-test/native", 1);
    const auto start = Clock::now();
    try {
        auto voice = CreateSpeechVoice();
        FAIL() << "a voice without a sound server";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kAudioFailed);
        EXPECT_STREQ(error.what(), "No sound server is running (Connection refused).");
    }
    EXPECT_LT(Seconds(Clock::now() - start).count(), 1.0);
}

}  // namespace
}  // namespace orlavo
