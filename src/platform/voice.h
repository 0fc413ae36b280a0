#pragma once

#include <string>
#include <string_view>

namespace orlavo {

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
