#pragma once

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace orlavo {

// How a voice is made. kAsChosen: with the synthesizer the desktop's speech settings name (the
// program's own espeak-ng for espeak-ng). kBesideScreenReader: through speech-dispatcher, the
// queue a running screen reader speaks in, with the same synthesizer where it has it, so that the
// screen reader's messages cut the book off instead of being spoken over it.
enum class VoiceRoute { kAsChosen, kBesideScreenReader };

// How whoever asked for a text follows it while it is heard, and cuts it short.
struct Listening {
    // The bytes [begin, end) of the text that hold the word being heard now, as the sound server
    // plays it, not as the synthesizer makes it. Called in the order the words are heard, on the
    // thread that called Speak, before Speak returns. A voice that cannot tell where it is (a
    // synthesizer that reports nothing) never calls it.
    std::function<void(std::size_t begin, std::size_t end)> wordHeard;
    // Once a stop is requested, the voice falls silent at once and Speak returns Spoken::kCut.
    std::stop_token cut;
};

// Whether a text was heard to its end or cut short through Listening::cut.
enum class Spoken { kWhole, kCut };

// A text-to-speech voice. Any failure of the engine or the sound server is a RuntimeError whose
// message says what went wrong in plain words.
class Voice {
  public:
    virtual ~Voice() = default;
    // Returns once the voice can speak (the engine loaded, the sound server answering); the
    // window stays alive meanwhile.
    virtual void Prepare() = 0;
    // Returns once the text has been heard, or cut. `language` names the language of the text
    // ("ru", "pt-br"); empty means the desktop's own.
    virtual Spoken Speak(std::string text, std::string_view language,
                         const Listening& listening) = 0;
    // Cuts off the text being spoken, at once and for good: the person is closing Orlavo.
    virtual void Silence() = 0;
};

}  // namespace orlavo
