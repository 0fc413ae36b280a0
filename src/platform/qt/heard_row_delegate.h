#pragma once

#include <QStyledItemDelegate>
#include <cstddef>
#include <string_view>

class QFont;

namespace orlavo {

// Draws the book list's rows, and on the highlighted row of the item being read, the word being
// heard. The word shows in the list's own text colours on the row's highlight, underlined: the
// theme's pair of colours, so it reads in a light, a dark and a high-contrast theme alike. A row
// shows a line of its item; while a long item is read, its row shows the part with the word in
// it, starting a little before the word whenever the word would leave the row, so the person
// reads along from one page of the line to the next. Rows keep one height: a book of a million
// items scrolls as fast as one of ten. Nothing here is told to a screen reader.
class HeardRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The word heard is the bytes [begin, end) of the item in `row`; row -1 for none.
    void ShowHeard(int row, std::size_t begin, std::size_t end);
    int heardRow() const { return m_row; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    struct Shown {
        QString text;
        qsizetype wordBegin = 0;
        qsizetype wordEnd = 0;
        bool whole = false;  // the word is in view, not cut off by the row's end
    };
    // The row's text from byte `from` of the item, elided to `width`, with where the word lies.
    Shown ShowFrom(std::string_view item, std::size_t from, const QFont& font, int width) const;
    // Where the row's text starts so that the heard word is in view.
    std::size_t PageStart(std::string_view item, const QFont& font, int width) const;

    int m_row = -1;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    // Where the row's text starts, in bytes of the item: kept from word to word, so the text
    // stands still while the mark moves along it.
    mutable std::size_t m_pageStart = 0;
};

}  // namespace orlavo
