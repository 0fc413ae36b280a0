#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/stream_volume.h"
#include "platform/voice/pcm_sink.h"
#include "platform/voice/playback_cues.h"

struct pa_context;
struct pa_mainloop;
struct pa_operation;
struct pa_stream;

namespace orlavo {

// Plays speech through the PulseAudio (or PipeWire-Pulse) sound server as it is synthesised.
// Finish returns once the server has played everything, and pauses the stream until the next
// Write, so that the sound device may sleep while nothing is read. A cue is reached when the
// sample after it is at the speaker, as the server reports its playback: the synthesiser runs
// ahead of what is heard by the server's buffer and the device's latency. No call waits on the
// server for ever: a server that stops answering, or an output device that stays suspended, is
// given up after a few seconds. Every failure is a RuntimeError(kAudioFailed) saying what went
// wrong in plain words; after one, the next Write connects again, so a sound server started or
// restarted later is picked up. Use it on one thread; only Cancel may come from another.
class PulseAudioOutput : public PcmSink {
  public:
    // Connects at once, so a missing sound server is reported when the voice is created.
    // `programName` is how the desktop's sound settings show the voice.
    // `volume`, when given, scales every sample written, as the desktop's mixer would.
    PulseAudioOutput(int sampleRate, std::string programName, const StreamVolume* volume = nullptr);
    ~PulseAudioOutput() override;
    PulseAudioOutput(const PulseAudioOutput&) = delete;
    PulseAudioOutput& operator=(const PulseAudioOutput&) = delete;

    void Write(std::span<const std::int16_t> samples) override;
    void Cue(std::function<void()> reached) override;
    void Finish() override;
    // Silences the speaker at once; every Write and Finish from then on fails.
    void Cancel() override;
    // From any thread: drops what the server still holds of the utterance under way, so it falls
    // silent at once, and ends the Write or Finish under way with SpeechCut, as every later one
    // until NextUtterance. The connection stays, for the next utterance.
    void CutUtterance();
    // On the writing thread, before an utterance: forgets an earlier CutUtterance, and the cues
    // of an utterance that failed before it finished.
    void NextUtterance();

  private:
    // How the connection broke: the server's error, and whether the server still answers and
    // only our stream was dropped.
    struct Breakage {
        int error = 0;
        bool streamOnly = false;
    };
    using Describe = std::string (*)(int error, bool streamOnly);

    void Connect();
    void Pause();
    void ForgetUtterance();
    [[noreturn]] void DropUtterance();
    void RunUntil(const std::function<bool()>& done, std::chrono::microseconds limit,
                  Describe describe);
    Breakage Broken() const;
    void Disconnect();
    [[noreturn]] void FailPlaying();
    [[noreturn]] void Fail(const std::string& message);

    int m_sampleRate;
    std::string m_programName;
    const StreamVolume* m_volume;
    std::vector<std::int16_t> m_scaled;  // the samples at the volume asked for
    pa_mainloop* const m_mainloop;       // kept for the object's life, so Cancel can always wake it
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::int64_t m_samplesSinceFinish = 0;
    bool m_drained = false;
    bool m_drainSucceeded = false;
    bool m_paused = false;
    pa_operation* m_draining = nullptr;
    PlaybackCues m_cues;
    std::atomic<bool> m_cancelled = false;
    std::atomic<bool> m_cut = false;
};

}  // namespace orlavo
