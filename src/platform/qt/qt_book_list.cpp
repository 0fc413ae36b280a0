#include "platform/qt/qt_book_list.h"

#include <QItemSelectionModel>

#include "platform/qt/book_list_model.h"
#include "platform/qt/book_list_view.h"
#include "platform/runtime_error.h"
#include "texts/program_texts.h"

namespace orlavo {

QtBookList::QtBookList(BookListView& view, BookListModel& model) : m_view(view), m_model(model) {}

void QtBookList::ReplaceItems(BookItems items) {
    m_view.ShowHeard(-1, 0, 0);
    m_model.ReplaceItems(std::move(items));
}

std::int32_t QtBookList::ListCount() const {
    return m_model.items().size();
}

std::int32_t QtBookList::ListIndex() const {
    const QModelIndexList selected = m_view.selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::string QtBookList::List(std::int32_t position) const {
    if (position == -1) {
        return {};
    }
    CheckPosition(position);
    return std::string(m_model.items().at(position));
}

void QtBookList::Select(std::int32_t position) {
    CheckPosition(position);
    const QModelIndex index = m_model.index(position);
    // The current item moves with the selection, so the keyboard carries on from the item being
    // read when the person takes over.
    m_view.HighlightQuietly(index);
}

void QtBookList::ShowHeard(std::int32_t position, std::size_t begin, std::size_t end) {
    m_view.ShowHeard(position, begin, end);
}

void QtBookList::CheckPosition(std::int32_t position) const {
    if (position < 0 || position >= m_model.items().size()) {
        throw RuntimeError(kInvalidListPosition, kInvalidArrayIndex);
    }
}

}  // namespace orlavo
