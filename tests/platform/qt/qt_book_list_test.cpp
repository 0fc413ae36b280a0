// The book list in the real window, offscreen: item texts, positions without an item, selecting
// and scrolling, and filling it with a whole book at once.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QListView>
#include <QTest>
#include <cstdint>
#include <ostream>
#include <string>

#include "platform/qt_main_window.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

BookItems Numbered(std::int32_t count) {
    BookItems items;
    for (std::int32_t i = 0; i < count; ++i) {
        items.push_back("Line " + std::to_string(i));
    }
    return items;
}

class BookListInWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QListView& View() { return *window.findChild<QListView*>(QStringLiteral("List1")); }
    bool ShownInView(std::int32_t position) {
        const QRect item = View().visualRect(View().model()->index(position, 0));
        return View().viewport()->rect().contains(item);
    }

    QtMainWindow window;
    BookList& list = window.bookList();
};

// --- Positions ---------------------------------------------------------------------------------

struct PositionCase {
    const char* name;
    std::int32_t position;
    bool hasItem;
};

void PrintTo(const PositionCase& c, std::ostream* out) {
    *out << c.name;
}

class ListPositions : public BookListInWindow,
                      public ::testing::WithParamInterface<PositionCase> {};

TEST_P(ListPositions, GiveTheItemOrRaise381) {
    list.ReplaceItems(Numbered(3));
    const std::int32_t position = GetParam().position;
    if (GetParam().hasItem) {
        EXPECT_EQ(list.List(position), "Line " + std::to_string(position));
        list.Select(position);
        EXPECT_EQ(list.ListIndex(), position);
        return;
    }
    for (auto operation : {+[](BookList&l, std::int32_t p) { (void)l.List(p); },
                           +[](BookList&l, std::int32_t p) { l.Select(p); }}) {
        try {
            operation(list, position);
            ADD_FAILURE() << "no error at " << position;
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kInvalidListPosition);
        }
    }
    EXPECT_EQ(list.ListIndex(), -1);
}

INSTANTIATE_TEST_SUITE_P(BookList, ListPositions,
                         ::testing::Values(PositionCase{"First", 0, true},
                                           PositionCase{"Last", 2, true},
                                           PositionCase{"JustPastTheEnd", 3, false},
                                           PositionCase{"BelowNone", -2, false},
                                           PositionCase{"Largest", INT32_MAX, false},
                                           PositionCase{"Smallest", INT32_MIN, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BookListInWindow, PositionMinusOneIsTheEmptyText) {
    EXPECT_EQ(list.List(-1), "");
    list.ReplaceItems(Numbered(3));
    EXPECT_EQ(list.List(-1), "");
}

// --- Selecting -----------------------------------------------------------------------------------

TEST_F(BookListInWindow, SelectingHighlightsAndScrollsTheItemIntoView) {
    list.ReplaceItems(Numbered(10000));
    ASSERT_FALSE(ShownInView(9990));

    list.Select(9990);

    EXPECT_TRUE(ShownInView(9990));
    EXPECT_TRUE(View().selectionModel()->isRowSelected(9990, QModelIndex()));
    EXPECT_EQ(View().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.ListIndex(), 9990);

    list.Select(5);
    EXPECT_TRUE(ShownInView(5));
    EXPECT_EQ(View().selectionModel()->selectedRows().size(), 1);
}

TEST_F(BookListInWindow, APersonClickingAnItemSelectsIt) {
    list.ReplaceItems(Numbered(20));
    const QRect item = View().visualRect(View().model()->index(4, 0));
    QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(list.ListIndex(), 4);
}

// --- Filling -------------------------------------------------------------------------------------

TEST_F(BookListInWindow, ReplacingEmptiesTheSelectionAndAddingAppends) {
    list.ReplaceItems(Numbered(5));
    list.Select(3);
    list.ReplaceItems(Numbered(2));
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.ListCount(), 2);

    list.AddItem("appended");
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(2), "appended");
    EXPECT_EQ(View().model()->rowCount(), 3);

    list.Select(2);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(BookListInWindow, ShowsUtf8ItemsAsTheirCharactersAndGivesBackTheBytes) {
    list.AddItem(
        "Gr\xc3\xbc\xc3\x9f"
        "e, \xe4\xb8\x96\xe7\x95\x8c");
    EXPECT_EQ(View().model()->index(0, 0).data().toString(),
              QString::fromUtf8("Gr\u00fc\u00dfe, \u4e16\u754c"));
    EXPECT_EQ(list.List(0),
              "Gr\xc3\xbc\xc3\x9f"
              "e, \xe4\xb8\x96\xe7\x95\x8c");
}

TEST_F(BookListInWindow, TakesAMillionItemsInOneStep) {
    BookItems items = Numbered(1000000);
    QElapsedTimer timer;
    timer.start();
    list.ReplaceItems(std::move(items));
    list.Select(999999);
    QApplication::processEvents();
    RecordProperty("million_items_ms", static_cast<int>(timer.elapsed()));

    EXPECT_EQ(list.ListCount(), 1000000);
    EXPECT_EQ(View().model()->rowCount(), 1000000);
    EXPECT_EQ(list.List(999999), "Line 999999");
    EXPECT_TRUE(ShownInView(999999));
}

}  // namespace
}  // namespace orlavo
