#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// Which language a book is written in, so the voice can read it in that language.
//
// CLD2, Google's language detector with its full tables (some 160 languages), looks at a sample
// of at most about 64 KB taken from the body of the book, away from a title page or a licence at
// its start or end. `charset`, the encoding the book was read in (by its iconv name), is CLD2's
// hint where it implies a language: Shift_JIS, EUC-JP and ISO-2022-JP Japanese, EUC-KR Korean,
// GB18030 and Big5 Chinese, and a few single-byte code pages.
//
// Returns the code espeak-ng names the language by ("ru", "en", "he", "nb", "zh"), or "" when
// the text is too short or mixed to tell, or when espeak-ng has no voice for the language, so
// the desktop's language reads it rather than a near one that is wrong. Takes a few milliseconds
// and may be called from several threads at once.
std::string GuessBookLanguage(std::string_view utf8Text, std::string_view charset = {});

// CLD2's own verdict on all of `utf8Text`, with `charset` as its hint as above: its code for the
// language ("en", "iw", "nn", "zh-Hant", "yo"), or "un" when it cannot tell.
std::string DetectedLanguageCode(std::string_view utf8Text, std::string_view charset = {});

}  // namespace orlavo
