#pragma once

#include <QAccessible>
#include <QListView>
#include <cstddef>

#include "platform/qt/heard_row_delegate.h"

namespace orlavo {

// The book list's view: rows of one height, one under the other, scrolled a row at a time.
// QListView keeps a position for every row, several bytes a row, which for a book of a hundred
// million tiny items costs more than the book itself; this view works every position out from
// the row's number, so it costs the same for any book. It stays a QListView so that screen
// readers see the same list as before.
class BookListView : public QListView {
    Q_OBJECT

  public:
    explicit BookListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

    // Highlights the row the program reads, making it current, without telling a screen reader
    // that the focus moved: a screen reader would say each item as it is highlighted, on top of
    // (or before) Orlavo reading it. The person's own moves are announced as in any list.
    void HighlightQuietly(const QModelIndex& index);
    // Marks the word being heard, bytes [begin, end) of the item in `row` (-1 for none), on that
    // row while it is highlighted (HeardRowDelegate); repaints only the rows concerned.
    void ShowHeard(int row, std::size_t begin, std::size_t end);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

  private:
    void RepaintRow(int row);
    void LayOutIfNew() const;
    int RowCount() const;
    int FirstShownRow() const;
    // Rows that fit whole in the viewport, at least one.
    int WholeRowsShown() const;
    void AnnounceRow(int row, QAccessible::Event event);

    int m_rowHeight = 1;
    bool m_quiet = false;
    HeardRowDelegate* m_rows;
};

}  // namespace orlavo
