// From the bytes of a book file to the text the list shows: legacy encodings, byte-order marks,
// UTF-16 without one, damaged bytes and control characters.

#include "text_decoding/text_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text/iconv_converter.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

// A sentence or two in each script: enough for the encoding to show.
const std::string kRussian =
    "Старый дом стоял на краю деревни, у самой реки. Каждое утро хозяйка "
    "выходила на крыльцо и смотрела на туман над водой.";
const std::string kJapanese =
    "古い家は村のはずれ、川のすぐそばに立っていた。毎朝、家の主人は縁側に"
    "出て、水の上にかかる霧を眺めた。";
const std::string kChinese =
    "老房子立在村子的尽头，紧靠着河边。每天早晨，女主人都会走到门廊上，望着水面上的薄雾。";
const std::string kTaiwanese =
    "老房子立在村子的盡頭，緊靠著河邊。每天早晨，女主人都會走到門廊上，望著水面上的薄霧。";
const std::string kKorean =
    "오래된 집은 마을 끝, 강가 바로 옆에 서 있었다. 매일 아침 집주인은 마루에 "
    "나와 물 위에 낀 안개를 바라보았다.";
const std::string kGreek =
    "Το παλιό σπίτι βρισκόταν στην άκρη του χωριού, δίπλα στο ποτάμι. Κάθε "
    "πρωί η νοικοκυρά έβγαινε στη βεράντα.";
const std::string kFrench =
    "La vieille maison se dressait au bout du village, tout près de la "
    "rivière. « Chaque matin », elle sortait sur le perron — le cœur léger.";
const std::string kVietnamese =
    "Ngôi nhà cũ nằm ở cuối làng, ngay cạnh bờ sông. Mỗi sáng, bà chủ nhà ra hiên đứng nhìn "
    "sương mù trên mặt nước.";
const std::string kDanish =
    "Om morgenen gik den gamle fisker ned til havnen og så på bådene. Søen lå grå og stille, og "
    "han tænkte på sin søster på øen.";
const std::string kHebrew =
    "בבוקר ירד הדייג הזקן אל הנמל והביט בסירות. הרוח הייתה קרה והים היה שקט.";
const std::string kGeorgian =
    "დილით მოხუცი მეთევზე ნავსადგურში ჩავიდა და ნავებს შეხედა. ის ფიქრობდა თავის დაზე, რომელიც "
    "კუნძულზე ცხოვრობდა.";
const std::string kArmenian = "Իմ պապիկը ապրում էր գետի ափին գտնվող մի փոքրիկ տանը։";
const std::string kPortuguese = "O meu avô morava numa pequena casa junto ao rio e não saía de lá.";
const std::string kSpanish =
    "Por la mañana el viejo pescador bajó al puerto y miró las barcas. Pensó en su hermana, que "
    "vivía en la isla.";
const std::string kEuros = kSpanish + " El billete cuesta 25 € y Šimon pagó la cena de Žaneta.";
const std::string kMixed = "Café, Привет, 東京\r\n\U0001F4D6";
const std::string kPounds = "He wrote “ ” on the card and paid £5 for it.";

std::string Encode(const char* charset, const std::string& utf8) {
    IconvConverter converter("UTF-8", charset);
    std::string out(utf8.size() * 4, '\0');
    out.resize(converter.Convert(utf8, out).written);
    return out;
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class TextDecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TextDecoderTest, DecodesToUtf8) {
    EXPECT_EQ(DecodeBookText(GetParam().bytes), GetParam().text);
}

const DecodeCase kDecodeCases[] = {
    // Legacy encodings, named by uchardet
    {"Windows1251Russian", Encode("CP1251", kRussian), kRussian},
    {"Koi8rRussian", Encode("KOI8-R", kRussian), kRussian},
    {"ShiftJisJapanese", Encode("SHIFT_JIS", kJapanese), kJapanese},
    {"EucJpJapanese", Encode("EUC-JP", kJapanese), kJapanese},
    {"Gb18030Chinese", Encode("GB18030", kChinese), kChinese},
    {"Big5Chinese", Encode("BIG5", kTaiwanese), kTaiwanese},
    {"Gb2312Chinese", Encode("GB2312", kChinese), kChinese},
    {"Windows1252QuotesAndPounds", Encode("CP1252", kPounds), kPounds},
    {"EucKrKorean", Encode("EUC-KR", kKorean), kKorean},
    {"Iso88597Greek", Encode("ISO-8859-7", kGreek), kGreek},
    {"Windows1252French", Encode("CP1252", kFrench), kFrench},
    {"Windows1258VietnameseComposed", Encode("CP1258", kVietnamese), kVietnamese},
    {"Iso2022JpJapanese", Encode("ISO-2022-JP", kJapanese + "\n" + kJapanese),
     kJapanese + "\n" + kJapanese},
    {"Iso2022KrKorean", Encode("ISO-2022-KR", kKorean), kKorean},
    {"OtherEscapesStayAscii", "a\x1B[1mb\x1B(", "a [1mb ("},
    {"FewHighBytesAreWindows1252", "Caf\xE9 na\xEFve \x93quoted\x94", "Café naïve “quoted”"},
    {"LegacyControlsBlanked", "\x01\x7F" + Encode("CP1251", kRussian) + "\x85\r\n",
     "  " + kRussian + "…\r\n"},
    // Code pages uchardet cannot tell, and the near ones that must stay as they are
    {"Ibm865Danish", Encode("IBM865", kDanish), kDanish},
    {"Windows1252Danish", Encode("CP1252", kDanish), kDanish},
    {"Ibm850Spanish", Encode("IBM850", kSpanish), kSpanish},
    {"Ibm850Portuguese", Encode("IBM850", kPortuguese), kPortuguese},
    {"Cp737Greek", Encode("CP737", kGreek), kGreek},
    {"Ibm862Hebrew", Encode("IBM862", kHebrew), kHebrew},
    {"Windows1255Hebrew", Encode("CP1255", kHebrew), kHebrew},
    {"GeorgianAcademy", Encode("GEORGIAN-ACADEMY", kGeorgian), kGeorgian},
    {"GeorgianPs", Encode("GEORGIAN-PS", kGeorgian), kGeorgian},
    {"JohabKorean", Encode("JOHAB", kKorean), kKorean},
    {"Armscii8Armenian", Encode("ARMSCII-8", kArmenian), kArmenian},
    {"Iso885915Euros", Encode("ISO-8859-15", kEuros), kEuros},
    {"Iso88591Spanish", Encode("ISO-8859-1", kSpanish), kSpanish},
    {"Windows1250Czech", Encode("CP1250", "Ráno sešel starý rybář do přístavu. Moře leželo šedé."),
     "Ráno sešel starý rybář do přístavu. Moře leželo šedé."},
    // UTF-8, whole or damaged
    {"PlainAsciiIsUnchanged", "In the beginning,\r\nGod.\n", "In the beginning,\r\nGod.\n"},
    {"ValidUtf8IsUtf8", "Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x93\x96", "Café — 📖"},
    {"StrayByteInUtf8IsMarked", kRussian.substr(0, 12) + "\xFF" + kRussian.substr(12),
     kRussian.substr(0, 12) + "\uFFFD" + kRussian.substr(12)},
    {"BrokenCharacterInUtf8IsMarked", kRussian.substr(0, 14) + kRussian.substr(15),
     kRussian.substr(0, 13) + "\uFFFD" + kRussian.substr(15)},
    {"EncodedSurrogateInUtf8IsMarked", kRussian + "\xED\xA0\x80", kRussian + "\uFFFD\uFFFD\uFFFD"},
    {"Utf8BomIsDropped", "\xEF\xBB\xBFhello", "hello"},
    {"Utf8BomWithDamagedByte", "\xEF\xBB\xBFx\xFFz", "x\uFFFDz"},
    {"EmptyFile", "", ""},
    // UTF-16 and UTF-32
    {"Utf16LeWithMark", "\xFF\xFE" + Encode("UTF-16LE", kMixed), kMixed},
    {"Utf16BeWithMark", "\xFE\xFF" + Encode("UTF-16BE", kMixed), kMixed},
    {"Utf16LeWithoutMark", Encode("UTF-16LE", kRussian), kRussian},
    {"Utf16BeWithoutMark", Encode("UTF-16BE", kRussian), kRussian},
    {"Utf32LeWithMark", "\xFF\xFE\0\0"s + Encode("UTF-32LE", kMixed), kMixed},
    {"Utf32BeWithMark", "\0\0\xFE\xFF"s + Encode("UTF-32BE", kMixed), kMixed},
    {"Utf32LeWithoutMark", Encode("UTF-32LE", kChinese), kChinese},
    {"Utf32BeWithoutMark", Encode("UTF-32BE", kMixed), kMixed},
    {"Utf16LoneSurrogateIsMarked", "\xFF\xFE\x3D\xD8\x41\0"s, "\uFFFDA"},
    {"Utf16OddLastByteIsMarked", "\xFF\xFE\x41\0\x42"s, "A\uFFFD"},
    {"Utf16NulBecomesSpace", "\xFF\xFE\x61\0\0\0\x62\0"s, "a b"},
    // Control characters become spaces; tab, CR and LF stay
    {"StrayNulsAreNotUtf16", "a\0\0b\0"s, "a  b "},
    {"C0ControlsBecomeSpaces", "a\x01\x07\x08\x0B\x0C\x1B\x1F.", "a       ."},
    {"ControlsInsideLongAsciiRuns", "0123456789abcdef\x01ghijklm\x7Fnopqrstu\r\n\t",
     "0123456789abcdef ghijklm nopqrstu\r\n\t"},
    {"Utf8C1ControlBecomesOneSpace", "a\xC2\x85.\xC2\x9F", "a . "},
    {"Utf8NoBreakSpaceIsNotAControl", "a\xC2\xA0.", "a\u00A0."},
};

INSTANTIATE_TEST_SUITE_P(Encodings, TextDecoderTest, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
