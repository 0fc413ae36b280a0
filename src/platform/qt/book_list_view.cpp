#include "platform/qt/book_list_view.h"

#include <QAccessibleEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <limits>

namespace orlavo {

namespace {

int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min() / 2,
                                                  std::numeric_limits<int>::max() / 2));
}

}  // namespace

BookListView::BookListView(QWidget* parent)
    : QListView(parent), m_rows(new HeardRowDelegate(this)) {
    setUniformItemSizes(true);
    setVerticalScrollMode(ScrollPerItem);
    setItemDelegate(m_rows);
}

void BookListView::ShowHeard(int row, std::size_t begin, std::size_t end) {
    const int before = m_rows->heardRow();
    m_rows->ShowHeard(row, begin, end);
    RepaintRow(before);
    if (row != before) {
        RepaintRow(row);
    }
}

void BookListView::RepaintRow(int row) {
    if (row >= 0 && row < RowCount()) {
        viewport()->update(visualRect(model()->index(row, 0, rootIndex())));
    }
}

int BookListView::RowCount() const {
    return model() == nullptr ? 0 : model()->rowCount(rootIndex());
}

// A new book's layout waits for the event loop; a question about positions asked before then
// gets it done first, so that it is not answered from the old book's row height and scroll bar.
void BookListView::LayOutIfNew() const {
    const_cast<BookListView*>(this)->executeDelayedItemsLayout();
}

int BookListView::FirstShownRow() const {
    LayOutIfNew();
    return verticalScrollBar()->value();
}

int BookListView::WholeRowsShown() const {
    LayOutIfNew();
    return std::max(1, viewport()->height() / m_rowHeight);
}

// QListView's own layout would give every row a stored position; here the scroll bar and the
// one row height are all the layout there is.
void BookListView::doItemsLayout() {
    const int rows = RowCount();
    m_rowHeight = rows > 0 ? sizeHintForIndex(model()->index(0, 0, rootIndex())).height() : 0;
    if (m_rowHeight <= 0) {
        m_rowHeight = std::max(1, fontMetrics().height());
    }
    QAbstractItemView::doItemsLayout();  // not QListView's: it is the per-row layout
}

void BookListView::updateGeometries() {
    const int rows = RowCount();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(WholeRowsShown());
    verticalScrollBar()->setRange(0, std::max(0, rows - WholeRowsShown()));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void BookListView::scrollContentsBy(int, int) {
    viewport()->update();
}

int BookListView::horizontalOffset() const {
    return 0;
}

int BookListView::verticalOffset() const {
    return ClampToInt(static_cast<long long>(FirstShownRow()) * m_rowHeight);
}

QRect BookListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex()) {
        return {};
    }
    const long long top = static_cast<long long>(index.row() - FirstShownRow()) * m_rowHeight;
    return {0, ClampToInt(top), viewport()->width(), m_rowHeight};
}

QModelIndex BookListView::indexAt(const QPoint& point) const {
    if (point.y() < 0 || point.x() < 0 || point.x() >= viewport()->width()) {
        return {};
    }
    const long long row = FirstShownRow() + static_cast<long long>(point.y() / m_rowHeight);
    return row < RowCount() ? model()->index(static_cast<int>(row), 0, rootIndex()) : QModelIndex();
}

void BookListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const int row = index.row();
    const int first = FirstShownRow();
    const int shown = WholeRowsShown();
    int top = first;
    switch (hint) {
        case PositionAtTop:
            top = row;
            break;
        case PositionAtBottom:
            top = row - shown + 1;
            break;
        case PositionAtCenter:
            top = row - shown / 2;
            break;
        case EnsureVisible:
            if (row < first) {
                top = row;
            } else if (row >= first + shown) {
                top = row - shown + 1;
            }
            break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex BookListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int rows = RowCount();
    if (rows == 0) {
        return {};
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return model()->index(0, 0, rootIndex());
    }
    long long row = current.row();
    switch (action) {
        case MoveUp:
        case MovePrevious:
            --row;
            break;
        case MoveDown:
        case MoveNext:
            ++row;
            break;
        case MovePageUp:
            row -= std::max(1, WholeRowsShown() - 1);
            break;
        case MovePageDown:
            row += std::max(1, WholeRowsShown() - 1);
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = rows - 1;
            break;
        case MoveLeft:
        case MoveRight:
            break;
    }
    return model()->index(static_cast<int>(std::clamp<long long>(row, 0, rows - 1)), 0,
                          rootIndex());
}

void BookListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    const QRect shown = rect.normalized().intersected(viewport()->rect());
    QModelIndex top = indexAt(shown.topLeft());
    QModelIndex bottom = indexAt(shown.bottomLeft());
    if (!bottom.isValid() && RowCount() > 0) {
        bottom = model()->index(RowCount() - 1, 0, rootIndex());
    }
    if (!top.isValid() || top.row() > bottom.row()) {
        selectionModel()->select(QItemSelection(), flags);
        return;
    }
    selectionModel()->select(QItemSelection(top, bottom), flags);
}

QRegion BookListView::visualRegionForSelection(const QItemSelection& selection) const {
    const int first = FirstShownRow();
    const int last = first + WholeRowsShown();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (range.isValid() && top <= bottom) {
            const QRect from = visualRect(model()->index(top, 0, rootIndex()));
            region += from.united(visualRect(model()->index(bottom, 0, rootIndex())));
        }
    }
    return region;
}

bool BookListView::isIndexHidden(const QModelIndex&) const {
    return false;
}

void BookListView::paintEvent(QPaintEvent* event) {
    const int rows = RowCount();
    if (rows == 0 || itemDelegate() == nullptr) {
        return;
    }
    QPainter painter(viewport());
    QStyleOptionViewItem base;
    initViewItemOption(&base);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int first = FirstShownRow() + event->rect().top() / m_rowHeight;
    const int last = std::min<long long>(
        rows - 1, FirstShownRow() + static_cast<long long>(event->rect().bottom() / m_rowHeight));
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QStyleOptionViewItem option = base;
        option.rect = visualRect(index);
        if (selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void BookListView::HighlightQuietly(const QModelIndex& index) {
    m_quiet = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_quiet = false;
    scrollTo(index);
}

// QListView would name the row by its stored position, which this view does not keep; the row
// number is the same thing here.
void BookListView::AnnounceRow(int row, QAccessible::Event type) {
    if (QAccessible::isActive() && !m_quiet) {
        QAccessibleEvent event(this, type);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
}

void BookListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (current.isValid() && hasFocus()) {
        AnnounceRow(current.row(), QAccessible::Focus);
    }
    QAbstractItemView::currentChanged(current, previous);
}

void BookListView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    if (const QModelIndexList rows = selected.indexes(); !rows.isEmpty()) {
        AnnounceRow(rows.first().row(), QAccessible::SelectionAdd);
    }
    if (const QModelIndexList rows = deselected.indexes(); !rows.isEmpty()) {
        AnnounceRow(rows.first().row(), QAccessible::SelectionRemove);
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

}  // namespace orlavo
