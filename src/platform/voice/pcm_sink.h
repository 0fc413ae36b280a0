#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <span>

namespace orlavo {

// Thrown through the synthesiser when the text being spoken was cut short on purpose: not a
// failure, so the voice stays usable for the next text.
class SpeechCut : public std::exception {
  public:
    const char* what() const noexcept override { return "speech cut short"; }
};

// Where synthesised speech goes: the sound server while the program runs, memory in tests.
// Samples are signed 16-bit mono at the synthesiser's rate.
class PcmSink {
  public:
    virtual ~PcmSink() = default;
    virtual void Write(std::span<const std::int16_t> samples) = 0;
    // A point between the samples written before it and those written after: `reached` is called,
    // on the thread that writes, once everything before it has been heard. A sink that plays
    // nothing has nothing to wait for.
    virtual void Cue(std::function<void()> reached) { reached(); }
    // The utterance is complete: returns once everything written so far has been heard.
    virtual void Finish() = 0;
    // Cuts speech off for good, from any thread: the Write or Finish under way ends soon with an
    // error, and so does every later one. A sink that never waits has nothing to cut off.
    virtual void Cancel() {}
};

}  // namespace orlavo
