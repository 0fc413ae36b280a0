#include "platform/text/utf8.h"

namespace orlavo::utf8 {

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += IsContinuationByte(byte) ? 0 : 1;
    }
    return count;
}

std::size_t CutAfterCharacters(std::string_view text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i]) && characters++ == count) {
            return i;
        }
    }
    return text.size();
}

}  // namespace orlavo::utf8
