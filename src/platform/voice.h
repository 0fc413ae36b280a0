#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// How a voice is made. kAsChosen: with the synthesizer the desktop's speech settings name (the
// program's own espeak-ng for espeak-ng). kBesideScreenReader: through speech-dispatcher, the
// queue a running screen reader speaks in, with the same synthesizer where it has it, so that the
// screen reader's messages cut the book off instead of being spoken over it.
enum class VoiceRoute { kAsChosen, kBesideScreenReader };

// A text-to-speech voice. Any failure of the engine or the sound server is a RuntimeError whose
// message says what went wrong in plain words.
class Voice {
  public:
    virtual ~Voice() = default;
    // Returns once the voice can speak (the engine loaded, the sound server answering); the
    // window stays alive meanwhile.
    virtual void Prepare() = 0;
    // Returns once the text has been heard. `language` names the language of the text ("ru",
    // "pt-br"); empty means the desktop's own.
    virtual void Speak(std::string text, std::string_view language) = 0;
    // Cuts off the text being spoken, at once; the Speak under way then returns.
    virtual void Silence() = 0;
};

}  // namespace orlavo
