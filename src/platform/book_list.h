#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "book_items/book_items.h"

namespace orlavo {

// The book list on screen: one row per item of the loaded book, one selected row at most. The
// selected row is where reading starts and, while reading, the item being read.
class BookList {
  public:
    virtual ~BookList() = default;

    // Replaces the whole list in one step; nothing is selected afterwards.
    virtual void ReplaceItems(BookItems items) = 0;
    virtual std::int32_t ListCount() const = 0;
    // The selected position, -1 when nothing is selected.
    virtual std::int32_t ListIndex() const = 0;
    // The text at a position; -1 gives the empty text. Any other position without an item raises
    // error 381.
    virtual std::string List(std::int32_t position) const = 0;
    // Selects, highlights and scrolls to the item; a position without an item raises error 381.
    virtual void Select(std::int32_t position) = 0;
    // Marks the bytes [begin, end) of the item at `position` as the word being heard, and keeps
    // them in view; the mark shows while that item is the highlighted one, and -1 takes it away.
    // Tells no screen reader: the person hears the word already. Never fails.
    virtual void ShowHeard(std::int32_t position, std::size_t begin, std::size_t end) = 0;
};

}  // namespace orlavo
