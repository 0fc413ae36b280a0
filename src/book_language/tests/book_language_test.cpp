// Which language a book is in, as CLD2 tells it with its full tables and as espeak-ng names it:
// one short text per language in languages.tsv, the near pairs among them, and languages
// espeak-ng has no voice for, which it must not read with a near one's.

#include "book_language/book_language.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace orlavo {
namespace {

struct LanguageCase {
    std::string name;
    std::string text;
    std::string code;
    std::string charset = {};
    friend void PrintTo(const LanguageCase& c, std::ostream* out) { *out << c.name; }
};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text + "\n";
    }
    return out;
}

// Name, language, the code Orlavo names it by, text; '#' starts a comment.
std::vector<LanguageCase> Cases() {
    std::vector<LanguageCase> cases;
    std::ifstream table(ORLAVO_LANGUAGE_TABLE);
    std::string line;
    while (std::getline(table, line)) {
        const std::size_t name = line.find('\t');
        const std::size_t language = line.find('\t', name + 1);
        const std::size_t code = line.find('\t', language + 1);
        if (!line.starts_with('#') && code != std::string::npos) {
            cases.push_back({line.substr(0, name), line.substr(code + 1),
                             line.substr(language + 1, code - language - 1)});
        }
    }
    const std::string english = cases.at(0).text;
    const std::string russian = cases.at(1).text;
    // The body of a long book decides, not the English licence before and after it
    cases.push_back({"BodyOverFrontAndBackMatter",
                     Repeat(english, 120) + Repeat(russian, 2000) + Repeat(english, 120), "ru"});
    // Four Han characters alone, which the encoding tells apart
    cases.push_back({"HanInShiftJis", "天下太平", "ja", "CP932"});
    cases.push_back({"HanInBig5", "天下太平", "zh", "CP950"});
    return cases;
}

class BookLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(BookLanguageTest, NamesTheVoiceLanguage) {
    EXPECT_EQ(GuessBookLanguage(GetParam().text, GetParam().charset), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Texts, BookLanguageTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
