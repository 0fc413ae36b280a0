#include "book_loading/pick_file.h"

#include <optional>
#include <string_view>

#include "platform/runtime_error.h"
#include "platform/text/utf8.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

const std::string& Slot(const std::vector<std::string>& list, float index) {
    if (!(index >= 0.0F) || index >= static_cast<float>(list.size())) {
        throw RuntimeError(kSubscriptOutOfRange, kSubscriptOutOfRangeText);
    }
    return list[static_cast<std::size_t>(index)];
}

// The filter text read back the way the platform reads it: NUL-separated pairs of a description
// and a pattern.
std::vector<FileTypeFilter> FiltersOf(std::string_view text) {
    std::vector<FileTypeFilter> filters;
    while (!text.empty()) {
        const std::size_t descriptionEnd = text.find('\0');
        if (descriptionEnd == std::string_view::npos) {
            break;
        }
        const std::string_view rest = text.substr(descriptionEnd + 1);
        const std::size_t patternEnd = rest.find('\0');
        const std::string_view pattern = rest.substr(0, patternEnd);
        filters.push_back({std::string(text.substr(0, descriptionEnd)), std::string(pattern)});
        text =
            patternEnd == std::string_view::npos ? std::string_view() : rest.substr(patternEnd + 1);
    }
    return filters;
}

}  // namespace

std::string FilterText(const std::vector<std::string>& patterns,
                       const std::vector<std::string>& descriptions, float filterCount) {
    std::string text;
    // The counter and the bound are single-precision, as the count is given.
    for (float i = 0.0F; i <= filterCount - 1.0F; i += 1.0F) {
        const std::string& description = Slot(descriptions, i);
        const std::string& pattern = Slot(patterns, i);
        text += description;
        text += " (";
        text += pattern;
        text += ")";
        text += '\0';
        text += Slot(patterns, i);
        text += '\0';
    }
    return text;
}

std::string PickFile(const std::string& title, const std::vector<std::string>& patterns,
                     const std::vector<std::string>& descriptions, float filterCount,
                     FileDialog& dialog, const Application& app) {
    const std::string filterText = FilterText(patterns, descriptions, filterCount);
    const std::optional<std::string> chosen =
        dialog.GetOpenFileName({title, FiltersOf(filterText), app.AppPath()});
    if (!chosen) {
        return std::string(kFileBufferLength, ' ');
    }
    std::string buffer = *chosen;
    buffer += '\0';
    const std::size_t used = utf8::CountCharacters(buffer);
    if (used < kFileBufferLength) {
        buffer.append(kFileBufferLength - used, ' ');
    }
    return buffer;
}

}  // namespace orlavo
