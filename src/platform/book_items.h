#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlavo {

// The items of one book, kept as one UTF-8 text and the span of each item inside it, so a book of
// a million items costs one buffer and a table rather than a million small strings.
class BookItems {
  public:
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    BookItems() = default;
    BookItems(std::string text, std::vector<Span> spans);

    std::int32_t size() const { return static_cast<std::int32_t>(m_spans.size()); }
    bool empty() const { return m_spans.empty(); }
    std::string_view at(std::int32_t index) const;
    void push_back(std::string_view item);

  private:
    std::string m_text;
    std::vector<Span> m_spans;
};

}  // namespace orlavo
