#include "platform/voice/silence_trimmer.h"

#include <cstdlib>

namespace orlavo {

SilenceTrimmer::SilenceTrimmer(PcmSink& output, int sampleRate)
    : m_output(output),
      m_tailSamples(static_cast<std::size_t>(sampleRate) * kTailMilliseconds / 1000) {}

void SilenceTrimmer::Write(std::span<const std::int16_t> samples) {
    m_pending.clear();
    for (const std::int16_t sample : samples) {
        if (std::abs(sample) > kQuietLevel) {
            m_pending.insert(m_pending.end(), m_held.begin(), m_held.end());
            m_held.clear();
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
    if (!m_pending.empty()) {
        m_output.Write(m_pending);
    }
}

void SilenceTrimmer::Finish() {
    m_held.clear();
    m_heardSound = false;
    m_quietRun = 0;
    m_output.Finish();
}

}  // namespace orlavo
