#pragma once

#include <string>
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

}  // namespace orlavo
