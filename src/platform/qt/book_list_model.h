#pragma once

#include <QAbstractListModel>

#include "book_items/book_items.h"

namespace orlavo {

// The rows of the book list, kept as the book's UTF-8 items. A row's text becomes a QString only
// when the view asks for it, so a book of a million items loads as one buffer in one step. A row
// shows at most kShownCharacters of its item, then "…": a book that is one 100 MB line must not
// cost a repaint the time to lay out 100 MB of text. The voice still reads the whole item.
class BookListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    static constexpr std::size_t kShownCharacters = 2000;

    explicit BookListModel(QObject* parent = nullptr);

    const BookItems& items() const { return m_items; }
    void ReplaceItems(BookItems items);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    BookItems m_items;
};

}  // namespace orlavo
