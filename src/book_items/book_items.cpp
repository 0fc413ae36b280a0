#include "book_items/book_items.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/runtime_error.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

const char* NextLineEnd(std::string_view text, std::size_t from) {
    return static_cast<const char*>(std::memchr(text.data() + from, '\n', text.size() - from));
}

}  // namespace

void BookItems::Index::ReserveFor(std::size_t textSize) {
    // A text of n bytes holds at most n + 1 items: n line ends between empty ones.
    m_blocks.reserve(textSize / kBlock + 1);
}

void BookItems::Index::RefuseMoreItems() {
    throw RuntimeError(kFileCannotBeRead, TooManyItemsText(kMostItems));
}

void BookItems::Index::CloseBlock(std::size_t end) {
    std::size_t starts = kNoStarts;
    if (end - m_open[0] > BookItems::kFarSpan) {
        starts = m_starts.size();
        m_starts.insert(m_starts.end(), m_open.begin(), m_open.end());
    }
    try {
        m_blocks.push_back({m_open[0], starts});
    } catch (...) {
        if (starts != kNoStarts) {
            m_starts.resize(starts);
        }
        throw;
    }
}

std::string_view BookItems::Index::At(std::string_view text, std::int32_t index) const {
    if (index < 0 || index >= m_count) {
        throw std::out_of_range("there is no book item " + std::to_string(index));
    }
    const auto item = static_cast<std::size_t>(index);
    const std::size_t block = item / kBlock;
    const std::size_t inBlock = item % kBlock;
    // Starts are known for the open block and for the far-spanning ones: the item ends one byte
    // before the next starts (or at the end of the text).
    const std::size_t* known = nullptr;
    if (block == m_blocks.size()) {
        known = m_open.data();
    } else if (m_blocks[block].starts != kNoStarts) {
        known = m_starts.data() + m_blocks[block].starts;
    }
    if (known != nullptr) {
        const std::size_t start = known[inBlock];
        std::size_t end = text.size();
        if (item + 1 < static_cast<std::size_t>(m_count)) {
            end = (inBlock + 1 < kBlock          ? known[inBlock + 1]
                   : m_blocks.size() > block + 1 ? m_blocks[block + 1].start
                                                 : m_open[0]) -
                  1;
        }
        return text.substr(start, end - start);
    }
    // A short block: every line end in it is the end of an item.
    std::size_t start = m_blocks[block].start;
    for (std::size_t i = 0; i < inBlock; ++i) {
        start = static_cast<std::size_t>(NextLineEnd(text, start) - text.data()) + 1;
    }
    const char* end = NextLineEnd(text, start);
    return text.substr(start, end == nullptr ? text.size() - start
                                             : static_cast<std::size_t>(end - text.data()) - start);
}

BookItems::BookItems(std::string text, Index index)
    : m_text(std::move(text)), m_index(std::move(index)) {
    if (m_index.TextSize() != m_text.size()) {
        throw std::invalid_argument("the book's index does not match its text");
    }
}

std::string_view BookItems::at(std::int32_t index) const {
    return m_index.At(m_text, index);
}

}  // namespace orlavo
