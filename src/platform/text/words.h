#pragma once

// Where the words of a text begin and end, for the voices that tell which word is being heard and
// the list that marks it. A word is a run of characters between blanks, without the punctuation
// that opens it; in the scripts written without spaces (Chinese, Japanese) each character is a
// word, as the synthesizers read them. Byte offsets into UTF-8 text; malformed bytes count as
// letters.

#include <cstddef>
#include <string_view>

namespace orlavo::words {

// The first byte at or after `from` that starts a word; text.size() when no word follows.
std::size_t NextStart(std::string_view text, std::size_t from);
// Where the word that starts at `begin` ends: before the next blank and the signs that close the
// word there, or after its one character in a script written without spaces.
std::size_t End(std::string_view text, std::size_t begin);

}  // namespace orlavo::words
