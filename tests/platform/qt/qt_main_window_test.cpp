// The window as a person sees it, offscreen: its size, controls, colours, title font, focus and
// tab order, and the File menu with its separators and access keys.

#include "platform/qt_main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <string>
#include <vector>

namespace orlavo {
namespace {

using Command = QtMainWindow::Command;

class ShownWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window.SetCommandHandler([this](Command command) { commands.push_back(command); });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QWidget* Control(const char* name) { return window.findChild<QWidget*>(QLatin1String(name)); }
    QMenu* FileMenu() { return window.findChild<QMenu*>(QStringLiteral("File")); }
    QWidget* Client() { return window.centralWidget(); }

    QtMainWindow window;
    std::vector<Command> commands;
};

TEST_F(ShownWindow, HasAFixedClientAreaOf602By423UnderTheMenuBarAndItsIcon) {
    EXPECT_EQ(Client()->size(), QSize(602, 423));
    EXPECT_EQ(Client()->mapTo(&window, QPoint(0, 0)), QPoint(0, window.menuBar()->height()));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orlavo"));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    for (const int size : {16, 32, 48, 64, 128}) {
        EXPECT_EQ(QImage(QStringLiteral(":/icons/orlavo-%1.png").arg(size)).size(),
                  QSize(size, size));
    }
    EXPECT_EQ(window.windowIcon().pixmap(16).size(), QSize(16, 16));
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Orlavo"));
    EXPECT_EQ(QApplication::applicationVersion(), QStringLiteral("1.0.0.0"));
}

struct ControlCase {
    const char* name;
    QRect geometry;
};

class ControlPlacement : public ShownWindow, public ::testing::WithParamInterface<ControlCase> {};

// The path box sits beyond the client area's right edge: never seen, yet in the tab order.
TEST_P(ControlPlacement, SitsAtItsPlaceInTheClientArea) {
    QWidget* control = Control(GetParam().name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), Client());
    EXPECT_EQ(control->geometry(), GetParam().geometry);
    EXPECT_FALSE(control->accessibleName().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Layout, ControlPlacement,
                         ::testing::Values(ControlCase{"txtSource", QRect(632, 40, 233, 25)},
                                           ControlCase{"List1", QRect(8, 32, 585, 381)},
                                           ControlCase{"Label2", QRect(0, 416, 601, 25)},
                                           ControlCase{"Label1", QRect(0, 0, 593, 27)}),
                         [](const auto& info) { return std::string(info.param.name); });

// Pixels of the rendered window: the title strip, the margin beside the list and the footer
// strip are all the window's grey; the footer has no text, only a one-line tooltip.
TEST_F(ShownWindow, PaintsTheBackgroundAndLabelsGreyAndExplainsTheFooter) {
    const QImage image = Client()->grab().toImage();
    for (const QPoint point : {QPoint(2, 2), QPoint(598, 2), QPoint(3, 200), QPoint(597, 200),
                               QPoint(300, 418), QPoint(300, 422)}) {
        EXPECT_EQ(image.pixel(point), qRgb(192, 192, 192)) << point.x() << "," << point.y();
    }
    const QString tip = Control("Label2")->toolTip();
    EXPECT_FALSE(tip.isEmpty());
    EXPECT_FALSE(tip.contains('\n'));
    EXPECT_TRUE(static_cast<QLabel*>(Control("Label2"))->text().isEmpty());
}

TEST_F(ShownWindow, ShowsTheTitleBoldAt18PointsCentredAsPlainTextCutToTheLabel) {
    auto* title = static_cast<QLabel*>(Control("Label1"));
    EXPECT_EQ(title->font().pointSize(), 18);
    EXPECT_EQ(title->font().weight(), QFont::Bold);
    EXPECT_TRUE(QFontInfo(title->font()).bold());
    EXPECT_TRUE(title->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_EQ(title->textFormat(), Qt::PlainText);

    window.titleLabel().SetCaption("Moby Dick");
    EXPECT_EQ(title->text(), QStringLiteral("Moby Dick"));

    const std::string longTitle(200, 'W');
    window.titleLabel().SetCaption(longTitle);
    QApplication::processEvents();
    EXPECT_EQ(title->geometry(), QRect(0, 0, 593, 27));
    EXPECT_LE(title->fontMetrics().horizontalAdvance(title->text()), 593);
    EXPECT_TRUE(title->text().startsWith(QStringLiteral("WWW")));
    EXPECT_EQ(title->toolTip(), QString::fromStdString(longTitle));
}

TEST_F(ShownWindow, StartsWithTheListFocusedAndTabsThroughThePathBox) {
    EXPECT_EQ(QApplication::focusWidget(), Control("List1"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control("txtSource"));

    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("typed"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control("List1"));
    EXPECT_TRUE(commands.empty());
}

struct MenuEntry {
    const char* name;
    const char* caption;  // empty for a separator line
};

TEST_F(ShownWindow, HasOneFileMenuWithItsEntriesInOrder) {
    const std::vector<MenuEntry> expected = {
        {"Space", ""},
        {"LoadEBook", "&Load E Book"},
        {"Space3", ""},
        {"StartOrlavo", "&Start Orlavo"},
        {"StartOrlavoFromLine", "&Start Orlavo From Line"},
        {"space1", ""},
        {"StopOrlavo", "&Stop Orlavo"},
        {"space2", ""},
    };
    ASSERT_EQ(window.menuBar()->actions().size(), 1);
    EXPECT_EQ(window.menuBar()->actions().first()->text(), QStringLiteral("&File"));
    EXPECT_EQ(window.menuBar()->actions().first()->objectName(), QStringLiteral("File"));
    QMenu* file = FileMenu();
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->separatorsCollapsible());

    const QList<QAction*> actions = file->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const MenuEntry& entry = expected[static_cast<std::size_t>(i)];
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(actions[i]->objectName(), QLatin1String(entry.name));
        EXPECT_EQ(actions[i]->isSeparator(), *entry.caption == '\0');
        EXPECT_EQ(actions[i]->text(), QLatin1String(entry.caption));
        EXPECT_TRUE(actions[i]->isEnabled());
        EXPECT_TRUE(actions[i]->shortcut().isEmpty());
    }
}

// The leading and trailing separator lines are drawn: the menu's first and last items have room.
TEST_F(ShownWindow, DrawsTheOpeningAndClosingSeparators) {
    QMenu* file = FileMenu();
    file->popup(QPoint(0, 0));
    const QList<QAction*> actions = file->actions();
    EXPECT_GT(file->actionGeometry(actions.first()).height(), 0);
    EXPECT_GT(file->actionGeometry(actions.last()).height(), 0);
    EXPECT_LT(file->actionGeometry(actions.first()).top(), file->actionGeometry(actions[1]).top());
    file->hide();
}

TEST_F(ShownWindow, AnnouncesEveryMenuItemToAScreenReader) {
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(FileMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(QAccessible::Name), QStringLiteral("File"));
    QStringList names;
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface* item = menu->child(i);
        if (item->role() != QAccessible::Separator) {
            names << item->text(QAccessible::Name);
        }
    }
    EXPECT_EQ(names, QStringList(
                         {"Load E Book", "Start Orlavo", "Start Orlavo From Line", "Stop Orlavo"}));
}

// Keys pressed after Alt+F opened the menu, and the command they choose.
struct AccessKeyCase {
    const char* name;
    std::vector<Qt::Key> keys;
    std::vector<Command> chosen;
};

class AccessKeys : public ShownWindow, public ::testing::WithParamInterface<AccessKeyCase> {};

TEST_P(AccessKeys, ChooseFromTheFileMenu) {
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), FileMenu());

    for (const Qt::Key key : GetParam().keys) {
        QTest::keyClick(QApplication::activePopupWidget(), key);
    }

    EXPECT_EQ(commands, GetParam().chosen);
    if (GetParam().chosen.empty()) {
        EXPECT_EQ(QApplication::activePopupWidget(), FileMenu());
        FileMenu()->hide();
    } else {
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Menu, AccessKeys,
    ::testing::Values(AccessKeyCase{"LChoosesLoadAtOnce", {Qt::Key_L}, {Command::kLoadEBook}},
                      AccessKeyCase{"SAloneChoosesNothing", {Qt::Key_S}, {}},
                      AccessKeyCase{
                          "SThenEnterStarts", {Qt::Key_S, Qt::Key_Return}, {Command::kStartOrlavo}},
                      AccessKeyCase{"SecondSStartsFromLine",
                                    {Qt::Key_S, Qt::Key_S, Qt::Key_Return},
                                    {Command::kStartOrlavoFromLine}},
                      AccessKeyCase{"ThirdSStops",
                                    {Qt::Key_S, Qt::Key_S, Qt::Key_S, Qt::Key_Return},
                                    {Command::kStopOrlavo}},
                      AccessKeyCase{"FourthSComesBackToStart",
                                    {Qt::Key_S, Qt::Key_S, Qt::Key_S, Qt::Key_S, Qt::Key_Return},
                                    {Command::kStartOrlavo}}),
    [](const auto& info) { return std::string(info.param.name); });

// The closing animation still has a window to slide away.
TEST_F(ShownWindow, ClosingHandsOverToTheHandlerWithTheWindowStillOpen) {
    window.close();
    EXPECT_EQ(commands, std::vector<Command>({Command::kClose}));
    EXPECT_TRUE(window.isVisible());
}

// While a command is busy outside a pump step (an item being spoken), the menu still answers but
// a command chosen there waits for the reading loop's next pump step; closing never waits.
TEST_F(ShownWindow, HoldsCommandsChosenWhileAnItemIsSpokenUntilThePumpStep) {
    QAction* stop = window.findChild<QAction*>(QStringLiteral("StopOrlavo"));
    std::vector<std::string> log;
    window.SetCommandHandler([&](Command command) {
        if (command == Command::kStartOrlavo) {
            log.push_back("start");
            stop->trigger();  // chosen while the item is spoken
            log.push_back("spoken");
            window.eventPump().DoEvents();
            log.push_back("after pump");
            stop->trigger();  // and again while the next item is spoken
            window.close();
            log.push_back("spoken again");
        } else {
            log.push_back(command == Command::kClose ? "close" : "stop");
        }
    });
    window.findChild<QAction*>(QStringLiteral("StartOrlavo"))->trigger();
    EXPECT_EQ(log, (std::vector<std::string>{"start", "spoken", "stop", "after pump", "close",
                                             "spoken again", "stop"}));
}

TEST_F(ShownWindow, ACommandChosenInThePumpStepRunsThereAndItsOwnWaitsHoldOthers) {
    QAction* stop = window.findChild<QAction*>(QStringLiteral("StopOrlavo"));
    QAction* start = window.findChild<QAction*>(QStringLiteral("StartOrlavoFromLine"));
    std::vector<std::string> log;
    window.SetCommandHandler([&](Command command) {
        if (command == Command::kStartOrlavo) {
            log.push_back("outer");
            start->trigger();  // held: the outer loop is speaking
            window.eventPump().DoEvents();
            log.push_back("outer resumes");
        } else if (command == Command::kStartOrlavoFromLine) {
            log.push_back("nested");
            stop->trigger();  // held: the nested loop is speaking
            log.push_back("nested spoken");
            window.eventPump().DoEvents();
        } else {
            log.push_back("stop");
        }
    });
    window.findChild<QAction*>(QStringLiteral("StartOrlavo"))->trigger();
    EXPECT_EQ(log, (std::vector<std::string>{"outer", "nested", "nested spoken", "stop",
                                             "outer resumes"}));
}

}  // namespace
}  // namespace orlavo
