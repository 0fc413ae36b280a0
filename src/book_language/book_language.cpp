#include "book_language/book_language.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <utility>
#include <vector>

// CLD2's headers lean on <cstdio> and <vector> coming first.
#include <cld2/internal/lang_script.h>
#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

#include "platform/text/utf8.h"

namespace orlavo {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kSampleSize = 64 * 1024;
constexpr std::size_t kSamplePieces = 4;

// Encodings made for one language, or for a few that CLD2 weighs by them, as CLD2 knows them.
constexpr std::array<std::pair<std::string_view, CLD2::Encoding>, 18> kCharsetHints = {{
    {"CP932"sv, CLD2::JAPANESE_CP932},
    {"EUC-JP"sv, CLD2::JAPANESE_EUC_JP},
    {"ISO-2022-JP-2"sv, CLD2::JAPANESE_JIS},
    {"CP949"sv, CLD2::KOREAN_EUC_KR},
    {"UHC"sv, CLD2::KOREAN_EUC_KR},
    {"JOHAB"sv, CLD2::KOREAN_EUC_KR},
    {"ISO-2022-KR"sv, CLD2::KOREAN_EUC_KR},
    {"GB18030"sv, CLD2::CHINESE_GB},
    {"CP950"sv, CLD2::CHINESE_BIG5_CP950},
    {"BIG5-HKSCS"sv, CLD2::CHINESE_BIG5},
    {"KOI8-U"sv, CLD2::RUSSIAN_KOI8_RU},
    {"CP874"sv, CLD2::MSFT_CP874},
    {"WINDOWS-1253"sv, CLD2::MSFT_CP1253},
    {"ISO-8859-7"sv, CLD2::ISO_8859_7},
    {"WINDOWS-1255"sv, CLD2::MSFT_CP1255},
    {"ISO-8859-8"sv, CLD2::ISO_8859_8},
    {"WINDOWS-1254"sv, CLD2::MSFT_CP1254},
    {"WINDOWS-1256"sv, CLD2::MSFT_CP1256},
}};

// The languages espeak-ng has a voice for, by the code CLD2 names them with; CLD2's other codes
// stand for languages it has none for.
constexpr std::array kSpoken = {
    "af"sv, "am"sv, "ar"sv, "as"sv, "az"sv,  "ba"sv, "be"sv, "bg"sv, "bn"sv, "bs"sv, "ca"sv, "cs"sv,
    "cy"sv, "da"sv, "de"sv, "el"sv, "en"sv,  "eo"sv, "es"sv, "et"sv, "eu"sv, "fa"sv, "fi"sv, "fr"sv,
    "ga"sv, "gd"sv, "gn"sv, "gu"sv, "haw"sv, "he"sv, "hi"sv, "hr"sv, "ht"sv, "hu"sv, "hy"sv, "ia"sv,
    "id"sv, "is"sv, "it"sv, "ja"sv, "ka"sv,  "kk"sv, "kl"sv, "kn"sv, "ko"sv, "ku"sv, "ky"sv, "la"sv,
    "lb"sv, "lt"sv, "lv"sv, "mi"sv, "mk"sv,  "ml"sv, "mr"sv, "ms"sv, "mt"sv, "my"sv, "nb"sv, "ne"sv,
    "nl"sv, "om"sv, "or"sv, "pa"sv, "pl"sv,  "pt"sv, "qu"sv, "ro"sv, "ru"sv, "sd"sv, "si"sv, "sk"sv,
    "sl"sv, "sq"sv, "sr"sv, "sv"sv, "sw"sv,  "ta"sv, "te"sv, "th"sv, "tk"sv, "tn"sv, "tr"sv, "tt"sv,
    "ug"sv, "uk"sv, "ur"sv, "uz"sv, "vi"sv,  "zh"sv,
};

// CLD2's codes that espeak-ng knows by another: Hebrew's old code, Norwegian and Nynorsk, which
// the Bokmål voice reads, traditional Chinese, and Montenegrin, which the Serbian voice reads.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kVoiceCodes = {{
    {"iw"sv, "he"sv},
    {"no"sv, "nb"sv},
    {"nn"sv, "nb"sv},
    {"zh-Hant"sv, "zh"sv},
    {"sr-ME"sv, "sr"sv},
}};

// The whole text when it is short; otherwise a few pieces from the body of the book, away from
// its start and end, where a title page, a table of contents or a licence in another language
// would mislead the guess. Each piece starts and ends at a character.
std::string Sample(std::string_view text) {
    if (text.size() <= kSampleSize) {
        return std::string(text);
    }
    constexpr std::size_t kPiece = kSampleSize / kSamplePieces;
    std::string sample;
    sample.reserve(kSampleSize + kSamplePieces);
    for (std::size_t i = 0; i < kSamplePieces; ++i) {
        std::size_t begin = text.size() * (2 * i + 1) / (2 * kSamplePieces) - kPiece / 2;
        std::size_t end = begin + kPiece;
        while (begin < end && utf8::IsContinuationByte(text[begin])) {
            ++begin;
        }
        while (end > begin && end < text.size() && utf8::IsContinuationByte(text[end])) {
            --end;
        }
        sample.append(text.substr(begin, end - begin));
        sample.push_back('\n');
    }
    return sample;
}

}  // namespace

std::string DetectedLanguageCode(std::string_view utf8Text, std::string_view charset) {
    CLD2::CLDHints hints = {nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    for (const auto& [name, encoding] : kCharsetHints) {
        if (charset == name) {
            hints.encoding_hint = encoding;
        }
    }
    CLD2::Language top3[3];
    int percent3[3];
    double scores3[3];
    int textBytes = 0;
    bool reliable = false;
    int validBytes = 0;
    const CLD2::Language language = CLD2::ExtDetectLanguageSummaryCheckUTF8(
        utf8Text.data(), static_cast<int>(utf8Text.size()), true, &hints, 0, top3, percent3,
        scores3, nullptr, &textBytes, &reliable, &validBytes);
    return CLD2::LanguageCode(language);
}

std::string GuessBookLanguage(std::string_view utf8Text, std::string_view charset) {
    const std::string detected = DetectedLanguageCode(Sample(utf8Text), charset);
    std::string_view code = detected;
    for (const auto& [named, voiced] : kVoiceCodes) {
        if (code == named) {
            code = voiced;
        }
    }
    if (std::find(kSpoken.begin(), kSpoken.end(), code) == kSpoken.end()) {
        return {};
    }
    return std::string(code);
}

}  // namespace orlavo
