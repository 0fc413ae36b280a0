#include "platform/pulse_audio_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <string>

#include "platform/runtime_error.h"

namespace orlavo {

namespace {

constexpr std::uint32_t kServerChooses = static_cast<std::uint32_t>(-1);
// A short target buffer and a small prebuffer let the first word of an item be heard quickly;
// the engine synthesises far faster than real time, so the buffer never runs dry mid-item.
constexpr std::uint32_t kTargetMilliseconds = 60;
constexpr std::uint32_t kPrebufferMilliseconds = 20;
// Written in pieces of this size so the server hears each word as soon as it exists.
constexpr std::size_t kChunkSamples = 441;

std::uint32_t BytesFor(int sampleRate, std::uint32_t milliseconds) {
    return static_cast<std::uint32_t>(sampleRate) * milliseconds / 1000 * sizeof(std::int16_t);
}

}  // namespace

PulseAudioOutput::PulseAudioOutput(int sampleRate) : m_sampleRate(sampleRate) {
    Connect();
}

PulseAudioOutput::~PulseAudioOutput() {
    if (m_stream != nullptr) {
        pa_simple_free(m_stream);
    }
}

void PulseAudioOutput::Connect() {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = static_cast<std::uint32_t>(m_sampleRate);
    spec.channels = 1;
    pa_buffer_attr buffering{};
    buffering.maxlength = kServerChooses;
    buffering.tlength = BytesFor(m_sampleRate, kTargetMilliseconds);
    buffering.prebuf = BytesFor(m_sampleRate, kPrebufferMilliseconds);
    buffering.minreq = kServerChooses;
    buffering.fragsize = kServerChooses;
    int error = 0;
    m_stream = pa_simple_new(nullptr, "Orlavo", PA_STREAM_PLAYBACK, nullptr, "Orlavo voice", &spec,
                             nullptr, &buffering, &error);
    if (m_stream == nullptr) {
        throw RuntimeError(kAudioFailed, error == PA_ERR_CONNECTIONREFUSED
                                             ? "No sound server is running (" +
                                                   std::string(pa_strerror(error)) + ")."
                                             : "The sound server cannot play the voice (" +
                                                   std::string(pa_strerror(error)) + ").");
    }
}

void PulseAudioOutput::Fail(const char* what, int error) {
    // The connection is of no further use; the next item starts a new one.
    pa_simple_free(m_stream);
    m_stream = nullptr;
    throw RuntimeError(kAudioFailed, std::string(what) + " (" + pa_strerror(error) + ").");
}

void PulseAudioOutput::Write(std::span<const std::int16_t> samples) {
    if (m_stream == nullptr) {
        Connect();
    }
    while (!samples.empty()) {
        const std::span<const std::int16_t> chunk =
            samples.first(std::min(samples.size(), kChunkSamples));
        int error = 0;
        if (pa_simple_write(m_stream, chunk.data(), chunk.size_bytes(), &error) < 0) {
            Fail("The sound server stopped playing the voice", error);
        }
        samples = samples.subspan(chunk.size());
    }
}

void PulseAudioOutput::Finish() {
    if (m_stream == nullptr) {
        return;  // nothing was played since the last failure
    }
    int error = 0;
    if (pa_simple_drain(m_stream, &error) < 0) {
        Fail("The sound server stopped playing the voice", error);
    }
}

}  // namespace orlavo
