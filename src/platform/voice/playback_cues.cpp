#include "platform/voice/playback_cues.h"

#include <pulse/operation.h>
#include <pulse/stream.h>

#include <algorithm>
#include <optional>

namespace orlavo {

using Microseconds = std::chrono::microseconds;

void PlaybackCues::AskForTiming(pa_stream* stream) {
    m_timingKnown = false;
    pa_operation* asking = pa_stream_update_timing_info(
        stream,
        [](pa_stream*, int success, void* cues) {
            static_cast<PlaybackCues*>(cues)->m_timingKnown = success != 0;
        },
        this);
    if (asking != nullptr) {
        pa_operation_unref(asking);
    }
}

Microseconds PlaybackCues::Reach(pa_stream* stream, std::int64_t written, Microseconds limit) {
    pa_usec_t latency = 0;
    int negative = 0;
    if (stream == nullptr || !m_timingKnown ||
        pa_stream_get_latency(stream, &latency, &negative) < 0) {
        // The server's answer wakes the loop; this only bounds a lost one.
        return m_cues.empty() ? limit : std::min(limit, Microseconds(10000));
    }
    // A negative latency means the server has played past what was written: it ran dry.
    const std::int64_t played =
        written - (negative != 0 ? 0 : static_cast<std::int64_t>(latency * m_sampleRate / 1000000));
    // A cue is reached once the sample after it is at the speaker.
    while (!m_cues.empty() && m_cues.front().first < played) {
        const std::function<void()> reached = std::move(m_cues.front().second);
        m_cues.pop_front();
        reached();
    }
    if (m_cues.empty()) {
        return limit;
    }
    const std::int64_t ahead = m_cues.front().first - played + 1;
    return std::clamp(Microseconds(ahead * 1000000 / m_sampleRate), Microseconds(1000), limit);
}

void PlaybackCues::ReachAll() {
    for (; !m_cues.empty(); m_cues.pop_front()) {
        m_cues.front().second();
    }
}

}  // namespace orlavo
