#pragma once

#include <cstdint>
#include <span>

namespace orlavo {

// Where synthesised speech goes: the sound server while the program runs, memory in tests.
// Samples are signed 16-bit mono at the synthesiser's rate.
class PcmSink {
  public:
    virtual ~PcmSink() = default;
    virtual void Write(std::span<const std::int16_t> samples) = 0;
    // The utterance is complete: returns once everything written so far has been heard.
    virtual void Finish() = 0;
    // Cuts speech off for good, from any thread: the Write or Finish under way ends soon with an
    // error, and so does every later one. A sink that never waits has nothing to cut off.
    virtual void Cancel() {}
};

}  // namespace orlavo
