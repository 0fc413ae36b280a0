#pragma once

// A second opinion on uchardet's answer. It has no model for the DOS code pages of Danish and
// Norwegian (IBM865), Western Europe (IBM850), Greek (CP737) and Hebrew (IBM862), for Georgian
// (Academy, PS), Armenian (ARMSCII-8), Korean Johab, nor for the letters ISO-8859-15 puts where
// ISO-8859-1 has signs, and answers "unknown", a Western code page or Greek for them. Where its
// answer is one of those, each likely encoding decodes a piece of the book and the one whose text
// reads most like words of one alphabet wins; uchardet's own answer wins a tie.

#include <string>
#include <string_view>

namespace orlavo::text_decoding {

// The encoding to decode `piece` with, given uchardet's answer (by its wider name).
std::string JudgeCharset(std::string_view piece, const std::string& detected);

// How much `utf8` reads like words: letters of one alphabet in each word of two or more score, and
// so does a curly quote at one end of a word; a word that mixes alphabets, letters and signs, or
// breaks its case, costs, and so does each control character. A sign standing alone costs nothing.
long WordScore(std::string_view utf8);

}  // namespace orlavo::text_decoding
