#include "platform/locale_language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlavo {
namespace {

// The languages of the installed espeak-ng voices that matter here.
const std::vector<std::string> kInstalled = {"en", "en-gb", "en-us", "de",
                                             "pt", "pt-br", "fr-fr", "fr"};

struct LocaleCase {
    const char* name;
    LocaleSettings locale;
    std::string expected;
};

class LocaleLanguageTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleLanguageTest, ChoosesTheLanguageThePersonReads) {
    EXPECT_EQ(LanguageForLocale(GetParam().locale, kInstalled), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleLanguageTest,
    ::testing::Values(
        LocaleCase{"GermanWithCodeset", {"", "", "de_DE.UTF-8"}, "de"},
        LocaleCase{"TerritoryTheEngineKnows", {"", "", "pt_BR.UTF-8"}, "pt-br"},
        LocaleCase{"TerritoryTheEngineLacks", {"", "", "de_AT.UTF-8"}, "de"},
        LocaleCase{"LanguageOnly", {"", "", "fr"}, "fr"},
        LocaleCase{"ModifierIgnored", {"", "", "de_DE.UTF-8@euro"}, "de"},
        LocaleCase{"UppercaseTerritory", {"", "", "en_US"}, "en-us"},
        LocaleCase{"LcAllWinsOverLang", {"de_DE.UTF-8", "", "pt_BR.UTF-8"}, "de"},
        LocaleCase{"LcAllWinsOverLcMessages", {"pt_PT.UTF-8", "de_DE.UTF-8", ""}, "pt"},
        LocaleCase{"LcMessagesWinsOverLang", {"", "de_DE.UTF-8", "fr_FR.UTF-8"}, "de"},
        LocaleCase{"EmptyLcAllIsSkipped", {"", "", "fr_FR.UTF-8"}, "fr-fr"},
        LocaleCase{"CLocaleIsEnglish", {"C", "", "de_DE.UTF-8"}, "en"},
        LocaleCase{"CUtf8IsEnglish", {"C.UTF-8", "", ""}, "en"},
        LocaleCase{"PosixIsEnglish", {"", "", "POSIX"}, "en"},
        LocaleCase{"UnsetIsEnglish", {"", "", ""}, "en"},
        LocaleCase{"UnknownLanguageIsEnglish", {"", "", "xx_YY.UTF-8"}, "en"},
        LocaleCase{"MalformedIsEnglish", {"", "", "_.@"}, "en"}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
