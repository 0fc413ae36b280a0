// The window's frame in twips, offscreen (where the frame has no border): reading, moving and
// resizing the real window, as the closing animation does.

#include <gtest/gtest.h>

#include <QScreen>
#include <QTest>
#include <string>

#include "platform/qt_main_window.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

class WindowFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.move(100, 80);
        start = window.frameGeometry();
    }

    QtMainWindow window;
    WindowGeometry& geometry = window.geometry();
    QRect start;
};

TEST_F(WindowFrame, ReadsTheFrameAtFifteenTwipsAPixel) {
    EXPECT_EQ(geometry.Top(), 80 * 15);
    EXPECT_EQ(geometry.Left(), 100 * 15);
    EXPECT_EQ(geometry.Width(), static_cast<float>(start.width() * 15));
    EXPECT_EQ(geometry.Height(), static_cast<float>(start.height() * 15));
    EXPECT_EQ(geometry.ScreenWidth(), static_cast<float>(window.screen()->geometry().width() * 15));
}

struct WriteCase {
    const char* name;
    void (WindowGeometry::*write)(float);
    float twips;
    QRect (*expected)(QRect start);
};

class FrameWrites : public WindowFrame, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(FrameWrites, ReachTheWindowAtOnce) {
    (geometry.*GetParam().write)(GetParam().twips);
    EXPECT_EQ(window.frameGeometry(), GetParam().expected(start));
}

INSTANTIATE_TEST_SUITE_P(
    WindowGeometry, FrameWrites,
    ::testing::Values(WriteCase{"Top", &WindowGeometry::SetTop, 1230,
                                [](QRect r) { return r.translated(0, 82 - r.y()); }},
                      WriteCase{"Left", &WindowGeometry::SetLeft, 1530,
                                [](QRect r) { return r.translated(102 - r.x(), 0); }},
                      WriteCase{"TopOffTheScreen", &WindowGeometry::SetTop, 30000,
                                [](QRect r) { return r.translated(0, 2000 - r.y()); }},
                      WriteCase{"TopRoundsToThePixel", &WindowGeometry::SetTop, 1238,
                                [](QRect r) { return r.translated(0, 83 - r.y()); }},
                      WriteCase{"WidthShrinksTheFixedWindow", &WindowGeometry::SetWidth, 4500,
                                [](QRect r) { return QRect(r.topLeft(), QSize(300, r.height())); }},
                      WriteCase{"Height", &WindowGeometry::SetHeight, 3000,
                                [](QRect r) { return QRect(r.topLeft(), QSize(r.width(), 200)); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowFrame, RefusesASizeOfNothingAndAPlaceBeyondTheWindowSystem) {
    for (auto write : {&WindowGeometry::SetWidth, &WindowGeometry::SetHeight}) {
        EXPECT_THROW((geometry.*write)(0), RuntimeError);
        EXPECT_THROW((geometry.*write)(-60), RuntimeError);
    }
    EXPECT_THROW(geometry.SetTop(1e9f), RuntimeError);
    EXPECT_EQ(window.frameGeometry(), start);
}

}  // namespace
}  // namespace orlavo
