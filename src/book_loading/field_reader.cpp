#include "book_loading/field_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace orlavo {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

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

class Reader {
  public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::vector<BookItems::Span> ReadAll() {
        while (m_pos < m_text.size()) {
            ReadLine();
            PassLineEnd();
        }
        return std::move(m_spans);
    }

  private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    bool At(char c) const { return !AtEnd() && m_text[m_pos] == c; }
    bool AtLineEnd() const { return AtEnd() || IsLineEnd(m_text[m_pos]); }
    std::size_t LineEnd() { return std::min(m_lineFeed.From(m_pos), m_return.From(m_pos)); }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(m_text[m_pos])) {
            ++m_pos;
        }
    }

    void PassLineEnd() {
        if (At('\r')) {
            ++m_pos;
            if (At('\n')) {
                ++m_pos;
            }
        } else if (At('\n')) {
            ++m_pos;
        }
    }

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
        m_spans.push_back({start, m_pos - start});
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
        m_pos = std::min(LineEnd(), m_comma.From(m_pos));
        std::size_t end = m_pos;
        while (end > start && IsBlank(m_text[end - 1])) {
            --end;
        }
        m_spans.push_back({start, end - start});
        if (At(',')) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    NextOf m_comma{m_text, ','};
    NextOf m_lineFeed{m_text, '\n'};
    NextOf m_return{m_text, '\r'};
    std::vector<BookItems::Span> m_spans;
};

}  // namespace

BookItems ReadBookItems(std::string text) {
    std::vector<BookItems::Span> spans = Reader(text).ReadAll();
    return BookItems(std::move(text), std::move(spans));
}

}  // namespace orlavo
