#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace orlavo {

// Turns the bytes of a book file into the UTF-8 text the book list shows and the voice reads.
//
// Which encoding, first rule that applies:
//  1. A byte-order mark decides (UTF-8, UTF-16 LE/BE, UTF-32 LE/BE) and is dropped.
//  2. UTF-32 and UTF-16 without a mark show themselves by their zero bytes: in UTF-32 the top two
//     bytes of nearly every character; in UTF-16 the high byte of every space, digit, Latin
//     letter and line end, so one side of each byte pair is often zero and the other almost never.
//  3. Valid UTF-8 is UTF-8, unless it is 7-bit text that switches character sets with ISO-2022
//     escapes (ISO-2022-JP, ISO-2022-KR), which uchardet names and iconv decodes. So is a file
//     that is UTF-8 but for a few damaged bytes: a handful of well-formed multi-byte characters,
//     and bad bytes a small part of its non-ASCII bytes.
//  4. Anything else is a legacy encoding: uchardet names it from a few pieces of the book
//     (Windows-1251, KOI8, ISO-8859-x, Windows-1258, Shift_JIS, EUC-JP, GB18030, Big5, EUC-KR,
//     ...), and iconv decodes it. Windows-1252, the encoding of most old books made on Windows,
//     when uchardet cannot tell.
// Bytes that cannot be decoded become U+FFFD, so the reader sees where the file is damaged.
//
// Control characters: tab, CR and LF are kept, since they separate and shape the book's items.
// Every other control character (NUL, the rest of C0, DEL and the C1 range U+0080..U+009F)
// becomes one space: such bytes are debris in a plain-text book, they would show as boxes in the
// list, and a NUL must never reach the speech engine, which would take it as the end of the text.
//
// Memory: plain UTF-8, by far the most common case, is cleaned in place, so a book costs no
// second copy; any other encoding costs the file plus its decoded text, sized exactly before it
// is made. A book whose decoded text would pass kLargestDecodedText is refused with a
// RuntimeError (kFileCannotBeRead) before that memory is taken.
// `charset`, when given, learns the encoding the text was read in, by its iconv name.
// `reserve`, when given, is told the size of any decoded copy before it is made, and may refuse it
// by throwing (std::bad_alloc when the system has not got the memory).
using MemoryCheck = std::function<void(std::size_t bytes)>;
std::string DecodeBookText(std::string bytes, std::string* charset = nullptr,
                           const MemoryCheck& reserve = {});

// Twice the largest file a person may load: room for any real book in any encoding (Cyrillic
// doubles in UTF-8, CJK grows by half), but not for a file of junk that would triple.
inline constexpr std::size_t kLargestDecodedText = std::size_t{2} << 30;

}  // namespace orlavo
