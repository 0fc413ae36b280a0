#include "book_loading/charset_judge.h"

#include <algorithm>
#include <array>

#include "book_loading/legacy_encodings.h"
#include "platform/text/utf8.h"

namespace orlavo::text_decoding {
namespace {

using namespace std::string_view_literals;

// uchardet's answers that these code pages are taken for.
constexpr std::array kDoubtful = {""sv, "WINDOWS-1252"sv, "ISO-8859-15"sv, "WINDOWS-1250"sv,
                                  "KOI8-U"sv};

constexpr std::array kCandidates = {"WINDOWS-1252", "ISO-8859-15",      "IBM865",      "CP737",
                                    "IBM862",       "GEORGIAN-ACADEMY", "GEORGIAN-PS", "JOHAB"};

enum class Script { kNone, kLatin, kGreek, kCyrillic, kHebrew, kGeorgian, kHangul, kHan };

struct Letter {
    Script script = Script::kNone;
    bool upper = false;
    bool rare = false;  // a letter today's texts hardly use
};

Letter LetterOf(char32_t c) {
    const auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    if (in('a', 'z') || (in(0xDF, 0xFF) && c != 0xF7)) {
        return {Script::kLatin, false};
    }
    if (in('A', 'Z') || (in(0xC0, 0xDE) && c != 0xD7)) {
        return {Script::kLatin, true};
    }
    if (in(0x100, 0x24F)) {
        // Capitals and small letters alternate, capitals first, but from Ĺ to ň and from Ź to ž
        // the pairs start one place later.
        const bool shifted = in(0x139, 0x148) || in(0x179, 0x17E);
        return {Script::kLatin, c < 0x180 && (c % 2 == 0) != shifted};
    }
    if (in(0x386, 0x3CE)) {
        return {Script::kGreek, c < 0x3AC};
    }
    if (in(0x400, 0x4FF)) {
        return {Script::kCyrillic, c < 0x430};
    }
    if (in(0x5D0, 0x5EA)) {
        return {Script::kHebrew};
    }
    if (in(0x10D0, 0x10FA)) {
        return {Script::kGeorgian, false, c > 0x10F0};
    }
    if (in(0xAC00, 0xD7A3)) {
        return {Script::kHangul};
    }
    if (in(0x4E00, 0x9FFF)) {
        return {Script::kHan};
    }
    return {};
}

// Signs that stand where ISO-8859-15 has letters and the euro, and the box drawing that DOS code
// pages put where Windows has letters: hardly ever written in a book.
bool IsRareSign(char32_t c) {
    return c == 0xA4 || c == 0xA6 || c == 0xA8 || c == 0xB4 || c == 0xB8 ||
           (c >= 0x2500 && c <= 0x25FF);
}

bool IsSeparator(char32_t c) {
    if (c < 0x80) {
        return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    }
    return c == 0xA0 || c == 0xAB || c == 0xBB || (c >= 0x2000 && c <= 0x206F);  // quotes, dashes
}

class Words {
  public:
    void Add(char32_t c) {
        if (c == 0xFFFD || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            (c >= 0x7F && c < 0xA0) || IsRareSign(c)) {
            m_score -= 4;
        }
        if (IsSeparator(c)) {
            End();
            return;
        }
        const Letter letter = LetterOf(c);
        m_nonAscii += c >= 0x80 ? 1 : 0;
        m_ascii += c < 0x80 ? 1 : 0;
        m_bad = m_bad || letter.script == Script::kNone || letter.rare ||
                (m_script != Script::kNone && letter.script != m_script) ||
                (letter.upper && m_lowerSeen);
        m_script = letter.script;
        m_lowerSeen = m_lowerSeen || !letter.upper;
    }

    long Score() {
        End();
        return m_score;
    }

  private:
    void End() {
        // Latin words are mostly plain letters: a word of accented capitals is another
        // alphabet read in a Western code page.
        const bool latinSoup =
            m_script == Script::kLatin && m_nonAscii > m_ascii && m_nonAscii + m_ascii >= 3;
        m_score += m_bad || latinSoup ? -2 * m_nonAscii : m_nonAscii;
        m_nonAscii = 0;
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
