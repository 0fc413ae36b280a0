#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// A book's text as speech-dispatcher takes it in SSML: the characters markup gives a meaning
// escaped, and, when `marked`, an index mark before each word (platform/text/words.h), named by
// the byte of the text the word begins at, which the synthesizer says back as it reaches it.
std::string AsSsml(std::string_view text, bool marked);

}  // namespace orlavo
