#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "platform/voice/pcm_sink.h"

namespace orlavo::testing {

// A sink that keeps everything it is given, one entry per finished utterance; a cue is reached as
// it comes, with the samples written before it in `current`.
struct PcmRecorder : PcmSink {
    void Write(std::span<const std::int16_t> samples) override {
        ++writes;
        current.insert(current.end(), samples.begin(), samples.end());
    }
    void Finish() override { utterances.push_back(std::exchange(current, {})); }

    std::vector<std::int16_t> current;
    std::vector<std::vector<std::int16_t>> utterances;
    int writes = 0;
};

}  // namespace orlavo::testing
