#include "platform/qt/book_list_model.h"

#include <utility>

namespace orlavo {

BookListModel::BookListModel(QObject* parent) : QAbstractListModel(parent) {}

void BookListModel::ReplaceItems(BookItems items) {
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

int BookListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_items.size();
}

QVariant BookListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.size()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        std::string_view text = m_items.at(index.row());
        // Cut before the first byte of the character past the limit, never inside a character.
        std::size_t characters = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
            if (starts && characters++ == kShownCharacters) {
                return QString::fromUtf8(text.data(), static_cast<qsizetype>(i)) + QChar(0x2026);
            }
        }
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    return {};
}

}  // namespace orlavo
