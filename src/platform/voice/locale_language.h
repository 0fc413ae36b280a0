#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orlavo {

// The locale variables of the desktop session, as the environment holds them.
struct LocaleSettings {
    std::string lcAll;
    std::string lcMessages;
    std::string lang;
};

// The speech language for the person's locale: the first non-empty of LC_ALL, LC_MESSAGES and LANG
// decides, as it does for every other program's messages. "pt_BR.UTF-8" asks for "pt-br" and
// falls back to "pt"; anything the engine cannot speak (C, POSIX, unset, unknown) is "en".
std::string LanguageForLocale(const LocaleSettings& locale,
                              const std::vector<std::string>& availableLanguages);

// The engine's language for a text's language ("ru", "pt-BR", "zh"), trying the territory's
// variant first and then the language alone; empty when no installed voice speaks it.
std::string EngineLanguage(std::string_view code,
                           const std::vector<std::string>& availableLanguages);

}  // namespace orlavo
