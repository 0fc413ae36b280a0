// The voice's sound output against a real PulseAudio server that the test launcher runs for these
// tests: PULSE_SERVER and PULSE_SINK lead to it, ORLAVO_PULSE_PID names its process, and
// ORLAVO_PULSE_RESTART starts it again after it was killed and prints the new process id.

#include "platform/voice/pulse_audio_output.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "fake_pcm_recorder.h"
#include "platform/runtime_error.h"
#include "platform/voice/espeak_synthesizer.h"

namespace orlavo {
namespace {

using SteadyClock = std::chrono::steady_clock;

const std::string kItem = "Reading a book aloud, one item after another, until the end.";

double SecondsBetween(SteadyClock::time_point start, SteadyClock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// The launcher's server; a test that kills it starts it again, so the tests after it find one.
pid_t g_serverPid = 0;

// Runs a shell command against the launcher's server; returns what it printed, up to a page.
std::string Shell(const std::string& command) {
    FILE* shell = popen(("export LC_ALL=C; " + command).c_str(), "r");
    char out[4096];
    const std::size_t size = shell != nullptr ? std::fread(out, 1, sizeof out, shell) : 0;
    EXPECT_EQ(shell != nullptr ? pclose(shell) : -1, 0) << command;
    return std::string(out, size);
}

const std::string kSuspend = "pactl suspend-sink orlavo_null ";

void StartServerAgain() {
    FILE* restart = popen(std::getenv("ORLAVO_PULSE_RESTART"), "r");
    ASSERT_NE(restart, nullptr);
    long pid = 0;
    const int read = std::fscanf(restart, "%ld", &pid);
    pclose(restart);
    ASSERT_TRUE(read == 1 && pid > 0) << "the restart script printed no process id";
    g_serverPid = static_cast<pid_t>(pid);
}

class SpeechOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"PULSE_SERVER", "ORLAVO_PULSE_PID", "ORLAVO_PULSE_RESTART"}) {
            if (std::getenv(name) == nullptr) {
                GTEST_SKIP() << name << " is not set: run the tests with a private sound server";
            }
        }
        if (g_serverPid == 0) {
            g_serverPid = static_cast<pid_t>(std::atol(std::getenv("ORLAVO_PULSE_PID")));
        }
        ASSERT_GT(g_serverPid, 0);
    }

    // Speaks the text; returns what the person would be told, "cut", or nothing once it was
    // heard.
    std::string Speak(PulseAudioOutput& output, const std::string& text,
                      const EspeakSynthesizer::WordHeard& wordHeard = {}) {
        try {
            output.NextUtterance();
            m_synthesizer.Synthesize(text, output, wordHeard);
            return {};
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kAudioFailed);
            return error.what();
        } catch (const SpeechCut&) {
            return "cut";
        }
    }

    EspeakSynthesizer m_synthesizer;
};

TEST_F(SpeechOutputTest, EachItemEndsWhenItHasBeenHeard) {
    testing::PcmRecorder recorder;
    m_synthesizer.Synthesize(kItem, recorder);
    const double heard =
        static_cast<double>(recorder.utterances.at(0).size()) / m_synthesizer.sampleRate();
    PulseAudioOutput output(m_synthesizer.sampleRate(), "Orlavo");
    // The null sink plays in real time: ending sooner means the item was not waited for; the
    // allowance above covers the short buffer and a busy machine, not a late start.
    for (int item = 0; item < 2; ++item) {
        const SteadyClock::time_point start = SteadyClock::now();
        EXPECT_EQ(Speak(output, kItem), "");
        EXPECT_GE(SecondsBetween(start, SteadyClock::now()), heard - 0.05);
        EXPECT_LE(SecondsBetween(start, SteadyClock::now()), heard + 0.3);
        // Paused between items, so the sound device may sleep.
        EXPECT_NE(Shell("pactl list sink-inputs").find("Corked: yes"), std::string::npos);
    }
}

// A word is told when the server plays it, not when it is made: never before its first sample can
// have been heard, the real-time play of what came before it, and soon after.
TEST_F(SpeechOutputTest, EachWordIsToldWhenItsSoundIsHeard) {
    struct Counting : PcmSink {
        explicit Counting(PcmSink& to) : output(to) {}
        void Write(std::span<const std::int16_t> samples) override {
            written += samples.size();
            output.Write(samples);
        }
        void Cue(std::function<void()> reached) override {
            at.push_back(written);
            output.Cue(std::move(reached));
        }
        void Finish() override { output.Finish(); }
        PcmSink& output;
        std::size_t written = 0;
        std::vector<std::size_t> at;
    };
    PulseAudioOutput output(m_synthesizer.sampleRate(), "Orlavo");
    Counting counting(output);
    std::vector<SteadyClock::time_point> told;
    const SteadyClock::time_point start = SteadyClock::now();
    m_synthesizer.Synthesize(
        kItem, counting, [&told](std::size_t, std::size_t) { told.push_back(SteadyClock::now()); });
    ASSERT_EQ(told.size(), counting.at.size());
    ASSERT_GT(told.size(), 8U);
    for (std::size_t word = 0; word < told.size(); ++word) {
        const double sound = double(counting.at[word]) / m_synthesizer.sampleRate();
        EXPECT_GE(SecondsBetween(start, told[word]), sound - 0.02) << "word " << word;
        EXPECT_LE(SecondsBetween(start, told[word]), sound + 0.3) << "word " << word;
    }
}

TEST_F(SpeechOutputTest, WithoutAServerCreationFailsAtOnce) {
    const std::string server = std::getenv("PULSE_SERVER");
    setenv("PULSE_SERVER", "unix:/nonexistent/orlavo-test/native", 1);
    const SteadyClock::time_point start = SteadyClock::now();
    try {
        PulseAudioOutput output(m_synthesizer.sampleRate(), "Orlavo");
        ADD_FAILURE() << "an output without a sound server";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kAudioFailed);
        EXPECT_STREQ(error.what(), "No sound server is running (Connection refused).");
    }
    EXPECT_LT(SecondsBetween(start, SteadyClock::now()), 1.0);
    setenv("PULSE_SERVER", server.c_str(), 1);
}

TEST_F(SpeechOutputTest, AServerRestartedBetweenItemsReadsTheNextOne) {
    PulseAudioOutput output(m_synthesizer.sampleRate(), "Orlavo");
    EXPECT_EQ(Speak(output, "The End"), "");
    kill(g_serverPid, SIGKILL);
    StartServerAgain();
    EXPECT_EQ(Speak(output, "The End"), "");
}

// Something happens to the server, or the person closes the window, half a second into an item.
struct Interruption {
    const char* name;
    std::function<void(PulseAudioOutput&)> interrupt;
    std::function<void()> recover;
    std::string error;  // how the message begins
    double withinSeconds;
    std::string nextItem;  // the error for the item after recovery; empty when it is heard
};

void PrintTo(const Interruption& row, std::ostream* out) {
    *out << row.name;
}

// The stream moves to a second sink, which records what it is given.
void MoveToOtherSink() {
    Shell(
        "pactl load-module module-null-sink sink_name=orlavo_other rate=22050 && (parec --raw "
        "-d orlavo_other.monitor --rate=22050 --channels=1 >$ORLAVO_SESSION_DIR/other.raw "
        "2>/dev/null &) && sleep 0.2 && pactl move-sink-input "
        "$(pactl list short sink-inputs | cut -f1) orlavo_other");
}

void ExpectHeardOnOtherSink() {
    // Samples louder than an idle sink's silence ever is, for more than a second.
    EXPECT_GT(std::stoi(Shell("pactl unload-module $(pactl list short modules | grep "
                              "orlavo_other | cut -f1) && od -An -td2 -w2 -v "
                              "$ORLAVO_SESSION_DIR/other.raw | awk '$1 * $1 > 1e6' | wc -l")),
              22050);
}

const Interruption kInterruptions[] = {
    {"ServerKilled", [](PulseAudioOutput&) { kill(g_serverPid, SIGKILL); }, StartServerAgain,
     "The sound server stopped (", 2.0, ""},
    {"ServerStopped", [](PulseAudioOutput&) { kill(g_serverPid, SIGSTOP); },
     [] { kill(g_serverPid, SIGCONT); }, "The sound server stopped responding.", 10.0, ""},
    {"SinkSuspended", [](PulseAudioOutput&) { Shell(kSuspend + "1"); },
     [] { Shell(kSuspend + "0"); }, "The output device is not available.", 10.0, ""},
    // Rows whose item is heard whole bound the time to the end of the item.
    {"SinkSuspendedForAMoment",
     [](PulseAudioOutput&) { Shell(kSuspend + "1 && sleep 1 && " + kSuspend + "0"); }, [] {}, "",
     20.0, ""},
    {"MovedToAnotherSink", [](PulseAudioOutput&) { MoveToOtherSink(); }, ExpectHeardOnOtherSink, "",
     20.0, ""},
    // With no other sink to move the stream to, the server ends it.
    {"OnlySinkRemoved", [](PulseAudioOutput&) { Shell("pactl unload-module module-null-sink"); },
     StartServerAgain, "The output device went away.", 2.0, ""},
    {"Cancelled", [](PulseAudioOutput& output) { output.Cancel(); }, [] {}, "Speech was cut off.",
     0.5, "Speech was cut off."},
    // A Stop: silent at once, paused so the device may sleep, and the next item is heard.
    {"Cut", [](PulseAudioOutput& output) { output.CutUtterance(); },
     [] { EXPECT_NE(Shell("pactl list sink-inputs").find("Corked: yes"), std::string::npos); },
     "cut", 0.3, ""},
};

class InterruptedSpeechTest : public SpeechOutputTest,
                              public ::testing::WithParamInterface<Interruption> {};

TEST_P(InterruptedSpeechTest, TheItemFailsInTimeAndTheNextOneIsAnswered) {
    const Interruption& row = GetParam();
    PulseAudioOutput output(m_synthesizer.sampleRate(), "Orlavo");
    SteadyClock::time_point interrupted;
    std::thread interrupter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        interrupted = SteadyClock::now();
        row.interrupt(output);
    });
    const std::string error = Speak(output, kItem + " " + kItem + " " + kItem + " " + kItem);
    const SteadyClock::time_point failed = SteadyClock::now();
    interrupter.join();
    row.recover();
    EXPECT_EQ(error.substr(0, row.error.size()), row.error) << error;
    EXPECT_LT(SecondsBetween(interrupted, failed), row.withinSeconds);
    RecordProperty("failed_after_ms", static_cast<int>(SecondsBetween(interrupted, failed) * 1000));
    const SteadyClock::time_point next = SteadyClock::now();
    EXPECT_EQ(Speak(output, "The End"), row.nextItem);
    if (!row.nextItem.empty()) {
        EXPECT_LT(SecondsBetween(next, SteadyClock::now()), 0.05);
    }
}

INSTANTIATE_TEST_SUITE_P(Interruptions, InterruptedSpeechTest, ::testing::ValuesIn(kInterruptions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
