#include "platform/book_list_model.h"

#include <utility>

namespace orlavo {

BookListModel::BookListModel(QObject* parent) : QAbstractListModel(parent) {}

void BookListModel::ReplaceItems(BookItems items) {
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

void BookListModel::AddItem(std::string_view text) {
    const int row = m_items.size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.push_back(text);
    endInsertRows();
}

int BookListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_items.size();
}

QVariant BookListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_items.size()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        const std::string_view text = m_items.at(index.row());
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    return {};
}

}  // namespace orlavo
