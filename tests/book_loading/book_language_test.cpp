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
    std::string charset = {};
};

class BookLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(BookLanguageTest, GuessesTheLanguage) {
    EXPECT_EQ(GuessBookLanguage(GetParam().text, GetParam().charset), GetParam().code);
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
    // A paragraph each, one row a line: near languages, letters one language writes, scripts
    // clang-format off
    {"Slovak", "Včera večer sme sedeli s dedkom na lavičke pred domom a pozerali sa na hviezdy. Dedko rozprával, ako kedysi chodil so svojím koňom do mesta na trh. Ľudia vtedy žili pomalšie, povedal mi.", "sk"},
    {"BokmalWordsBeforeSigns", "Bestefar bodde i et lite hus ved fjorden. Hver morgen gikk han ned til båten for å se om været var godt nok til å fiske. Han sa alltid at havet ikke venter på noen.", "nb"},
    {"SlovakWithoutItsOwnLetters", "Starý mlynár bol múdry človek. Každé ráno chodieval k potoku a počúval, ako voda šumí pod kolesom.", "sk"},
    {"Czech", "Včera večer jsme seděli s dědou na lavičce před domem a dívali se na hvězdy. Děda vyprávěl, jak kdysi jezdil se svým koněm do města na trh. Lidé tehdy žili pomaleji, řekl mi.", "cs"},
    {"Belarusian", "Учора ўвечары мы сядзелі з дзядулем на лаўцы каля хаты і глядзелі на зоркі. Дзядуля расказваў, як калісьці ездзіў на кані ў горад на кірмаш. Людзі тады жылі павольней, сказаў ён.", "be"},
    {"Bulgarian", "Вчера вечерта седяхме с дядо на пейката пред къщата и гледахме звездите. Дядо разказваше как някога ходел с коня си до града на пазар. Хората тогава са живели по-бавно, каза той.", "bg"},
    {"Croatian", "Moj brat radi u bolnici u Zagrebu i vraća se kući samo vikendom. Danas je došao ranije jer je mama ispekla kolač od jabuka.", "hr"},
    {"Slovenian", "Včeraj zvečer sva z dedkom sedela na klopci pred hišo in gledala zvezde. Dedek je pripovedoval, kako je nekoč s konjem hodil v mesto na sejem. Ljudje so takrat živeli počasneje, je rekel.", "sl"},
    {"NorwegianBokmal", "I går kveld satt jeg og bestefar på benken foran huset og så på stjernene. Han fortalte meg hvordan han pleide å kjøre med hesten til byen på markedet. Folk levde langsommere den gangen, sa han.", "nb"},
    {"Danish", "I går aftes sad jeg og min bedstefar på bænken foran huset og så på stjernerne. Han fortalte mig, hvordan han plejede at køre med hesten til byen på markedet. Folk levede langsommere dengang, sagde han.", "da"},
    {"Swedish", "I går kväll satt jag och morfar på bänken framför huset och tittade på stjärnorna. Han berättade för mig hur han brukade köra med hästen till staden på marknaden. Folk levde långsammare på den tiden, sa han.", "sv"},
    {"Lithuanian", "Vakar vakare mes su seneliu sėdėjome ant suoliuko prie namo ir žiūrėjome į žvaigždes. Senelis pasakojo, kaip kadaise važiuodavo su arkliu į miestą į turgų. Tada žmonės gyveno lėčiau, sakė jis.", "lt"},
    {"Latvian", "Vakar vakarā mēs ar vectēvu sēdējām uz soliņa pie mājas un skatījāmies zvaigznēs. Vectēvs stāstīja, kā viņš kādreiz brauca ar zirgu uz pilsētu uz tirgu. Toreiz cilvēki dzīvoja lēnāk, viņš teica.", "lv"},
    {"Maltese", "Il-bieraħ filgħaxija jien u n-nannu qgħadna fuq il-bank quddiem id-dar u ħarisna lejn l-istilel. Huwa qalli kif kien imur il-belt biż-żiemel biex ibigħ il-ħaxix fis-suq. Dak iż-żmien in-nies kienu jgħixu aktar bil-mod.", "mt"},
    {"Polish", "Wczoraj wieczorem siedzieliśmy z dziadkiem na ławce przed domem i patrzyliśmy na gwiazdy. Dziadek opowiadał, jak kiedyś jeździł konno do miasta na targ. Ludzie żyli wtedy wolniej, powiedział.", "pl"},
    {"Hebrew", "אתמול בערב ישבנו עם סבא על הספסל מול הבית והסתכלנו בכוכבים. סבא סיפר איך פעם נסע עם הסוס לעיר לשוק.", "he"},
    {"Georgian", "გუშინ საღამოს ბაბუასთან ერთად სახლის წინ სკამზე ვისხედით და ვარსკვლავებს ვუყურებდით. ბაბუა მიყვებოდა, როგორ დადიოდა ოდესღაც ცხენით ქალაქში ბაზარზე.", "ka"},
    {"Armenian", "Երեկ երեկոյան պապիկի հետ նստած էինք տան առջևի նստարանին և նայում էինք աստղերին։ Պապիկը պատմում էր, թե ինչպես էր ժամանակին ձիով գնում քաղաք՝ շուկա։", "hy"},
    {"Thai", "เมื่อวานตอนเย็นฉันนั่งกับคุณตาบนม้านั่งหน้าบ้านและมองดูดวงดาว คุณตาเล่าว่าสมัยก่อนท่านเคยขี่ม้าเข้าเมืองไปตลาด", "th"},
    {"Portuguese", "Ontem à noite eu e o meu avô ficámos sentados no banco em frente de casa a olhar para as estrelas. O avô contou-me como, antigamente, ia a cavalo até à cidade para vender na feira. Naquele tempo as pessoas viviam mais devagar, disse ele.", "pt"},
    {"Italian", "Ieri sera io e il nonno siamo rimasti seduti sulla panchina davanti a casa a guardare le stelle. Il nonno mi ha raccontato che una volta andava in città a cavallo per il mercato. A quei tempi la gente viveva più lentamente, diceva.", "it"},
    {"Dutch", "Gisteravond zaten opa en ik op het bankje voor het huis naar de sterren te kijken. Opa vertelde hoe hij vroeger met het paard naar de stad reed om op de markt te verkopen. De mensen leefden toen veel rustiger, zei hij.", "nl"},
    {"Finnish", "Eilen illalla istuimme isoisän kanssa penkillä talon edessä ja katselimme tähtiä. Isoisä kertoi, miten hän ennen ajoi hevosella kaupunkiin torille. Siihen aikaan ihmiset elivät hitaammin, hän sanoi.", "fi"},
    {"Hungarian", "Tegnap este a nagyapámmal a ház előtti padon ültünk, és a csillagokat néztük. Nagyapa mesélte, hogy régen lovas kocsival járt be a városba a piacra. Akkoriban az emberek lassabban éltek, mondta.", "hu"},
    {"Turkish", "Dün akşam dedemle birlikte evin önündeki bankta oturup yıldızlara baktık. Dedem eskiden atla şehre pazara nasıl gittiğini anlattı. O zamanlar insanlar daha yavaş yaşarmış, dedi.", "tr"},
    {"JapaneseMostlyKanji", "明治維新以後、日本政府は近代国家建設を目指し、鉄道敷設、郵便制度確立、義務教育普及等の政策を次々実行した。", "ja", "CP932"},
    {"AncientGreek", "Ὁ μὲν γεωργὸς ἐν τῷ ἀγρῷ ἐργάζεται, ἡ δὲ γυνὴ οἴκοι μένει καὶ τὰ παιδία παιδεύει. Ἑσπέρας δὲ ἐπανέρχεται ὁ ἀνὴρ καὶ δειπνοῦσιν ὁμοῦ.", "grc"},
    // clang-format on
    // The body of a long book decides, not the English licence before and after it
    {"BodyOverFrontAndBackMatter",
     Repeat(kEnglish, 120) + Repeat(kRussian, 2000) + Repeat(kEnglish, 120), "ru"},
    // Too little to tell
    {"FewWords", "The old house", ""},
    {"FewJapaneseWords", "古い家は村の", ""},
    {"NamesTornBetweenLanguages",
     "John Smith, Mary Jones, Peter Brown, Anna Kowalski, Yusuf Demir, Olga Ivanova, Lars Nielsen",
     ""},
    {"NoLetters", Repeat("1, 2, 3 - 45 ... 6789 !", 20), ""},
};

INSTANTIATE_TEST_SUITE_P(Texts, BookLanguageTest, ::testing::ValuesIn(kLanguageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
