#include "platform/voice/locale_language.h"

#include <algorithm>
#include <string_view>

#include "platform/text/ascii.h"

namespace orlavo {

namespace {

constexpr std::string_view kFallbackLanguage = "en";

std::string_view DecidingLocale(const LocaleSettings& locale) {
    for (const std::string* value : {&locale.lcAll, &locale.lcMessages, &locale.lang}) {
        if (!value->empty()) {
            return *value;
        }
    }
    return {};
}

}  // namespace

std::string EngineLanguage(std::string_view code,
                           const std::vector<std::string>& availableLanguages) {
    // language[-_]territory
    const std::size_t split = code.find_first_of("-_");
    std::string language = ascii::Lowercase(code.substr(0, split));
    // Names the engine knows by another code.
    if (language == "zh") {
        language = "cmn";
    } else if (language == "no") {
        language = "nb";
    }
    std::vector<std::string> candidates;
    if (split != std::string_view::npos) {
        candidates.push_back(language + "-" + ascii::Lowercase(code.substr(split + 1)));
    }
    candidates.push_back(language);
    for (const std::string& candidate : candidates) {
        const bool spoken = std::find(availableLanguages.begin(), availableLanguages.end(),
                                      candidate) != availableLanguages.end();
        // "c" and "posix" are not languages, however an engine might list them.
        if (spoken && language != "c" && language != "posix") {
            return candidate;
        }
    }
    return {};
}

std::string LanguageForLocale(const LocaleSettings& locale,
                              const std::vector<std::string>& availableLanguages) {
    // language[_territory][.codeset][@modifier]
    std::string_view name = DecidingLocale(locale);
    name = name.substr(0, name.find_first_of(".@"));
    const std::string language = EngineLanguage(name, availableLanguages);
    return language.empty() ? std::string(kFallbackLanguage) : language;
}

}  // namespace orlavo
