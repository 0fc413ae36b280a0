#include "platform/speechd/ssml_text.h"

#include "platform/text/words.h"

namespace orlavo {
namespace {

// The three characters markup gives a meaning, and the control characters XML forbids, which a
// book has none of that matter.
void AppendEscaped(std::string& ssml, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                ssml += "&amp;";
                break;
            case '<':
                ssml += "&lt;";
                break;
            case '>':
                ssml += "&gt;";
                break;
            default:
                ssml += static_cast<unsigned char>(c) < 0x20 && c != '\t' ? ' ' : c;
        }
    }
}

}  // namespace

// espeak-ng drops a mark that stands between a full stop and the capital of the next sentence
// ("one. <mark/>Two"), which would leave the first word of every sentence unmarked; a word joiner
// before the mark, a character that is neither seen nor heard, keeps it and changes no timing.
std::string AsSsml(std::string_view text, bool marked) {
    std::string ssml = "<speak>";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t word = marked ? words::NextStart(text, at) : text.size();
        AppendEscaped(ssml, text.substr(at, word - at));
        if (word == text.size()) {
            break;
        }
        ssml += "\u2060<mark name=\"" + std::to_string(word) + "\"/>";
        at = words::End(text, word);
        AppendEscaped(ssml, text.substr(word, at - word));
    }
    return ssml + "</speak>";
}

}  // namespace orlavo
