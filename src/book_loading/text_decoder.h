#pragma once

#include <string>

namespace orlavo {

// Turns the bytes of a book file into the UTF-8 text the book list shows and the voice reads.
//
// Which encoding: a byte-order mark decides (UTF-8, UTF-16 LE, UTF-16 BE) and is dropped; without
// one, text that is valid UTF-8 is UTF-8, and anything else is Windows-1252, the encoding of most
// old books made on Windows. Bytes that cannot be decoded (broken sequences in a file marked as
// UTF-8 or UTF-16, and the five bytes Windows-1252 leaves undefined) become U+FFFD, so the reader
// sees where the file is damaged.
//
// Control characters: tab, CR and LF are kept, since they separate and shape the book's items.
// Every other control character (NUL, the rest of C0, DEL and the C1 range U+0080..U+009F)
// becomes one space: such bytes are debris in a plain-text book, they would show as boxes in the
// list, and a NUL must never reach the speech engine, which would take it as the end of the text.
//
// Plain UTF-8, by far the most common case, is cleaned in place, so a book costs no second copy.
std::string DecodeBookText(std::string bytes);

}  // namespace orlavo
