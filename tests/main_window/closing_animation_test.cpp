// The closing animation against a window that applies, refuses or ignores what it is told.

#include "main_window/closing_animation.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "fakes/fake_platform.h"

namespace orlavo {
namespace {

using testing::FakeWindowGeometry;

// A window whose screen cannot be asked for its width.
class WindowWithoutScreen : public FakeWindowGeometry {
  public:
    float ScreenWidth() const override { throw RuntimeError(kInvalidArgument, "no screen"); }
};

// A window whose position cannot be read; writes still move it.
class WindowWithUnreadableLeft : public FakeWindowGeometry {
  public:
    float Left() const override { throw RuntimeError(kInvalidArgument, "no position"); }
};

struct SlideCase {
    std::string name;
    float top;
    float screenWidth;
    float minimumSize;  // size writes below this are refused
    bool canMove;
    int passes;
    float finalTop;
    float finalWidth;
};

void PrintTo(const SlideCase& c, std::ostream* out) {
    *out << c.name;
}

class ClosingSlide : public ::testing::TestWithParam<SlideCase> {};

TEST_P(ClosingSlide, RunsUntilTheTopEdgeHasPassedTheScreenWidth) {
    const SlideCase& c = GetParam();
    FakeWindowGeometry window;
    window.top = c.top;
    window.screenWidth = c.screenWidth;
    window.minimumSize = c.minimumSize;
    window.canMove = c.canMove;

    RunClosingAnimation(window);

    EXPECT_EQ(window.writes, 4 * c.passes);  // every pass tries all four writes
    EXPECT_EQ(window.top, c.finalTop);
    EXPECT_EQ(window.width, c.finalWidth);
}

// The fake window starts 9150 twips wide and refuses a negative size, so it shrinks to 30.
INSTANTIATE_TEST_SUITE_P(
    ClosingAnimation, ClosingSlide,
    ::testing::Values(
        SlideCase{"TypicalWindow", 1200, 15360, 0, true, 473, 15390, 30},
        SlideCase{"PassEndingEqualToTheWidthGoesOn", 15330, 15360, 0, true, 2, 15390, 9030},
        SlideCase{"AlreadyPastTheWidthGetsOnePass", 20000, 15360, 0, true, 1, 20030, 9090},
        SlideCase{"RefusedSizesKeepSliding", 1200, 15360, 9100, true, 473, 15390, 9150},
        SlideCase{"ShrinksUntilRefusedThenSlides", 1200, 15360, 8000, true, 473, 15390, 8010},
        SlideCase{"WindowThatCannotMoveEndsAfterOnePass", 1200, 15360, 0, false, 1, 1200, 9090},
        SlideCase{"HugeScreenStopsAtTheBound", 0, 1e9f, 0, true, kMaxClosingPasses,
                  30.0f * kMaxClosingPasses, 30}),
    [](const auto& info) { return info.param.name; });

TEST(ClosingAnimationFailures, AScreenThatCannotBeAskedEndsAfterOnePass) {
    WindowWithoutScreen window;

    RunClosingAnimation(window);

    EXPECT_EQ(window.writes, 4);
    EXPECT_EQ(window.top, 1230);
    EXPECT_EQ(window.height, 6940);
}

TEST(ClosingAnimationFailures, AFailingReadSkipsOnlyItsOwnStep) {
    WindowWithUnreadableLeft window;

    RunClosingAnimation(window);

    EXPECT_EQ(window.writes, 3 * 473);  // the Left step never gets to its write
    EXPECT_EQ(window.left, 1200);
    EXPECT_EQ(window.top, 15390);
    EXPECT_EQ(window.height, 40);  // no window is narrower than nothing
}

}  // namespace
}  // namespace orlavo
