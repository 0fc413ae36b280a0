// How far the mark of the word being heard lags behind the word's sound, on the private sound
// server of tests/session.sh (its null sink, recorded from its monitor in this process):
//
//   tests/session.sh -- build/release/bench/orlavo_word_lag
//
// A text of one-word sentences is spoken three times; each word's sound begins after a silence,
// where the recording finds it. The marks compared with those beginnings:
//   made     when the synthesiser makes the word: what a mark would do that followed the
//            synthesiser rather than the sound server (the baseline);
//   played   when the sound server's playback reaches it (the voice's own cue);
//   window   when the word reaches the window's thread through the worker the program reads on,
//            which is where the list is told to mark it;
//   speechd  when speech-dispatcher says its index mark before the word was reached, with its
//            espeak-ng module (only when SPEECHD_ADDRESS names a speech-dispatcher that has it).
// Prints the median, 90th percentile and largest lag of each, in milliseconds (negative: early).

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/window_wait.h"
#include "platform/speechd/speechd_voice.h"
#include "platform/voice/espeak_pulse_voice.h"
#include "platform/voice/espeak_synthesizer.h"
#include "platform/voice/pulse_audio_output.h"
#include "platform/voice/silence_trimmer.h"
#include "platform/voice/threaded_voice.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 22050;

double Seconds(Clock::time_point at) {
    return std::chrono::duration<double>(at.time_since_epoch()).count();
}

// The sink's monitor, read as it plays: every block's arrival maps a sample to the moment it was
// heard, the earliest (arrival less position) being the moment of sample 0.
class Recorder {
  public:
    Recorder() {
        const char* sink = std::getenv("PULSE_SINK");
        const std::string device = std::string(sink != nullptr ? sink : "orlavo_null") + ".monitor";
        const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
        const pa_buffer_attr buffering{static_cast<std::uint32_t>(-1), 0, 0, 0,
                                       kRate * 2 / 100};  // 10 ms fragments
        int error = 0;
        m_stream = pa_simple_new(nullptr, "orlavo word lag", PA_STREAM_RECORD, device.c_str(),
                                 "monitor", &spec, nullptr, &buffering, &error);
        if (m_stream == nullptr) {
            std::fprintf(stderr, "cannot record %s: %s\n", device.c_str(), pa_strerror(error));
            std::exit(1);
        }
        m_thread = std::thread([this] { Run(); });
    }
    ~Recorder() {
        m_stop = true;
        m_thread.join();
        pa_simple_free(m_stream);
    }

    std::size_t Now() {
        std::lock_guard lock(m_mutex);
        return m_samples.size();
    }
    // Where sound begins after at least 150 ms of silence, from sample `since`, in seconds.
    std::vector<double> Onsets(std::size_t since) {
        std::lock_guard lock(m_mutex);
        std::vector<double> onsets;
        constexpr std::size_t kWindow = kRate / 200;
        std::size_t quiet = kRate;
        for (std::size_t at = since; at + kWindow <= m_samples.size(); at += kWindow) {
            const auto loud = std::any_of(m_samples.begin() + std::ptrdiff_t(at),
                                          m_samples.begin() + std::ptrdiff_t(at + kWindow),
                                          [](std::int16_t s) { return std::abs(s) > 330; });
            if (loud && quiet >= kRate * 15 / 100) {
                onsets.push_back(m_origin + double(at) / kRate);
            }
            quiet = loud ? 0 : quiet + kWindow;
        }
        return onsets;
    }

  private:
    void Run() {
        std::vector<std::int16_t> block(kRate / 100);
        while (!m_stop) {
            int error = 0;
            if (pa_simple_read(m_stream, block.data(), block.size() * 2, &error) < 0) {
                return;
            }
            const double arrived = Seconds(Clock::now());
            std::lock_guard lock(m_mutex);
            m_samples.insert(m_samples.end(), block.begin(), block.end());
            m_origin = std::min(m_origin, arrived - double(m_samples.size()) / kRate);
        }
    }

    pa_simple* m_stream = nullptr;
    std::mutex m_mutex;
    std::vector<std::int16_t> m_samples;
    double m_origin = 1e300;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// Stamps each word when the synthesiser makes it (`made`) and when it is heard (`played`).
struct Stamping : orlavo::PcmSink {
    explicit Stamping(orlavo::PcmSink& to) : output(to) {}
    void Write(std::span<const std::int16_t> samples) override { output.Write(samples); }
    void Cue(std::function<void()> reached) override {
        made.push_back(Seconds(Clock::now()));
        output.Cue([this, reached = std::move(reached)] {
            played.push_back(Seconds(Clock::now()));
            reached();
        });
    }
    void Finish() override { output.Finish(); }
    orlavo::PcmSink& output;
    std::vector<double> made, played;
};

// Stamps each word when the voice tells it was heard.
orlavo::Listening StampingWords(std::vector<double>& stamps) {
    return {.wordHeard = [&stamps](std::size_t,
                                   std::size_t) { stamps.push_back(Seconds(Clock::now())); },
            .cut = {}};
}

void Report(const char* name, const std::vector<double>& marks, const std::vector<double>& onsets) {
    if (marks.size() != onsets.size() || marks.empty()) {
        std::printf("%-8s %zu marks for %zu words heard: not comparable\n", name, marks.size(),
                    onsets.size());
        return;
    }
    std::vector<double> lags;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        lags.push_back((marks[i] - onsets[i]) * 1000);
    }
    std::vector<double> sorted = lags;
    std::sort(sorted.begin(), sorted.end());
    const auto magnitude = [](double a, double b) { return std::abs(a) < std::abs(b); };
    std::printf("%-8s n=%zu  median %6.1f ms  p90 %6.1f ms  largest %6.1f ms\n", name, lags.size(),
                sorted[sorted.size() / 2], sorted[sorted.size() * 9 / 10],
                *std::max_element(lags.begin(), lags.end(), magnitude));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::string text;
    for (const char* word : {"Apple",  "Table",  "River",  "Garden", "Pocket", "Window", "Basket",
                             "Candle", "Dinner", "Forest", "Kitten", "Ladder", "Market", "Number",
                             "Orange", "Pepper", "Rabbit", "Silver", "Tunnel", "Velvet"}) {
        text += std::string(word) + ". ";
    }
    Recorder recorder;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    orlavo::EspeakSynthesizer synthesizer;
    std::vector<double> made, played;
    std::size_t since = recorder.Now();
    {
        orlavo::PulseAudioOutput output(synthesizer.sampleRate(), "Orlavo");
        orlavo::SilenceTrimmer trimmer(output, synthesizer.sampleRate());
        Stamping stamping(trimmer);
        synthesizer.Synthesize(text, stamping, [](std::size_t, std::size_t) {});
        made = stamping.made;
        played = stamping.played;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<double> first = recorder.Onsets(since);

    since = recorder.Now();
    std::vector<double> window;
    {
        orlavo::ThreadedVoice voice(
            [] {
                return std::make_unique<orlavo::EspeakPulseVoice>(
                    orlavo::LocaleSettings{"C", "", ""}, "Orlavo",
                    orlavo::ToEspeak(orlavo::SpeechSettings{}));
            },
            [] { return std::make_unique<orlavo::WindowWait>(); });
        voice.Prepare();
        voice.Speak(text, "en", StampingWords(window));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<double> second = recorder.Onsets(since);

    Report("made", made, first);
    Report("played", played, first);
    Report("window", window, second);

    if (std::getenv("SPEECHD_ADDRESS") != nullptr) {
        since = recorder.Now();
        std::vector<double> marked;
        orlavo::SpeechDispatcherVoice voice("espeak-ng");
        voice.Speak(text, "en", StampingWords(marked));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Report("speechd", marked, recorder.Onsets(since));
    }
    return 0;
}
