#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// Which language a book is written in, so the voice can read it in that language.
//
// Looks at a sample of at most about 64 KB taken from the body of the book, away from a title
// page or a licence at its start or end. The script of the letters settles the easy cases (Greek
// is Greek, unless its words are Ancient Greek; Hebrew, Georgian, Armenian and Thai letters each
// name their language; kana mean Japanese, Hangul Korean, Han characters alone Chinese);
// libexttextcat's n-gram fingerprints tell the languages that share a script apart, and letters
// or small words that near languages never write settle what the fingerprints cannot (Slovak
// and Czech, Belarusian, Ukrainian, Bulgarian and Russian, Norwegian and Danish, Croatian and
// Slovenian). Where a short text leaves the fingerprints torn, letters only one language writes
// name it (Maltese, Lithuanian, Latvian). A language espeak-ng has no voice for gives way to the
// near one it has (Nynorsk to Bokmål).
//
// Returns a lowercase ISO 639-1 code ("ru", "en", "el", "ja", "zh"), or the longer code of a
// language that has none, or "" when the text is too short to tell (a few words) or the guess is
// unknown or torn between languages. Takes a few milliseconds; the first call also loads the
// fingerprints, which are kept for the rest of the run.
//
// `charset`, the encoding the book was read in, settles CJK where it implies one language
// (Shift_JIS, EUC-JP and ISO-2022-JP are Japanese; Johab, EUC-KR and ISO-2022-KR Korean), so a
// Japanese text of Han characters and few kana is not taken for Chinese.
std::string GuessBookLanguage(std::string_view utf8Text, std::string_view charset = {});

}  // namespace orlavo
