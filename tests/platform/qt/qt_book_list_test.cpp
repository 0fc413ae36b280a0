// The book list in the real window, offscreen: item texts, positions without an item, selecting
// and scrolling, and filling it with a whole book at once.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QListView>
#include <QTest>
#include <cstdint>
#include <optional>
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

struct PositionCase {
    const char* name;
    std::int32_t position;
    std::optional<std::string> text;  // nothing: List and Select raise 381
};

class ListPositions : public BookListInWindow,
                      public ::testing::WithParamInterface<PositionCase> {};

TEST_P(ListPositions, GiveTheItemOrRaise381) {
    list.ReplaceItems(Numbered(3));
    const std::int32_t position = GetParam().position;
    if (GetParam().text) {
        EXPECT_EQ(list.List(position), *GetParam().text);
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
                         ::testing::Values(PositionCase{"First", 0, "Line 0"},
                                           PositionCase{"Last", 2, "Line 2"},
                                           PositionCase{"MinusOneIsTheEmptyText", -1, ""},
                                           PositionCase{"JustPastTheEnd", 3, std::nullopt},
                                           PositionCase{"BelowNone", -2, std::nullopt},
                                           PositionCase{"Largest", INT32_MAX, std::nullopt},
                                           PositionCase{"Smallest", INT32_MIN, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BookListInWindow, TakesAMillionItemsAndSelectingScrollsTheItemIntoView) {
    EXPECT_EQ(list.List(-1), "");
    QElapsedTimer timer;
    timer.start();
    list.ReplaceItems(Numbered(1000000));
    list.Select(999999);
    QApplication::processEvents();
    RecordProperty("million_items_ms", static_cast<int>(timer.elapsed()));

    EXPECT_EQ(list.ListCount(), 1000000);
    EXPECT_EQ(View().model()->rowCount(), 1000000);
    EXPECT_EQ(list.List(999999), "Line 999999");
    EXPECT_TRUE(ShownInView(999999));
    EXPECT_EQ(list.ListIndex(), 999999);
    ASSERT_FALSE(ShownInView(5));

    list.Select(5);
    EXPECT_TRUE(ShownInView(5));
    EXPECT_EQ(View().selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list.ListIndex(), 5);
}

TEST_F(BookListInWindow, APersonClickingAnItemSelectsIt) {
    list.ReplaceItems(Numbered(20));
    const QRect item = View().visualRect(View().model()->index(4, 0));
    QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(list.ListIndex(), 4);
}

// A new book starts with nothing selected; Utf-8 bytes are shown as their characters.
TEST_F(BookListInWindow, ReplacingEmptiesTheSelectionAndAddingAppends) {
    list.ReplaceItems(Numbered(5));
    list.Select(3);
    list.ReplaceItems(Numbered(2));
    EXPECT_EQ(list.ListIndex(), -1);

    list.AddItem(
        "Gr\xc3\xbc\xc3\x9f"
        "e, \xe4\xb8\x96\xe7\x95\x8c");
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(2),
              "Gr\xc3\xbc\xc3\x9f"
              "e, \xe4\xb8\x96\xe7\x95\x8c");
    EXPECT_EQ(View().model()->index(2, 0).data().toString(),
              QString::fromUtf8("Gr\u00fc\u00dfe, \u4e16\u754c"));

    list.Select(2);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
}

}  // namespace
}  // namespace orlavo
