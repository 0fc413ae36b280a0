#include "platform/qt/heard_row_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

#include "platform/qt/book_list_model.h"
#include "platform/text/utf8.h"
#include "platform/text/words.h"

namespace orlavo {
namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// How far before the word a new page of a long item starts, as a part of the row: enough to
// read the word in its words, while most of the row lies ahead.
constexpr int kLeadIn = 5;
constexpr std::size_t kLookBack = 256;

}  // namespace

void HeardRowDelegate::ShowHeard(int row, std::size_t begin, std::size_t end) {
    if (row != m_row) {
        m_pageStart = 0;
    }
    m_row = row;
    m_begin = begin;
    m_end = std::max(begin, end);
}

HeardRowDelegate::Shown HeardRowDelegate::ShowFrom(std::string_view item, std::size_t from,
                                                   const QFont& font, int width) const {
    const std::string_view rest = item.substr(from);
    Shown shown;
    shown.text =
        (from > 0 ? QString(QChar(0x2026)) : QString()) +
        FromUtf8(rest.substr(0, utf8::CutAfterCharacters(rest, BookListModel::kShownCharacters)));
    const qsizetype lead = from > 0 ? 1 : 0;
    shown.wordBegin = lead + FromUtf8(item.substr(from, m_begin - from)).size();
    shown.wordEnd = lead + FromUtf8(item.substr(from, m_end - from)).size();
    const QString elided = QFontMetrics(font).elidedText(shown.text, Qt::ElideRight, width);
    const qsizetype kept = elided == shown.text ? elided.size() : elided.size() - 1;
    shown.whole = shown.wordEnd <= kept;
    shown.text = elided;
    return shown;
}

std::size_t HeardRowDelegate::PageStart(std::string_view item, const QFont& font, int width) const {
    if (m_pageStart <= m_begin && ShowFrom(item, m_pageStart, font, width).whole) {
        return m_pageStart;
    }
    // A new page: the first word within a few hundred bytes before the heard word that leaves no
    // more than a fifth of the row to the words before it. The first word found may be the end
    // of a longer one, unless the search starts at the item's beginning.
    const QFontMetrics metrics(font);
    std::size_t from = m_begin > kLookBack ? m_begin - kLookBack : 0;
    while (from > 0 && utf8::IsContinuationByte(item[from])) {
        --from;
    }
    std::size_t start = words::NextStart(item, from);
    if (from > 0) {
        start = words::NextStart(item, words::End(item, start));
    }
    for (; start < m_begin; start = words::NextStart(item, words::End(item, start))) {
        if (metrics.horizontalAdvance(FromUtf8(item.substr(start, m_begin - start))) <=
            width / kLeadIn) {
            break;
        }
    }
    start = std::min(start, m_begin);
    const bool fits = ShowFrom(item, start, font, width).whole;
    m_pageStart = fits || start == m_begin ? start : m_begin;
    return m_pageStart;
}

void HeardRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const auto* model = qobject_cast<const BookListModel*>(index.model());
    if (model == nullptr || index.row() != m_row || m_end <= m_begin ||
        !option.state.testFlag(QStyle::State_Selected) || index.row() >= model->items().size() ||
        m_end > model->items().at(index.row()).size()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QWidget* widget = row.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // The row as the style draws it, highlight and focus frame, then its text as it would be
    // placed.
    const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &row, widget);
    row.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = textArea.adjusted(margin, 0, -margin, 0);

    const std::string_view item = model->items().at(index.row());
    const std::size_t start = PageStart(item, row.font, textRect.width());
    const Shown shown = ShowFrom(item, start, row.font, textRect.width());

    const QPalette::ColorGroup group =
        !row.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
        : row.state.testFlag(QStyle::State_Active) ? QPalette::Normal
                                                   : QPalette::Inactive;
    QTextCharFormat heard;
    heard.setBackground(row.palette.color(group, QPalette::Base));
    heard.setForeground(row.palette.color(group, QPalette::Text));
    heard.setFontUnderline(true);
    QTextLayout layout(shown.text, row.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTextDirection(row.direction);
    textOption.setAlignment(QStyle::visualAlignment(row.direction, row.displayAlignment));
    layout.setTextOption(textOption);
    layout.setFormats({{static_cast<int>(shown.wordBegin),
                        static_cast<int>(shown.wordEnd - shown.wordBegin), heard}});
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textRect.width());
    layout.endLayout();

    painter->save();
    painter->setClipRect(textRect);
    painter->setPen(row.palette.color(group, QPalette::HighlightedText));
    const qreal top = textRect.top() + (textRect.height() - line.height()) / 2;
    layout.draw(painter, QPointF(textRect.left(), top));
    painter->restore();
}

}  // namespace orlavo
