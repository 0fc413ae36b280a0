#pragma once

#include <string_view>

namespace orlavo {

// A text-to-speech voice. Speak returns once the text has been heard; any failure of the engine
// or the sound server is a RuntimeError whose message says what went wrong.
class Voice {
  public:
    virtual ~Voice() = default;
    virtual void Speak(std::string_view text) = 0;
};

}  // namespace orlavo
