#include "book_items/item_reader.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/text/ascii.h"
#include "platform/text/line_end.h"

namespace orlavo {
namespace {

using line_end::IsLineEnd;

// Finds the next place of one character. A book is mostly long runs without a delimiter, and
// memchr crosses those far faster than a loop over bytes; the answer is kept until the reader
// passes it, so every occurrence is searched for once and the whole text stays one linear pass.
class NextOf {
  public:
    NextOf(std::string_view text, char c) : m_text(text), m_char(c) {}

    std::size_t From(std::size_t pos) {
        if (m_next < pos || !m_searched) {
            const void* found = std::memchr(m_text.data() + pos, m_char, m_text.size() - pos);
            m_next =
                found == nullptr
                    ? m_text.size()
                    : static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data());
            m_searched = true;
        }
        return m_next;
    }

  private:
    std::string_view m_text;
    char m_char;
    std::size_t m_next = 0;
    bool m_searched = false;
};

// The first comma or line end at or after `pos`, or the end of the text. Items are short in most
// books, a few dozen bytes, where one pass looking for all three at once beats three searches
// that each start and stop at every item.
std::size_t NextDelimiter(std::string_view text, std::size_t pos) {
    const char* at = text.data() + pos;
    const char* const end = text.data() + text.size();
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, comma), line_end::Matches(bytes)));
        if (found != 0) {
            return static_cast<std::size_t>(at - text.data()) +
                   static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
        }
    }
#endif
    while (at < end && *at != ',' && !IsLineEnd(*at)) {
        ++at;
    }
    return static_cast<std::size_t>(at - text.data());
}

// Reads the items and moves each down over the delimiters and blanks before it, with one line end
// between two, so the book's own buffer becomes the items' text. The write position never passes
// the read position: every item after the first has a delimiter before it that is not part of the
// previous item, and that byte takes the line end. Bytes not read yet are never written, so the
// places the searches found ahead stay true.
class Reader {
  public:
    explicit Reader(std::string& text) : m_buffer(text), m_text(text) {
        m_index.ReserveFor(text.size());
    }

    BookItems::Index ReadAll() {
        while (m_pos < m_text.size()) {
            ReadLine();
            PassLineEnd();
        }
        m_buffer.resize(m_written);
        return std::move(m_index);
    }

  private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    bool At(char c) const { return !AtEnd() && m_text[m_pos] == c; }
    bool AtLineEnd() const { return AtEnd() || IsLineEnd(m_text[m_pos]); }
    std::size_t LineEnd() { return std::min(m_lineFeed.From(m_pos), m_return.From(m_pos)); }

    void Keep(std::size_t start, std::size_t length) {
        char* const text = m_buffer.data();
        if (m_index.size() > 0) {
            text[m_written++] = line_end::kLineFeed;
        }
        if (m_written != start) {
            std::memmove(text + m_written, text + start, length);
        }
        m_written += length;
        m_index.Add(length);
    }

    void SkipBlanks() {
        while (!AtEnd() && ascii::IsSpaceOrTab(m_text[m_pos])) {
            ++m_pos;
        }
    }

    void PassLineEnd() { m_pos += line_end::LengthAt(m_text, m_pos); }

    // Reads the items of one line and stops at its line end (or the end of the text).
    void ReadLine() {
        for (;;) {
            SkipBlanks();
            const bool more = At('"') ? ReadQuoted() : ReadUnquoted();
            if (!more) {
                return;
            }
        }
    }

    // Both return whether another item follows on this line.
    bool ReadQuoted() {
        const std::size_t start = ++m_pos;
        const std::size_t lineEnd = LineEnd();
        const void* quote = std::memchr(m_text.data() + start, '"', lineEnd - start);
        m_pos = quote == nullptr
                    ? lineEnd
                    : static_cast<std::size_t>(static_cast<const char*>(quote) - m_text.data());
        Keep(start, m_pos - start);
        if (!At('"')) {
            return false;  // never closed: the line end closes it
        }
        ++m_pos;
        SkipBlanks();
        if (At(',')) {
            ++m_pos;
            return true;
        }
        return !AtLineEnd();
    }

    bool ReadUnquoted() {
        const std::size_t start = m_pos;
        m_pos = NextDelimiter(m_text, m_pos);
        std::size_t end = m_pos;
        while (end > start && ascii::IsSpaceOrTab(m_text[end - 1])) {
            --end;
        }
        Keep(start, end - start);
        if (At(',')) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::string& m_buffer;
    std::string_view m_text;  // the whole buffer as it came, however much is written over
    std::size_t m_pos = 0;
    std::size_t m_written = 0;
    NextOf m_lineFeed{m_text, line_end::kLineFeed};
    NextOf m_return{m_text, line_end::kCarriageReturn};
    BookItems::Index m_index;
};

}  // namespace

BookItems ReadBookItems(std::string text) {
    BookItems::Index index = Reader(text).ReadAll();
    return BookItems(std::move(text), std::move(index));
}

}  // namespace orlavo
