#pragma once

#include <string>

#include "book_items/book_items.h"

namespace orlavo {

// Splits a book's decoded text into the items of the book list. These are all the rules, in one
// place; a book is read once, whole, so there is no item-at-a-time interface.
//
//  1. An item ends at a comma or at a line end. CR LF, LF and a lone CR are each one line end, so
//     books made on Windows, Linux and old Macs all read the same.
//  2. Blanks (spaces and tabs) before an item are skipped; an unquoted item loses its trailing
//     blanks. Tabs and spaces inside an item are kept.
//  3. An item that begins with a double quote runs to the next double quote on the same line,
//     keeps the commas inside, and loses both quotes. After the closing quote, blanks and one
//     comma or line end are passed over; any other text there starts the next item.
//  4. A quote that is never closed ends its item at the line end.
//  5. An empty line, or a line of blanks, is one empty item; so is the place after a comma that
//     ends a line ("a," gives "a" and "").
//  6. A last line without a line end is read like any other; a text that ends with a line end
//     gives no extra empty item after it, and an empty text gives no item at all.
//
// The items are moved down in place over the delimiters between them, one line end apart, so the
// result is the book's own buffer and a small index: never a million strings, nor a second copy
// of the text.
BookItems ReadBookItems(std::string text);

}  // namespace orlavo
