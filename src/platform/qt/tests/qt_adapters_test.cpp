// What the Qt adapters add to Qt, offscreen: the book list with the word heard, the window's
// colours, the path box, the open-file dialog and work done off the window's thread.
// Widgets need a QApplication for the whole run, so this test brings its own main.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <thread>

#include "fakes/fake_platform.h"
#include "platform/qt/book_list_model.h"
#include "platform/qt/qt_background_work.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/window_wait.h"

namespace orlavo {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

class QtWindowTest : public ::testing::Test {
  protected:
    QtWindow window{"Orlavo", "io.github.orlavo.Orlavo"};
    QListView& view = *window.findChild<QListView*>(QStringLiteral("List1"));
    BookList& list = window.bookList();
};

// The last item is too long to show: it is shown cut short, and read whole.
TEST_F(QtWindowTest, TheListTakesAMillionItemsAndScrollsToTheSelectedOne) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::vector<std::string> items;
    for (int i = 0; i < 999999; ++i) {
        items.push_back("Line " + std::to_string(i));
    }
    items.push_back(std::string(1000000, 'w'));
    list.ReplaceItems(testing::BookOf(items));
    EXPECT_EQ(view.model()->rowCount(), 1000000);
    EXPECT_EQ(view.model()->index(999998, 0).data().toString(), QStringLiteral("Line 999998"));
    const QString shown = view.model()->index(999999, 0).data().toString();
    EXPECT_TRUE(shown.size() < 5000 && shown.endsWith(QChar(0x2026))) << shown.size();
    EXPECT_EQ(list.List(999999), std::string(1000000, 'w'));
    for (const int row : {999999, 5}) {
        list.Select(row);
        QApplication::processEvents();
        const QRect shownAt = view.visualRect(view.model()->index(row, 0));
        EXPECT_TRUE(shownAt.top() >= 0 && shownAt.bottom() < view.viewport()->height()) << row;
        EXPECT_EQ(list.ListIndex(), row);
    }
    // The keyboard and the mouse move the selection as in any list.
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(list.ListIndex(), 6);
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(list.ListIndex(), 999999);
    QTest::keyClick(&view, Qt::Key_PageUp);
    const int pagedTo = list.ListIndex();
    EXPECT_TRUE(pagedTo < 999990 && pagedTo > 999900) << pagedTo;
    const QModelIndex below = view.model()->index(pagedTo + 2, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(below).center());
    EXPECT_EQ(list.ListIndex(), pagedTo + 2);
}

// An item of two-byte letters one letter too long loses that letter whole; one that fits is shown
// as it is.
TEST_F(QtWindowTest, ALongItemIsCutAfterAWholeCharacter) {
    const auto letters = [](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += "\u0436";
        }
        return text;
    };
    constexpr std::size_t kShown = BookListModel::kShownCharacters;
    list.ReplaceItems(testing::BookOf({letters(kShown + 1), letters(kShown)}));
    const QString whole(static_cast<qsizetype>(kShown), QChar(0x436));
    EXPECT_EQ(view.model()->index(0, 0).data().toString(), whole + QChar(0x2026));
    EXPECT_EQ(view.model()->index(1, 0).data().toString(), whole);
}

// The word heard shows on the highlighted row in the list's own text colour, which the rest of a
// highlighted row never takes; the row of a line far wider than the list follows it to the end.
TEST_F(QtWindowTest, TheWordHeardIsMarkedOnItsRowAndALongLinesRowFollowsIt) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::string line;
    for (int word = 0; word < 300; ++word) {
        line += "word" + std::to_string(word) + " ";
    }
    list.ReplaceItems(testing::BookOf({"short", line}));
    list.Select(1);
    const auto markedPixels = [this] {
        QApplication::processEvents();
        const QImage shot = view.viewport()->grab().toImage();
        const QRect row = view.visualRect(view.model()->index(1, 0));
        const QColor text = view.palette().color(QPalette::Text);
        int count = 0;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left(); x <= row.right(); ++x) {
                count += shot.pixelColor(x, y) == text ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(markedPixels(), 0);
    for (const std::string word : {"word3", "word150", "word299"}) {
        const std::size_t at = line.find(word + " ");
        list.ShowHeard(1, at, at + word.size());
        EXPECT_GT(markedPixels(), 20) << word << " is out of view";
    }
    list.ShowHeard(-1, 0, 0);
    EXPECT_EQ(markedPixels(), 0);
}

// How far apart two colours are to an eye, as accessibility guidelines measure contrast.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The contrast of the text in a part of a picture against its background: the colour most of it
// has, against the colour that stands out most from that.
double TextContrast(const QImage& shot, const QRect& part) {
    std::map<QRgb, int> counts;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            ++counts[shot.pixel(x, y)];
        }
    }
    const QColor background(
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first);
    double most = 1;
    for (const auto& [pixel, count] : counts) {
        most = std::max(most, Contrast(QColor(pixel), background));
    }
    return most;
}

// The title and the menu bar on the window's grey read at 4.5 to 1 or more in a dark theme, whose
// own text is light; in high contrast the desktop's colours are used instead of the grey.
TEST(QtWindowColours, TextReadsOnTheGreyInADarkThemeAndHighContrastTakesTheDesktops) {
    const QPalette before = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(dark);
    {
        QtWindow window("Orlavo", "io.github.orlavo.Orlavo");
        window.titleLabel().SetCaption("Emma");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto* title = window.findChild<QLabel*>(QStringLiteral("Label1"));
        // Inside their borders, which the style may draw in any colour.
        const QRect titleArea =
            QRect(title->mapTo(&window, QPoint()), title->size()).adjusted(2, 2, -2, -2);
        const QRect menuArea = window.menuBar()->geometry().adjusted(2, 2, -2, -2);
        const QImage grey = window.grab().toImage();
        EXPECT_GE(TextContrast(grey, titleArea), 4.5);
        EXPECT_GE(TextContrast(grey, menuArea), 4.5);
        window.UseDesktopColours(true);
        const QImage desktops = window.grab().toImage();
        EXPECT_EQ(desktops.pixelColor(titleArea.topLeft() + QPoint(2, 2)),
                  dark.color(QPalette::Window));
        EXPECT_GE(TextContrast(desktops, titleArea), 4.5);
    }
    QApplication::setPalette(before);
}

// "*.TxT" lists book files however their names are written, and a name with double quotes, which
// Qt's own dialog would take as several names, is taken as it stands.
TEST(QtFileDialogTest, ListsTxTFilesInAnyLetterCaseAndTakesANameWithQuotes) {
    std::string folder = std::filesystem::temp_directory_path() / "orlavo-XXXXXX";
    ::mkdtemp(folder.data());
    for (const char* name : {"lower.txt", "UPPER.TXT", "Say \"Hi\".TxT", "notes.md"}) {
        std::ofstream(folder + "/" + name) << "x";
    }
    QStringList listed;
    QTimer::singleShot(0, qApp, [&listed] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        (void)QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) >= 3; });
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText(QStringLiteral("Say \"Hi\".TxT"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTimer::singleShot(3000, dialog, [dialog] { dialog->close(); });  // the name was refused
    });
    const auto chosen = QtFileDialog().GetOpenFileName({"Load", {{"TxT", "*.TxT"}}, folder});
    listed.sort();
    EXPECT_EQ(listed, QStringList({"Say \"Hi\".TxT", "UPPER.TXT", "lower.txt"}));
    EXPECT_EQ(chosen, folder + "/Say \"Hi\".TxT");
    std::filesystem::remove_all(folder);
}

// Work done before the window's thread began to wait for it: the wait returns at once, without
// running the window's events, which nothing would then end.
TEST(WindowWaitTest, WorkDoneBeforeTheWaitBeginsEndsItAtOnce) {
    WindowWait wait;
    std::thread([&wait] { wait.Wake(); }).join();
    int checks = 0;
    EXPECT_TRUE(wait.Run([&checks] { return ++checks < 3; }, 10ms));
    EXPECT_EQ(checks, 0) << "the wait ran the window's events for work already done";
}

// A job that finishes is waited for while the window lives; one that is given up is left behind
// at once and may finish later, touching only what it owns.
TEST(QtBackgroundWork, WaitsForTheJobOrLeavesItWhenToldToGiveUp) {
    QtBackgroundWork work;
    int repaints = 0;
    QTimer paint;
    QObject::connect(&paint, &QTimer::timeout, [&repaints] { ++repaints; });
    paint.start(10);
    auto result = std::make_shared<std::atomic<int>>(0);
    EXPECT_TRUE(work.Run([result] { std::this_thread::sleep_for(300ms), *result = 1; },
                         [](auto) { return true; }));
    EXPECT_EQ(*result, 1);
    EXPECT_GT(repaints, 10) << "the window's events stopped while waiting";
    auto release = std::make_shared<std::promise<void>>();
    std::chrono::milliseconds gaveUpAt{};
    EXPECT_FALSE(
        work.Run([result, done = release->get_future().share()] { done.wait(), *result = 2; },
                 [&gaveUpAt](auto waited) { return (gaveUpAt = waited) < 200ms; }));
    EXPECT_LT(gaveUpAt, 400ms);
    release->set_value();
}

}  // namespace
}  // namespace orlavo

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
