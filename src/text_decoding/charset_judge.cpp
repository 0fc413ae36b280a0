#include "text_decoding/charset_judge.h"

#include <algorithm>
#include <array>

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "text_decoding/charset_decoding.h"
#include "text_decoding/script.h"

namespace orlavo::text_decoding {
namespace {

using namespace std::string_view_literals;

// uchardet's answers that these code pages are taken for.
constexpr std::array kDoubtful = {
    ""sv,       "WINDOWS-1252"sv,      "ISO-8859-15"sv, "WINDOWS-1250"sv,
    "KOI8-U"sv, "MAC-CENTRALEUROPE"sv, "ISO-8859-3"sv,  "ISO-8859-7"sv};

constexpr std::array kCandidates = {
    "WINDOWS-1252", "ISO-8859-15",      "IBM850",      "IBM865", "CP737",
    "IBM862",       "GEORGIAN-ACADEMY", "GEORGIAN-PS", "JOHAB",  "ARMSCII-8"};

struct Letter {
    Script script = Script::kNone;
    bool upper = false;
    bool rare = false;  // a letter today's texts hardly use
};

Letter LetterOf(char32_t c) {
    const auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    switch (const Script script = ScriptOf(c)) {
        case Script::kLatin: {
            // Past ASCII, capitals and small letters alternate, capitals first, but from Ĺ to ň
            // and from Ź to ž the pairs start one place later.
            const bool shifted = in(0x139, 0x148) || in(0x179, 0x17E);
            return {script, in('A', 'Z') || in(0xC0, 0xDE) ||
                                (in(0x100, 0x17F) && (c % 2 == 0) != shifted)};
        }
        case Script::kGreek:
            return {script, c < 0x3AC};
        case Script::kCyrillic:
            return {script, c < 0x430};
        case Script::kArmenian:
            return {script, c < 0x561};
        case Script::kGeorgian:
            return {script, false, c < 0x10D0 || c > 0x10F0};
        case Script::kHebrew:
        case Script::kHangul:
        case Script::kHan:
            return {script};
        default:
            // The code pages judged here write none of the others: such a letter is a misreading.
            return {};
    }
}

// The sign that stands where ISO-8859-15 has the euro, and the box drawing that DOS code pages put
// where Windows has letters: hardly ever written in a book. (The signs where ISO-8859-15 has Š, Ž
// and Œ stand inside words, which tell them.)
bool IsRareSign(char32_t c) {
    return c == 0xA4 || (c >= 0x2500 && c <= 0x25FF);
}

bool IsSeparator(char32_t c) {
    if (c < 0x80) {
        return !ascii::IsLetter(static_cast<char>(c));
    }
    // Quotes, dashes, and Armenian's own stops and commas.
    return c == 0xA0 || c == 0xAB || c == 0xBB || (c >= 0x2000 && c <= 0x206F) ||
           (c >= 0x55A && c <= 0x55F) || c == 0x589;
}

class Words {
  public:
    void Add(char32_t c) {
        if (c == 0xFFFD || (c < 0x20 && !IsKeptControl(static_cast<unsigned char>(c))) ||
            (c >= 0x7F && c < 0xA0) || IsRareSign(c)) {
            m_score -= 4;
        }
        // A curly quote at one end of a word is as much the mark of the right code page as a
        // letter: another one reads it as a letter there. Between two letters it is a letter
        // misread.
        const bool quote = c == 0x2018 || c == 0x2019 || c == 0x201C || c == 0x201D || c == 0x201E;
        if ((m_quote == Quote::kAfterWord) == IsSeparator(c) && m_quote != Quote::kNone) {
            ++m_score;
        }
        m_quote = !quote ? Quote::kNone : m_letters > 0 ? Quote::kAfterWord : Quote::kBeforeWord;
        if (IsSeparator(c)) {
            End();
            return;
        }
        const Letter letter = LetterOf(c);
        m_nonAscii += c >= 0x80 ? 1 : 0;
        m_ascii += c < 0x80 ? 1 : 0;
        // A sign standing alone (©, £, °) is as a book writes it; among letters it is a misreading.
        if (letter.script == Script::kNone) {
            m_sign = true;
            return;
        }
        m_bad = m_bad || letter.rare || (m_script != Script::kNone && letter.script != m_script) ||
                (letter.upper && m_lowerSeen);
        m_script = letter.script;
        m_lowerSeen = m_lowerSeen || !letter.upper;
        ++m_letters;
    }

    long Score() {
        Add(' ');
        End();
        return m_score;
    }

  private:
    void End() {
        // Latin words are mostly plain letters: a word of accented capitals is another
        // alphabet read in a Western code page.
        const bool latinSoup =
            m_script == Script::kLatin && m_nonAscii > m_ascii && m_nonAscii + m_ascii >= 3;
        if (m_bad || latinSoup || (m_sign && m_letters > 0)) {
            m_score -= 2 * m_nonAscii;
        } else if (m_letters > 1) {
            m_score += m_nonAscii;
        }
        m_nonAscii = 0;
        m_letters = 0;
        m_sign = false;
        m_ascii = 0;
        m_bad = false;
        m_lowerSeen = false;
        m_script = Script::kNone;
    }

    long m_score = 0;
    long m_nonAscii = 0;
    long m_ascii = 0;
    bool m_bad = false;
    bool m_lowerSeen = false;
    Script m_script = Script::kNone;
    long m_letters = 0;
    bool m_sign = false;
    enum class Quote { kNone, kAfterWord, kBeforeWord };
    Quote m_quote = Quote::kNone;  // the last character was a quote, with a letter before or not
};

}  // namespace

long WordScore(std::string_view utf8Text) {
    Words words;
    utf8::ForEachCodePoint(utf8Text, [&words](char32_t c) { words.Add(c); });
    return words.Score();
}

std::string JudgeCharset(std::string_view piece, const std::string& detected) {
    if (std::find(kDoubtful.begin(), kDoubtful.end(), detected) == kDoubtful.end()) {
        return detected;
    }
    const std::string first = detected.empty() ? "WINDOWS-1252" : detected;
    std::string best = first;
    long bestScore = WordScore(Convert(piece, first.c_str(), 1).text);
    // The decoder turns control characters into spaces, so the C1 bytes an ISO-8859 page leaves
    // unused are counted here: Windows' curly quotes and dashes stand there.
    const auto c1 = static_cast<long>(std::count_if(piece.begin(), piece.end(), [](char b) {
        return static_cast<unsigned char>(b) >= 0x80 && static_cast<unsigned char>(b) < 0xA0;
    }));
    for (const char* candidate : kCandidates) {
        const long unused = std::string_view(candidate).starts_with("ISO-8859") ? 4 * c1 : 0;
        const long score = WordScore(Convert(piece, candidate, 1).text) - unused;
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace orlavo::text_decoding
