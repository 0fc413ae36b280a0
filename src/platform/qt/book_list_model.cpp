#include "platform/qt/book_list_model.h"

#include <utility>

#include "platform/text/utf8.h"

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
        const std::size_t cut = utf8::CutAfterCharacters(text, kShownCharacters);
        if (cut < text.size()) {
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(cut)) + QChar(0x2026);
        }
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    return {};
}

}  // namespace orlavo
