#pragma once

#include "platform/book_list.h"

namespace orlavo {

class BookListModel;
class BookListView;

// The book list as the program's logic sees it, over a list view and its model.
class QtBookList : public BookList {
  public:
    QtBookList(BookListView& view, BookListModel& model);

    void ReplaceItems(BookItems items) override;
    std::int32_t ListCount() const override;
    std::int32_t ListIndex() const override;
    std::string List(std::int32_t position) const override;
    void Select(std::int32_t position) override;
    void ShowHeard(std::int32_t position, std::size_t begin, std::size_t end) override;

  private:
    void CheckPosition(std::int32_t position) const;

    BookListView& m_view;
    BookListModel& m_model;
};

}  // namespace orlavo
