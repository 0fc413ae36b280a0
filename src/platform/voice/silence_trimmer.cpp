#include "platform/voice/silence_trimmer.h"

#include <algorithm>
#include <cstdlib>

namespace orlavo {

SilenceTrimmer::SilenceTrimmer(PcmSink& output, int sampleRate)
    : m_output(output),
      m_tailSamples(static_cast<std::size_t>(sampleRate) * kTailMilliseconds / 1000) {}

void SilenceTrimmer::Write(std::span<const std::int16_t> samples) {
    for (const std::int16_t sample : samples) {
        if (std::abs(sample) > kQuietLevel) {
            ReleaseHeld();
            m_pending.push_back(sample);
            m_quietRun = 0;
            m_heardSound = true;
        } else if (m_heardSound) {
            // The first part of a quiet run is heard whatever follows: it is the tail at the end
            // or part of a pause inside. Only what lies beyond the tail has to wait.
            if (m_quietRun < m_tailSamples) {
                m_pending.push_back(sample);
            } else {
                m_held.push_back(sample);
            }
            ++m_quietRun;
        }
    }
    PassOnPending();
}

void SilenceTrimmer::Cue(std::function<void()> reached) {
    if (m_heardSound && m_held.empty()) {
        m_output.Cue(std::move(reached));
    } else {
        m_heldCues.emplace_back(m_held.size(), std::move(reached));
    }
}

void SilenceTrimmer::Finish() {
    // The silence held back is dropped, but not the cues in it: they are reached at the end.
    m_held.clear();
    ReleaseHeld();
    PassOnPending();
    m_heardSound = false;
    m_quietRun = 0;
    m_output.Finish();
}

void SilenceTrimmer::PassOnPending() {
    if (!m_pending.empty()) {
        m_output.Write(m_pending);
        m_pending.clear();
    }
}

// Sound follows the held silence (or the utterance ends): it is passed on with its cues in place.
void SilenceTrimmer::ReleaseHeld() {
    std::size_t from = 0;
    for (auto& [at, reached] : m_heldCues) {
        const std::size_t upTo = std::min(at, m_held.size());
        m_pending.insert(m_pending.end(), m_held.begin() + static_cast<std::ptrdiff_t>(from),
                         m_held.begin() + static_cast<std::ptrdiff_t>(std::max(from, upTo)));
        from = std::max(from, upTo);
        PassOnPending();
        m_output.Cue(std::move(reached));
    }
    m_heldCues.clear();
    m_pending.insert(m_pending.end(), m_held.begin() + static_cast<std::ptrdiff_t>(from),
                     m_held.end());
    m_held.clear();
}

}  // namespace orlavo
