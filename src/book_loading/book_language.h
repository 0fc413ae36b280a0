#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// Which language a book is written in, so the voice can read it in that language.
//
// Looks at a sample of at most about 20 KB taken from the body of the book, away from a title
// page or a licence at its start or end. The script of the letters settles the easy cases (Greek
// is Greek; kana mean Japanese, Hangul Korean, Han characters alone Chinese); libexttextcat's
// n-gram fingerprints tell the languages that share a script apart.
//
// Returns a lowercase ISO 639-1 code ("ru", "en", "el", "ja", "zh"), or the longer code of a
// language that has none, or "" when the text is too short to tell (a few words) or the guess is
// unknown or torn between languages. Takes a few milliseconds; the first call also loads the
// fingerprints, which are kept for the rest of the run.
std::string GuessBookLanguage(std::string_view utf8Text);

}  // namespace orlavo
