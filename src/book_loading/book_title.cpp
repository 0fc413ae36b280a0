#include "book_loading/book_title.h"

#include <cstddef>

#include "platform/text/utf8.h"

namespace orlavo {

std::string BookTitle(std::string_view path) {
    const std::size_t separator = path.rfind(kPathSeparator);
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    // Step back over four characters; a UTF-8 continuation byte is never the start of one.
    int dropped = 0;
    while (dropped < 4 && !name.empty()) {
        std::size_t end = name.size() - 1;
        while (end > 0 && utf8::IsContinuationByte(name[end])) {
            --end;
        }
        name = name.substr(0, end);
        ++dropped;
    }
    return std::string(name);
}

}  // namespace orlavo
