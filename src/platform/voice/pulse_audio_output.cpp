#include "platform/voice/pulse_audio_output.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/stream.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>

#include "platform/voice_failure.h"

namespace orlavo {

namespace {

using SteadyClock = std::chrono::steady_clock;
using Microseconds = std::chrono::microseconds;

constexpr std::uint32_t kServerChooses = static_cast<std::uint32_t>(-1);
// A short target buffer and a small prebuffer let the first word of an item be heard quickly;
// the engine synthesises far faster than real time, so the buffer never runs dry mid-item.
constexpr std::uint32_t kTargetMilliseconds = 60;
constexpr std::uint32_t kPrebufferMilliseconds = 20;
// How long a server that has stopped doing anything for us is waited for. A busy machine may
// hold a healthy server back for a moment, never for this long; a stopped or wedged one would
// otherwise leave the person with a program that no longer reacts.
constexpr Microseconds kPatience = std::chrono::seconds(5);

std::uint32_t BytesFor(int sampleRate, std::uint32_t milliseconds) {
    return static_cast<std::uint32_t>(sampleRate) * milliseconds / 1000 * sizeof(std::int16_t);
}

std::string Reason(int error) {
    return std::string(" (") + pa_strerror(error) + ").";
}

std::string CannotConnect(int error, bool /*streamOnly*/ = false) {
    return (error == PA_ERR_CONNECTIONREFUSED ? kNoSoundServer : kSoundServerCannotPlay) +
           Reason(error);
}

std::string StoppedPlaying(int error, bool streamOnly) {
    // The server dropping our stream on its own means the sink it played on is gone (unplugged,
    // or removed with nowhere to move the stream to) or someone stopped the stream by hand.
    return streamOnly ? kOutputDeviceGone : kSoundServerStopped + Reason(error);
}

}  // namespace

PulseAudioOutput::PulseAudioOutput(int sampleRate, std::string programName,
                                   const StreamVolume* volume)
    : m_sampleRate(sampleRate),
      m_programName(std::move(programName)),
      m_volume(volume),
      m_mainloop(pa_mainloop_new()),
      m_cues(sampleRate) {
    if (m_mainloop == nullptr) {
        throw RuntimeError(kAudioFailed, CannotConnect(PA_ERR_INTERNAL));
    }
    try {
        Connect();
    } catch (...) {
        pa_mainloop_free(m_mainloop);
        throw;
    }
}

PulseAudioOutput::~PulseAudioOutput() {
    Disconnect();
    pa_mainloop_free(m_mainloop);
}

void PulseAudioOutput::Connect() {
    m_context = pa_context_new(pa_mainloop_get_api(m_mainloop), m_programName.c_str());
    if (m_context == nullptr) {
        Fail(CannotConnect(PA_ERR_INTERNAL));
    }
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        Fail(CannotConnect(pa_context_errno(m_context)));
    }
    RunUntil([this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; }, kPatience,
             CannotConnect);

    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = static_cast<std::uint32_t>(m_sampleRate);
    spec.channels = 1;
    m_stream = pa_stream_new(m_context, (m_programName + " voice").c_str(), &spec, nullptr);
    if (m_stream == nullptr) {
        Fail(CannotConnect(pa_context_errno(m_context)));
    }
    pa_buffer_attr buffering{};
    buffering.maxlength = kServerChooses;
    buffering.tlength = BytesFor(m_sampleRate, kTargetMilliseconds);
    buffering.prebuf = BytesFor(m_sampleRate, kPrebufferMilliseconds);
    buffering.minreq = kServerChooses;
    buffering.fragsize = kServerChooses;
    // The target length then covers the whole way to the speaker, not just our stream's share.
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(m_stream, nullptr, &buffering, flags, nullptr, nullptr) < 0) {
        Fail(CannotConnect(pa_context_errno(m_context)));
    }
    RunUntil([this] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; }, kPatience,
             CannotConnect);
    m_samplesSinceFinish = 0;
    m_cues.AskForTiming(m_stream);
}

void PulseAudioOutput::Write(std::span<const std::int16_t> samples) {
    if (m_cancelled) {
        Fail(kSpeechCutOff);
    }
    if (m_cut) {
        DropUtterance();
    }
    if (m_stream != nullptr && m_samplesSinceFinish == 0) {
        // Between items nobody listens to the connection: a server that restarted meanwhile is
        // only noticed here, and the new one should read the item rather than an error be shown.
        // Each pass runs one round of what the connection has pending, a hang-up included.
        for (int pass = 0; pass < 8 && pa_mainloop_iterate(m_mainloop, 0, nullptr) > 0; ++pass) {
        }
        if (Broken().error != PA_OK) {
            Disconnect();
        }
    }
    if (m_stream != nullptr && m_paused) {
        // Queued ahead of the samples, so that they play as soon as they arrive.
        pa_operation* resume = pa_stream_cork(m_stream, 0, nullptr, nullptr);
        if (resume == nullptr) {
            Disconnect();
        } else {
            pa_operation_unref(resume);
            m_paused = false;
            m_cues.AskForTiming(m_stream);
        }
    }
    if (m_stream == nullptr) {
        Connect();
    }
    if (const double level = m_volume != nullptr ? m_volume->Level() : 1.0; level < 1.0) {
        m_scaled.assign(samples.begin(), samples.end());
        for (std::int16_t& sample : m_scaled) {
            sample = static_cast<std::int16_t>(sample * level);
        }
        samples = m_scaled;
    }
    // Handed over piece by piece as the server makes room, so playback starts while the engine
    // is still at work and the server never holds more than the short target buffer.
    while (!samples.empty()) {
        std::size_t writable = 0;
        RunUntil(
            [&] {
                const std::size_t bytes = pa_stream_writable_size(m_stream);
                writable = bytes == static_cast<std::size_t>(-1) ? 0 : bytes / sizeof(std::int16_t);
                return writable > 0;
            },
            kPatience, StoppedPlaying);
        const std::span<const std::int16_t> piece =
            samples.first(std::min(samples.size(), writable));
        if (pa_stream_write(m_stream, piece.data(), piece.size_bytes(), nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            FailPlaying();
        }
        samples = samples.subspan(piece.size());
        m_samplesSinceFinish += static_cast<std::int64_t>(piece.size());
    }
}

void PulseAudioOutput::Cue(std::function<void()> reached) {
    m_cues.Add(m_samplesSinceFinish, std::move(reached));
}

void PulseAudioOutput::Finish() {
    if (m_cancelled) {
        Fail(kSpeechCutOff);
    }
    if (m_cut) {
        DropUtterance();
    }
    if (m_stream == nullptr) {
        // Nothing was played since the last failure: whatever was cued has been heard.
        m_cues.ReachAll();
        return;
    }
    // The drain may take as long as the audio still buffered lasts; everything written since the
    // last drain is an upper bound when the server has not told us its latency yet.
    pa_usec_t buffered = 0;
    int negative = 0;
    if (pa_stream_get_latency(m_stream, &buffered, &negative) < 0) {
        buffered = static_cast<pa_usec_t>(m_samplesSinceFinish * 1000000 / m_sampleRate);
    } else if (negative != 0) {
        buffered = 0;
    }
    m_drained = false;
    m_drainSucceeded = false;
    m_draining = pa_stream_drain(
        m_stream,
        [](pa_stream*, int success, void* output) {
            static_cast<PulseAudioOutput*>(output)->m_drained = true;
            static_cast<PulseAudioOutput*>(output)->m_drainSucceeded = success != 0;
        },
        this);
    if (m_draining == nullptr) {
        FailPlaying();
    }
    RunUntil([this] { return m_drained; }, kPatience + Microseconds(buffered), StoppedPlaying);
    pa_operation_unref(std::exchange(m_draining, nullptr));
    if (!m_drainSucceeded) {
        FailPlaying();
    }
    // All of it has been heard, the end included.
    m_cues.ReachAll();
    m_samplesSinceFinish = 0;
    Pause();
}

// An uncorked stream keeps the sound device awake (and a Bluetooth headset's link busy) for as
// long as Orlavo is open, so the stream is corked between items. The item was heard whole by
// now: nothing here may fail it, and a stream that cannot be corked is dropped for the next Write
// to connect again.
void PulseAudioOutput::Pause() {
    pa_operation* pause = pa_stream_cork(m_stream, 1, nullptr, nullptr);
    if (pause == nullptr) {
        Disconnect();
        return;
    }
    pa_operation_unref(pause);
    m_paused = true;
    // Nobody runs the main loop until the next item, so the request is sent on its way now.
    for (int pass = 0; pass < 4 && pa_mainloop_iterate(m_mainloop, 0, nullptr) > 0; ++pass) {
    }
}

void PulseAudioOutput::Cancel() {
    m_cancelled = true;
    pa_mainloop_wakeup(m_mainloop);
}

void PulseAudioOutput::NextUtterance() {
    m_cut = false;
    m_cues.Clear();
}

void PulseAudioOutput::CutUtterance() {
    m_cut = true;
    pa_mainloop_wakeup(m_mainloop);
}

// Nothing more of the utterance under way is waited for: neither its words nor its end.
void PulseAudioOutput::ForgetUtterance() {
    m_cues.Clear();
    if (m_draining != nullptr) {
        pa_operation_cancel(m_draining);
        pa_operation_unref(std::exchange(m_draining, nullptr));
    }
}

// Quiet at once: the server drops what it holds of the stream and pauses it; the connection stays
// for the next utterance, whose Write plays it again.
void PulseAudioOutput::DropUtterance() {
    ForgetUtterance();
    if (m_stream != nullptr) {
        pa_operation* pause = pa_stream_cork(m_stream, 1, nullptr, nullptr);
        pa_operation* drop = pa_stream_flush(m_stream, nullptr, nullptr);
        for (pa_operation* operation : {pause, drop}) {
            if (operation != nullptr) {
                pa_operation_unref(operation);
            }
        }
        if (pause == nullptr || drop == nullptr) {
            Disconnect();
        } else {
            m_paused = true;
            for (int pass = 0; pass < 4 && pa_mainloop_iterate(m_mainloop, 0, nullptr) > 0;
                 ++pass) {
            }
        }
    }
    m_samplesSinceFinish = 0;
    throw SpeechCut();
}

// Runs the main loop, asleep in poll between events, until `done` holds. Gives up when the server
// drops the connection or the stream (`describe` words that for the person), when the server
// does nothing at all for `limit`, when the output device stays suspended for kPatience, or when
// Cancel is called.
void PulseAudioOutput::RunUntil(const std::function<bool()>& done, Microseconds limit,
                                Describe describe) {
    SteadyClock::time_point deadline = SteadyClock::now() + limit;
    // A suspended sink plays nothing, yet the server that says so is alive: the device may come
    // back (a headset reconnecting, a dock plugged in again), so it is waited for, and when it
    // does not, the person is told it is the device. (A flag beside the time, not an optional:
    // GCC 12 at -O2 takes the optional's value for uninitialised and -Werror stops the build.)
    bool waitingForDevice = false;
    SteadyClock::time_point suspendedSince{};
    for (;;) {
        if (m_cancelled) {
            Fail(kSpeechCutOff);
        }
        if (m_cut) {
            DropUtterance();
        }
        if (const Breakage breakage = Broken(); breakage.error != PA_OK) {
            Fail(describe(breakage.error, breakage.streamOnly));
        }
        const Microseconds nextCue = m_cues.Reach(m_stream, m_samplesSinceFinish, kPatience);
        if (done()) {
            return;
        }
        const SteadyClock::time_point now = SteadyClock::now();
        const bool suspended = m_stream != nullptr && pa_stream_is_suspended(m_stream) == 1;
        if (suspended && !waitingForDevice) {
            waitingForDevice = true;
            suspendedSince = now;
        } else if (!suspended && waitingForDevice) {
            waitingForDevice = false;
            deadline = std::max(deadline, now + limit);
        }
        const SteadyClock::time_point giveUp =
            waitingForDevice ? suspendedSince + kPatience : deadline;
        const auto left = std::chrono::ceil<Microseconds>(giveUp - now).count();
        if (left <= 0) {
            Fail(waitingForDevice ? kOutputDeviceUnavailable : kSoundServerNotResponding);
        }
        if (pa_mainloop_prepare(m_mainloop, static_cast<int>(std::min<decltype(left)>(
                                                {left, nextCue.count(), INT_MAX}))) < 0 ||
            pa_mainloop_poll(m_mainloop) < 0 || pa_mainloop_dispatch(m_mainloop) < 0) {
            Fail(describe(PA_ERR_INTERNAL, false));
        }
    }
}

PulseAudioOutput::Breakage PulseAudioOutput::Broken() const {
    const pa_context_state_t context = pa_context_get_state(m_context);
    if (context == PA_CONTEXT_FAILED || context == PA_CONTEXT_TERMINATED) {
        const int error = pa_context_errno(m_context);
        return {error != PA_OK ? error : PA_ERR_CONNECTIONTERMINATED, false};
    }
    if (m_stream != nullptr) {
        const pa_stream_state_t stream = pa_stream_get_state(m_stream);
        if (stream == PA_STREAM_FAILED || stream == PA_STREAM_TERMINATED) {
            const int error = pa_context_errno(m_context);
            return {error != PA_OK ? error : PA_ERR_KILLED, true};
        }
    }
    return {};
}

// For a request the server refused while playing: the connection's state tells why.
void PulseAudioOutput::FailPlaying() {
    Breakage breakage = Broken();
    if (breakage.error == PA_OK) {
        breakage.error = pa_context_errno(m_context);
    }
    Fail(StoppedPlaying(breakage.error, breakage.streamOnly));
}

// Dropping the stream makes the server discard what it still held of it, so whatever stops
// playback here also stops the sound at once.
void PulseAudioOutput::Disconnect() {
    ForgetUtterance();
    if (m_stream != nullptr) {
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context != nullptr) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_paused = false;
}

void PulseAudioOutput::Fail(const std::string& message) {
    // The connection is of no further use; the next item starts a new one.
    Disconnect();
    throw RuntimeError(kAudioFailed, message);
}

}  // namespace orlavo
