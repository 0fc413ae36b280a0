#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>

struct pa_stream;

namespace orlavo {

// The cues of one PulseAudio stream, each at a sample of what was written to it, reached when the
// server's playback passes it: the samples written less those the stream's latency says are still
// on their way to the speaker. Used on the stream's own thread, while its main loop runs.
class PlaybackCues {
  public:
    explicit PlaybackCues(int sampleRate) : m_sampleRate(sampleRate) {}

    void Add(std::int64_t sample, std::function<void()> reached) {
        m_cues.emplace_back(sample, std::move(reached));
    }
    // The stream plays again after a pause, or anew: the server is asked where playback is, and
    // until it answers, a position worked out from before the pause could reach a cue before its
    // sound is heard, so none is.
    void AskForTiming(pa_stream* stream);
    // Calls the cues reached once `written` samples went to `stream`; returns how long until the
    // next one is due, at most `limit`.
    std::chrono::microseconds Reach(pa_stream* stream, std::int64_t written,
                                    std::chrono::microseconds limit);
    // Everything written was heard.
    void ReachAll();
    void Clear() { m_cues.clear(); }

  private:
    int m_sampleRate;
    bool m_timingKnown = false;
    std::deque<std::pair<std::int64_t, std::function<void()>>> m_cues;
};

}  // namespace orlavo
