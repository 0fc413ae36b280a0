#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/file_dialog.h"

namespace orlavo {

// How many characters the chosen path, its NUL and the padding spaces fill at least.
inline constexpr std::size_t kFileBufferLength = 254;

// The dialog's filter text: for each of the first filterCount entries, the description, " (",
// the pattern, ")", a NUL, the pattern and a NUL. Every entry is looked up against its own list's
// bounds; an entry beyond them raises error 9 (subscript out of range).
std::string FilterText(const std::vector<std::string>& patterns,
                       const std::vector<std::string>& descriptions, float filterCount);

// Asks the person for a book file with the platform's open-file dialog, titled `title`, offering
// the file types of the filter text and starting in the program's own folder.
//
// Returns the path chosen, one NUL, then spaces up to kFileBufferLength characters (counted as
// Unicode characters); a longer path comes back whole, followed by the NUL alone. On Cancel: all
// spaces, which hold no path separator. A bad filterCount raises error 9 before any dialog shows.
std::string PickFile(const std::string& title, const std::vector<std::string>& patterns,
                     const std::vector<std::string>& descriptions, float filterCount,
                     FileDialog& dialog, const Application& app);

}  // namespace orlavo
