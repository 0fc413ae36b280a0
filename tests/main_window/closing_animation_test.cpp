// The closing animation against a window that applies, refuses or ignores what it is told.

#include "main_window/closing_animation.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace orlavo {
namespace {

enum class Unreadable { kNothing, kScreenWidth, kLeft };

// A window whose screen width or position may not be readable; writes still move it.
class Window : public testing::FakeWindowGeometry {
  public:
    explicit Window(Unreadable unreadable) : m_unreadable(unreadable) {}
    float ScreenWidth() const override {
        return m_unreadable == Unreadable::kScreenWidth ? throw RuntimeError(kInvalidArgument, "")
                                                        : screenWidth;
    }
    float Left() const override {
        return m_unreadable == Unreadable::kLeft ? throw RuntimeError(kInvalidArgument, "") : left;
    }

  private:
    Unreadable m_unreadable;
};

struct SlideCase {
    std::string name;
    float top;
    float screenWidth;
    float minimumSize;  // size writes below this are refused
    bool canMove;
    Unreadable unreadable;
    int writes;
    float finalTop;
    float finalWidth;
};

class ClosingSlide : public ::testing::TestWithParam<SlideCase> {};

TEST_P(ClosingSlide, RunsUntilTheTopEdgeHasPassedTheScreenWidth) {
    const SlideCase& c = GetParam();
    Window window(c.unreadable);
    window.top = c.top;
    window.screenWidth = c.screenWidth;
    window.minimumSize = c.minimumSize;
    window.canMove = c.canMove;

    RunClosingAnimation(window);

    EXPECT_EQ(window.writes, c.writes);
    EXPECT_EQ(window.top, c.finalTop);
    EXPECT_EQ(window.width, c.finalWidth);
}

// The fake window starts 9150 twips wide and refuses a negative size, so it shrinks to 30. Every
// pass tries all four writes, save one whose read fails.
constexpr Unreadable kNone = Unreadable::kNothing;
INSTANTIATE_TEST_SUITE_P(
    ClosingAnimation, ClosingSlide,
    ::testing::Values(
        SlideCase{"TypicalWindow", 1200, 15360, 0, true, kNone, 4 * 473, 15390, 30},
        SlideCase{"PassEndingEqualToTheWidthGoesOn", 15330, 15360, 0, true, kNone, 8, 15390, 9030},
        SlideCase{"AlreadyPastTheWidthGetsOnePass", 20000, 15360, 0, true, kNone, 4, 20030, 9090},
        SlideCase{"RefusedSizesKeepSliding", 1200, 15360, 9100, true, kNone, 4 * 473, 15390, 9150},
        SlideCase{"ShrinksUntilRefusedThenSlides", 1200, 15360, 8000, true, kNone, 4 * 473, 15390,
                  8010},
        SlideCase{"WindowThatCannotMoveEndsAfterOnePass", 1200, 15360, 0, false, kNone, 4, 1200,
                  9090},
        SlideCase{"HugeScreenStopsAtTheBound", 0, 1e9f, 0, true, kNone, 4 * kMaxClosingPasses,
                  30.0f * kMaxClosingPasses, 30},
        SlideCase{"ScreenThatCannotBeAskedEndsAfterOnePass", 1200, 15360, 0, true,
                  Unreadable::kScreenWidth, 4, 1230, 9090},
        SlideCase{"FailingReadSkipsOnlyItsOwnStep", 1200, 15360, 0, true, Unreadable::kLeft,
                  3 * 473, 15390, 30}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
