#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "platform/voice/pcm_sink.h"

namespace orlavo {

// Sits between the synthesiser and the sound server and cuts the silence the engine puts around
// each utterance: a listener hears every millisecond between two items of the book. Leading
// silence is dropped, trailing silence is cut to a short natural tail, pauses inside the
// utterance are kept. It streams: quiet samples beyond the tail are held back and only passed on
// when louder audio follows, so playback starts long before synthesis has finished. A cue keeps
// its place among the samples passed on; one in silence that is dropped moves to where the sound
// resumes, or to the end.
class SilenceTrimmer : public PcmSink {
  public:
    // Samples within +/- kQuietLevel count as silence (about -54 dBFS).
    static constexpr int kQuietLevel = 64;
    static constexpr int kTailMilliseconds = 30;

    SilenceTrimmer(PcmSink& output, int sampleRate);

    void Write(std::span<const std::int16_t> samples) override;
    void Cue(std::function<void()> reached) override;
    void Finish() override;

  private:
    void PassOnPending();
    void ReleaseHeld();

    PcmSink& m_output;
    std::size_t m_tailSamples;
    bool m_heardSound = false;
    std::size_t m_quietRun = 0;
    std::vector<std::int16_t> m_held;
    // Cues waiting with the held samples, by how many of them come first.
    std::vector<std::pair<std::size_t, std::function<void()>>> m_heldCues;
    std::vector<std::int16_t> m_pending;
};

}  // namespace orlavo
