#include "platform/book_items.h"

#include <stdexcept>
#include <utility>

namespace orlavo {

BookItems::BookItems(std::string text, std::vector<Span> spans)
    : m_text(std::move(text)), m_spans(std::move(spans)) {
    for (const Span& span : m_spans) {
        if (span.offset > m_text.size() || span.length > m_text.size() - span.offset) {
            throw std::out_of_range("book item lies outside the book's text");
        }
    }
}

std::string_view BookItems::at(std::int32_t index) const {
    const Span& span = m_spans.at(static_cast<std::size_t>(index));
    return std::string_view(m_text).substr(span.offset, span.length);
}

void BookItems::push_back(std::string_view item) {
    m_spans.push_back({m_text.size(), item.size()});
    m_text.append(item);
}

}  // namespace orlavo
