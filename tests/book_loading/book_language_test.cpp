// Which language a book is in: told by its script where that is enough, by its words where not,
// and not at all from a few words.

#include "book_loading/book_language.h"

#include <gtest/gtest.h>

#include <string>

namespace orlavo {
namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text + "\n";
    }
    return out;
}

const std::string kEnglish =
    "The old house stood at the edge of the village, right by the river. "
    "Every morning the woman of the house came out onto the porch and "
    "looked at the mist above the water.";
const std::string kRussian =
    "Старый дом стоял на краю деревни, у самой реки. Каждое утро хозяйка "
    "выходила на крыльцо и смотрела на туман над водой.";

struct LanguageCase {
    const char* name;
    std::string text;
    std::string code;
};

class BookLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(BookLanguageTest, GuessesTheLanguage) {
    EXPECT_EQ(GuessBookLanguage(GetParam().text), GetParam().code);
}

const LanguageCase kLanguageCases[] = {
    // Told by the words
    {"English", kEnglish, "en"},
    {"Russian", kRussian, "ru"},
    {"Ukrainian",
     "Стара хата стояла на краю села, біля самої річки. Щоранку господиня виходила на ґанок і "
     "дивилася на туман над водою.",
     "uk"},
    {"German",
     "Das alte Haus stand am Rand des Dorfes, direkt am Fluss. Jeden Morgen trat die Hausherrin "
     "auf die Veranda und blickte auf den Nebel über dem Wasser.",
     "de"},
    {"French",
     "La vieille maison se dressait au bout du village, tout près de la rivière. Chaque matin, la "
     "maîtresse de maison sortait sur le perron et regardait la brume au-dessus de l'eau.",
     "fr"},
    {"Spanish",
     "La vieja casa estaba al final del pueblo, junto al río. Cada mañana la dueña salía al "
     "porche y miraba la niebla sobre el agua.",
     "es"},
    // Told by the script
    {"Greek", "Το παλιό σπίτι βρισκόταν στην άκρη του χωριού, δίπλα στο ποτάμι.", "el"},
    {"Japanese", "古い家は村のはずれ、川のすぐそばに立っていた。毎朝、家の主人は縁側に出た。",
     "ja"},
    {"ChineseSimplified", "老房子立在村子的尽头，紧靠着河边。每天早晨，女主人都会走到门廊上。",
     "zh"},
    {"ChineseTraditional", "老房子立在村子的盡頭，緊靠著河邊。每天早晨，女主人都會走到門廊上。",
     "zh"},
    {"Korean", "오래된 집은 마을 끝, 강가 바로 옆에 서 있었다. 매일 아침 집주인은 마루에 나왔다.",
     "ko"},
    // The body of a long book decides, not the English licence before and after it
    {"BodyOverFrontAndBackMatter",
     Repeat(kEnglish, 120) + Repeat(kRussian, 2000) + Repeat(kEnglish, 120), "ru"},
    // Too little to tell
    {"FewWords", "The old house", ""},
    {"FewJapaneseWords", "古い家は村の", ""},
    {"NoLetters", Repeat("1, 2, 3 - 45 ... 6789 !", 20), ""},
};

INSTANTIATE_TEST_SUITE_P(Texts, BookLanguageTest, ::testing::ValuesIn(kLanguageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
