#include "book_loading/book_language.h"

#include <textcat.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <mutex>
#include <numeric>
#include <utility>

#include "book_loading/script.h"
#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace orlavo {
namespace {

using namespace std::string_view_literals;

constexpr std::size_t kSampleSize = 64 * 1024;
constexpr std::size_t kSamplePieces = 4;

// Fewer letters than this are a few words: too few to tell a language by.
constexpr std::size_t kFewestLetters = 24;

// The fingerprints of languages that have a two-letter code under another name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kTwoLetterCodes = {{
    {"gug"sv, "gn"sv},
    {"plt"sv, "mg"sv},
    {"quz"sv, "qu"sv},
}};

// Scripts that one language writes nearly alone, by the code of that language.
constexpr std::array<std::pair<Script, std::string_view>, 8> kScriptLanguages = {{
    {Script::kGreek, "el"sv},
    {Script::kArmenian, "hy"sv},
    {Script::kHebrew, "he"sv},
    {Script::kThai, "th"sv},
    {Script::kGeorgian, "ka"sv},
    {Script::kHangul, "ko"sv},
    {Script::kHan, "zh"sv},
    {Script::kKana, "ja"sv},
}};

// Encodings made for one language.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kCharsetLanguages = {{
    {"CP932"sv, "ja"sv},
    {"EUC-JP"sv, "ja"sv},
    {"ISO-2022-JP-2"sv, "ja"sv},
    {"CP949"sv, "ko"sv},
    {"UHC"sv, "ko"sv},
    {"JOHAB"sv, "ko"sv},
    {"ISO-2022-KR"sv, "ko"sv},
}};

// Languages the fingerprints know and espeak-ng has no voice for, and the near one it reads them
// with.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kNearVoices = {{
    {"nn"sv, "nb"sv},
    {"rue"sv, "uk"sv},
    {"sco"sv, "en"sv},
    {"sh"sv, "sr"sv},
}};

// Of two near languages, the one `first` names when the text holds any of its letters or words
// (each between spaces), and the other otherwise; the fingerprint's guess stands when neither
// shows. The words: small ones that one language writes and the other spells otherwise.
struct NearPair {
    std::string_view first;
    std::string_view second;
    std::array<std::string_view, 12> firstMarks;
    std::array<std::string_view, 12> secondMarks;
};

const std::array<NearPair, 6> kNearPairs = {{
    {"sk"sv, "cs"sv, {"ľ", "ĺ", "ŕ", "ô", "ä", "Ľ"}, {"ř", "ů", "ě", "Ř"}},
    {"be"sv, "ru"sv, {"ў", "Ў"}, {"ы"}},
    {"uk"sv, "ru"sv, {"ї", "є", "ґ", "Ї", "Є"}, {"ы", "э", "ё"}},
    {"bg"sv,
     "ru"sv,
     {" съм ", " са ", " не е ", " беше ", " си ", " на ", " за "},
     {"ы", "э", "ё"}},
    {"hr"sv, "sl"sv, {"ć", "đ", "Ć", "Đ"}, {}},
    {"nb"sv,
     "da"sv,
     {" meg ", " deg ", " seg ", " hva ", " noen ", " noe ", " mye ", " etter ", " ble ",
      " hadde "},
     {" mig ", " dig ", " sig ", " hvad ", " nogen ", " noget ", " meget ", " efter ", " blev ",
      " havde ", " af "}},
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

std::string Settled(std::string code, const std::string& sample) {
    for (const auto& [unvoiced, near] : kNearVoices) {
        if (code == unvoiced) {
            code = near;
        }
    }
    const auto shows = [&sample](const auto& marks) {
        return std::any_of(marks.begin(), marks.end(), [&sample](std::string_view mark) {
            return !mark.empty() && sample.find(mark) != std::string::npos;
        });
    };
    for (const NearPair& pair : kNearPairs) {
        if (code != pair.first && code != pair.second) {
            continue;
        }
        if (shows(pair.firstMarks) && !shows(pair.secondMarks)) {
            return std::string(pair.first);
        }
        if (shows(pair.secondMarks) && !shows(pair.firstMarks)) {
            return std::string(pair.second);
        }
    }
    return code;
}

}  // namespace

std::string GuessBookLanguage(std::string_view utf8Text, std::string_view charset) {
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
    const std::size_t cjk = count(Script::kKana) + count(Script::kHangul) + count(Script::kHan);
    for (const auto& [name, language] : kCharsetLanguages) {
        if (charset == name && cjk * 2 >= total) {
            return std::string(language);
        }
    }
    // Japanese writes its endings and small words in kana among the Han characters, so a modest
    // share of kana is enough; Chinese has none.
    if (count(Script::kKana) * 10 >= total) {
        return "ja";
    }
    for (const auto& [script, language] : kScriptLanguages) {
        if (count(script) * 2 >= total) {
            return std::string(language);
        }
    }
    return Settled(LanguageCode(SharedFingerprints().Classify(sample)), " " + sample + " ");
}

}  // namespace orlavo
