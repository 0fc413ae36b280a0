#include "book_loading/book_language.h"

#include <textcat.h>

#include <array>
#include <cstddef>
#include <mutex>
#include <numeric>
#include <utility>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace orlavo {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kSampleSize = 20 * 1024;
constexpr std::size_t kSamplePieces = 4;

// Fewer letters than this are a few words: too few to tell a language by.
constexpr std::size_t kFewestLetters = 24;

// The fingerprints of languages that have a two-letter code under another name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kTwoLetterCodes = {{
    {"gug"sv, "gn"sv},
    {"plt"sv, "mg"sv},
    {"quz"sv, "qu"sv},
}};

// kNone first: everything that is not a letter.
enum class Script { kNone, kLatin, kGreek, kCyrillic, kKana, kHangul, kHan, kOther };

Script ScriptOf(char32_t code) {
    const auto in = [code](char32_t first, char32_t last) { return code >= first && code <= last; };
    if (in('A', 'Z') || in('a', 'z') || (in(0xC0, 0x24F) && code != 0xD7 && code != 0xF7)) {
        return Script::kLatin;
    }
    if (in(0x370, 0x3FF) || in(0x1F00, 0x1FFF)) {
        return Script::kGreek;
    }
    if (in(0x400, 0x52F)) {
        return Script::kCyrillic;
    }
    if (in(0x3041, 0x30FF) || in(0x31F0, 0x31FF) || in(0xFF66, 0xFF9D)) {
        return Script::kKana;
    }
    if (in(0xAC00, 0xD7A3) || in(0x1100, 0x11FF) || in(0x3131, 0x318E)) {
        return Script::kHangul;
    }
    if (in(0x3400, 0x4DBF) || in(0x4E00, 0x9FFF) || in(0xF900, 0xFAFF) || in(0x20000, 0x2FFFF)) {
        return Script::kHan;
    }
    // Other alphabets (Arabic, Hebrew, Indic, Thai, ...), leaving out combining marks,
    // punctuation, symbols, CJK punctuation, private use, specials and emoji.
    if (in(0x530, 0x1FFF) || in(0xA000, 0xD7FF) || in(0x10000, 0x1EFFF)) {
        return Script::kOther;
    }
    return Script::kNone;
}

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

// The fingerprints, loaded on first use and kept for the run. libexttextcat writes its verdict
// into the handle, so one guess at a time.
class Fingerprints {
  public:
    Fingerprints()
        : m_handle(special_textcat_Init(ORLAVO_TEXTCAT_DIR "/fpdb.conf", ORLAVO_TEXTCAT_DIR "/")) {}
    ~Fingerprints() {
        if (m_handle != nullptr) {
            textcat_Done(m_handle);
        }
    }
    Fingerprints(const Fingerprints&) = delete;
    Fingerprints& operator=(const Fingerprints&) = delete;

    // The name of the fingerprint the text matches best ("ru--utf8", "zh-CN-utf8"), or "" when
    // none matches, or more than a handful match alike. A few close ones are usually related
    // languages ("[uk--utf8][ru--utf8]"), listed best first: the first is a better guess for the
    // voice than none.
    std::string Classify(std::string_view text) {
        if (m_handle == nullptr) {
            return {};
        }
        const std::lock_guard lock(m_mutex);
        const std::string_view verdict = textcat_Classify(m_handle, text.data(), text.size());
        if (verdict.empty() || verdict.front() != '[') {
            return {};
        }
        return std::string(verdict.substr(1, verdict.find(']') - 1));
    }

  private:
    void* m_handle;
    std::mutex m_mutex;
};

Fingerprints& SharedFingerprints() {
    static Fingerprints fingerprints;
    return fingerprints;
}

// "ru--utf8" gives "ru", "zh-CN-utf8" "zh".
std::string LanguageCode(std::string_view fingerprint) {
    std::string code = ascii::Lowercase(fingerprint.substr(0, fingerprint.find('-')));
    for (const auto& [name, twoLetters] : kTwoLetterCodes) {
        if (code == name) {
            return std::string(twoLetters);
        }
    }
    return code;
}

}  // namespace

std::string GuessBookLanguage(std::string_view utf8Text) {
    const std::string sample = Sample(utf8Text);
    std::array<std::size_t, static_cast<std::size_t>(Script::kOther) + 1> letters{};
    utf8::ForEachCodePoint(
        sample, [&letters](char32_t code) { ++letters[static_cast<std::size_t>(ScriptOf(code))]; });
    const auto count = [&letters](Script script) {
        return letters[static_cast<std::size_t>(script)];
    };
    const std::size_t total = std::accumulate(letters.begin() + 1, letters.end(), std::size_t{0});
    if (total < kFewestLetters) {
        return {};
    }
    // Japanese writes its endings and small words in kana among the Han characters, so a modest
    // share of kana is enough; Chinese has none.
    if (count(Script::kKana) * 10 >= total) {
        return "ja";
    }
    if (count(Script::kHangul) * 2 >= total) {
        return "ko";
    }
    if (count(Script::kHan) * 2 >= total) {
        return "zh";
    }
    if (count(Script::kGreek) * 2 >= total) {
        return "el";
    }
    return LanguageCode(SharedFingerprints().Classify(sample));
}

}  // namespace orlavo
