#include "book_loading/book_language.h"

#include <fingerprint.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <fstream>
#include <memory>
#include <numeric>
#include <sstream>
#include <utility>
#include <vector>

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

// libexttextcat's own measure: the n-grams a fingerprint holds, and how far behind the best
// fingerprint another is still a close one.
constexpr int kNgrams = 400;
constexpr double kCloseScore = 1.03;

// More close fingerprints than this, and the text is torn between them.
constexpr std::size_t kMostClose = 5;

// The fingerprints of languages that have a two-letter code under another name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kTwoLetterCodes = {{
    {"gug"sv, "gn"sv},
    {"plt"sv, "mg"sv},
    {"quz"sv, "qu"sv},
    {"qxa"sv, "qu"sv},
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

// Languages the fingerprints take for one another, each with letters or small words (between
// spaces) it never writes. When the fingerprints name one of a group, the one member the text
// does not rule out is named; when none or several remain, the fingerprints' guess stands.
// Belarusian writes ы, э and ё as Russian does, but neither и nor щ; Russian writes ъ only before
// a vowel, Bulgarian before consonants and at the ends of words.
struct NearLanguage {
    std::string_view code;
    std::array<std::string_view, 12> neverWrites;
};

const std::array<std::array<NearLanguage, 4>, 4> kNearGroups = {{
    {{{"sk"sv, {"ř", "ů", "ě", "Ř", " byl ", " jsem ", " jsou ", " jako ", " nebo ", " který "}},
      {"cs"sv,
       {"ľ", "ĺ", "ŕ", "ô", "ä", "Ľ", " bol ", " sa ", " ako ", " alebo ", " sú ", " som "}}}},
    {{{"ru"sv, {"ў", "і", "ї", "є", "ґ", " е ", " са ", " съм ", "ът ", "ър", "ък", "ъл"}},
      {"be"sv, {"и", "щ", "ъ", "ї", "є", "ґ", "И", "Щ"}},
      {"uk"sv, {"ы", "э", "ё", "ъ", "ў", "Э"}},
      {"bg"sv, {"ы", "э", "ё", "і", "ў", "ї", "є", "ґ", "І", "Э"}}}},
    {{{"hr"sv, {}}, {"sl"sv, {"ć", "đ", "Ć", "Đ"}}}},
    {{{"nb"sv,
       {" mig ", " dig ", " sig ", " hvad ", " nogen ", " noget ", " meget ", " efter ", " blev ",
        " havde ", " af "}},
      {"da"sv,
       {" meg ", " deg ", " seg ", " hva ", " noen ", " noe ", " mye ", " etter ", " ble ",
        " hadde ", " å "}}}},
}};

// Letters that of all the languages the fingerprints know only one writes, which settle a text the
// fingerprints are torn about when that language is among the close ones.
const std::array<std::pair<std::string_view, std::array<std::string_view, 8>>, 3> kOwnLetters = {{
    {"mt"sv, {"ħ", "ġ", "ċ", "Ħ", "Ġ", "Ċ"}},
    {"lt"sv, {"ė", "į", "ų", "Ė", "Į", "Ų"}},
    {"lv"sv, {"ķ", "ļ", "ņ", "ģ", "Ķ", "Ļ", "Ņ", "Ģ"}},
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

// The fingerprints, loaded on first use and kept for the run. libexttextcat's own verdict gives
// no names at all when more than a handful are close, so the scores are taken here. Comparing
// only reads the fingerprints: books may be guessed at once.
class Fingerprints {
  public:
    Fingerprints() {
        // A line names a fingerprint's file and the fingerprint; '#' starts a comment.
        std::ifstream list(ORLAVO_TEXTCAT_DIR "/fpdb.conf");
        std::string line;
        while (std::getline(list, line)) {
            std::istringstream fields(line.substr(0, line.find('#')));
            std::string file;
            std::string name;
            if (!(fields >> file >> name)) {
                continue;
            }
            void* print = fp_Init(name.c_str());
            if (fp_Read(print, (ORLAVO_TEXTCAT_DIR "/" + file).c_str(), kNgrams) == 0) {
                fp_Done(print);
                continue;
            }
            m_prints.push_back(print);
        }
    }
    ~Fingerprints() {
        for (void* print : m_prints) {
            fp_Done(print);
        }
    }
    Fingerprints(const Fingerprints&) = delete;
    Fingerprints& operator=(const Fingerprints&) = delete;

    // The names of the fingerprints close to the text's ("ru--utf8", "zh-CN-utf8"), best first:
    // a few close ones are usually related languages. None when the text is too short for one.
    std::vector<std::string> Close(std::string_view text) {
        const std::unique_ptr<void, decltype(&fp_Done)> unknown(fp_Init(nullptr), &fp_Done);
        if (fp_Create(unknown.get(), text.data(), static_cast<uint4>(text.size()), kNgrams) == 0) {
            return {};
        }
        // A fingerprint stops counting once it is past the best so far by the margin.
        std::vector<std::pair<int, void*>> scores;
        int best = INT_MAX;
        int cutoff = INT_MAX;
        for (void* print : m_prints) {
            const int score = fp_Compare(print, unknown.get(), cutoff);
            scores.emplace_back(score, print);
            if (score < best) {
                best = score;
                cutoff = static_cast<int>(score * kCloseScore);
            }
        }
        std::sort(scores.begin(), scores.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::string> close;
        for (const auto& [score, print] : scores) {
            if (score >= cutoff) {
                break;
            }
            close.emplace_back(fp_Name(print));
        }
        return close;
    }

  private:
    std::vector<void*> m_prints;
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

bool Shows(const std::string& sample, const auto& marks) {
    return std::any_of(marks.begin(), marks.end(), [&sample](std::string_view mark) {
        return !mark.empty() && sample.find(mark) != std::string::npos;
    });
}

// The language the close fingerprints (best first) name, as the letters and words of the sample
// settle it. In `words`, the sample with a space at either end and in place of every ASCII sign
// that is not a letter, each word stands between spaces.
std::string Settled(const std::vector<std::string>& close, const std::string& words) {
    if (close.empty()) {
        return {};
    }
    // Torn: a guess from the n-grams alone would often be a wrong voice rather than none.
    if (close.size() > kMostClose) {
        for (const std::string& print : close) {
            for (const auto& [language, letters] : kOwnLetters) {
                if (LanguageCode(print) == language && Shows(words, letters)) {
                    return std::string(language);
                }
            }
        }
        return {};
    }
    std::string code = LanguageCode(close.front());
    for (const auto& [unvoiced, near] : kNearVoices) {
        if (code == unvoiced) {
            code = near;
        }
    }
    for (const auto& group : kNearGroups) {
        if (std::none_of(group.begin(), group.end(),
                         [&code](const NearLanguage& near) { return near.code == code; })) {
            continue;
        }
        std::vector<std::string_view> remaining;
        for (const NearLanguage& near : group) {
            if (!near.code.empty() && !Shows(words, near.neverWrites)) {
                remaining.push_back(near.code);
            }
        }
        if (remaining.size() == 1) {
            return std::string(remaining.front());
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
            // Ancient Greek writes today's letters with more accents; its words tell it.
            if (script == Script::kGreek) {
                const std::vector<std::string> close = SharedFingerprints().Close(sample);
                if (!close.empty() && LanguageCode(close.front()) == "grc") {
                    return "grc";
                }
            }
            return std::string(language);
        }
    }
    // Words are told between spaces: a word before a comma, a full stop or a line end counts too.
    std::string words = " " + sample + " ";
    std::replace_if(
        words.begin(), words.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x80 && !ascii::IsLetter(c); }, ' ');
    return Settled(SharedFingerprints().Close(sample), words);
}

}  // namespace orlavo
