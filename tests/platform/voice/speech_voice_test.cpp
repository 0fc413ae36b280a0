// The voice the program uses, playing through a real PulseAudio server of the test's own.

#include "platform/speech_voice.h"

#include <gtest/gtest.h>
#include <pulse/simple.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "pcm_recorder.h"
#include "platform/espeak_synthesizer.h"
#include "platform/runtime_error.h"
#include "platform/silence_trimmer.h"

namespace orlavo {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

const std::string kItem = "Reading a book aloud, one item after another, until the end.";

// A PulseAudio server of the test's own, playing into a null sink, that the test can kill and
// start again. It points this process's PULSE_SERVER and PULSE_SINK at itself, so the voice
// connects to it and never to a desktop's server.
class PrivatePulseServer {
  public:
    static constexpr const char* kSinkName = "orlavo_null";

    PrivatePulseServer() {
        std::string pattern = std::filesystem::temp_directory_path() / "orlavo-pulse-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            m_failure = "cannot make a temporary directory";
            return;
        }
        m_directory = pattern;
        m_socket = m_directory + "/native";
        std::ofstream(m_directory + "/server.pa")
            << "load-module module-null-sink sink_name=" << kSinkName << " norewinds=1\n"
            << "load-module module-native-protocol-unix socket=" << m_socket
            << " auth-anonymous=1\n";
        setenv("PULSE_SERVER", ("unix:" + m_socket).c_str(), 1);
        setenv("PULSE_SINK", kSinkName, 1);
        Start();
    }
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;
    ~PrivatePulseServer() {
        Kill();
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // Starts the server (again); returns false and sets failure() if it does not come up.
    bool Start() {
        if (m_directory.empty()) {
            return false;
        }
        Kill();
        const char* configured = std::getenv("ORLAVO_TEST_PULSEAUDIO");
        const std::string program =
            configured != nullptr && *configured != 0 ? configured : "pulseaudio";
        // Its own home and runtime directory, so it shares nothing with a desktop session; as root
        // (CI) it must be told it is not a system-wide server and must not write a pid file.
        std::vector<std::string> arguments = {program,
                                              "-n",
                                              "--daemonize=no",
                                              "--system=no",
                                              "--use-pid-file=no",
                                              "--exit-idle-time=-1",
                                              "--disable-shm=yes",
                                              "--log-target=file:" + m_directory + "/log",
                                              "-F",
                                              m_directory + "/server.pa"};
        std::vector<std::string> environment = {
            "HOME=" + m_directory, "XDG_RUNTIME_DIR=" + m_directory,
            "XDG_CONFIG_HOME=" + m_directory, "PATH=/usr/bin:/bin"};
        const auto pointers = [](std::vector<std::string>& strings) {
            std::vector<char*> out;
            for (std::string& string : strings) {
                out.push_back(string.data());
            }
            out.push_back(nullptr);
            return out;
        };
        if (posix_spawnp(&m_pid, program.c_str(), nullptr, nullptr, pointers(arguments).data(),
                         pointers(environment).data()) != 0) {
            m_pid = -1;
            m_failure = "cannot start " + program;
            return false;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                m_failure = program + " exited at start; see its log in " + m_directory;
                return false;
            }
            if (std::filesystem::exists(m_socket) && Answers()) {
                m_failure.clear();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_failure = program + " did not answer within 10 s";
        Kill();
        return false;
    }
    // Ends it abruptly, as a crashing sound server would.
    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        std::error_code ignored;
        std::filesystem::remove(m_socket, ignored);
    }
    const std::string& failure() const { return m_failure; }

  private:
    // Whether a client can play through the server yet.
    static bool Answers() {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, 22050, 1};
        pa_simple* probe = pa_simple_new(nullptr, "Orlavo test", PA_STREAM_PLAYBACK, nullptr,
                                         "probe", &spec, nullptr, nullptr, nullptr);
        if (probe != nullptr) {
            pa_simple_free(probe);
        }
        return probe != nullptr;
    }

    std::string m_directory;
    std::string m_socket;
    std::string m_failure;
    pid_t m_pid = -1;
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
    PrivatePulseServer m_server;
};

TEST_F(SpeechVoiceTest, SpeakReturnsWhenTheItemHasBeenHeard) {
    const double expected = HeardSeconds(kItem);
    auto voice = CreateSpeechVoice();
    const auto start = Clock::now();
    voice->Speak(kItem);
    const double elapsed = Seconds(Clock::now() - start).count();
    // The null sink plays in real time, so returning sooner than the audio lasts means Speak did
    // not wait. Beyond that, the stream's 60 ms buffer, the sink's own latency and scheduling on a
    // busy machine are allowed for; a voice that kept the engine's silence, or started playing
    // late, would overrun this. What the sink hears is checked by the end-to-end tests.
    EXPECT_GE(elapsed, expected - 0.05);
    EXPECT_LE(elapsed, expected + 0.3);
    RecordProperty("speak_overrun_ms", static_cast<int>((elapsed - expected) * 1000));
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
