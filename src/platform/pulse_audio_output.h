#pragma once

#include <cstdint>
#include <span>

#include "platform/pcm_sink.h"

struct pa_simple;

namespace orlavo {

// Plays speech through the PulseAudio (or PipeWire-Pulse) sound server as it is synthesised.
// Finish returns once the server has played everything. Every failure is a
// RuntimeError(kAudioFailed) carrying the server's own words; after one, the next Write connects
// again, so a sound server started or restarted later is picked up.
class PulseAudioOutput : public PcmSink {
  public:
    // Connects at once, so a missing sound server is reported when the voice is created.
    explicit PulseAudioOutput(int sampleRate);
    ~PulseAudioOutput() override;
    PulseAudioOutput(const PulseAudioOutput&) = delete;
    PulseAudioOutput& operator=(const PulseAudioOutput&) = delete;

    void Write(std::span<const std::int16_t> samples) override;
    void Finish() override;

  private:
    void Connect();
    [[noreturn]] void Fail(const char* what, int error);

    int m_sampleRate;
    pa_simple* m_stream = nullptr;
};

}  // namespace orlavo
