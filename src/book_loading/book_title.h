#pragma once

#include <string>
#include <string_view>

namespace orlavo {

// The separator between folders in a path on this platform. A Linux file name may contain a
// backslash, so only this character splits a path.
inline constexpr char kPathSeparator = '/';

// The title shown above the book list: the file name (the path after its last separator) less its
// last four characters, which are taken to be the extension whatever they are ("readme" gives
// "re"). A name of four characters or fewer gives an empty title. Characters are counted as
// Unicode characters, so an accented name keeps its accents whole.
std::string BookTitle(std::string_view path);

}  // namespace orlavo
