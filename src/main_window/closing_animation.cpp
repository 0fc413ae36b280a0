#include "main_window/closing_animation.h"

#include <exception>
#include <limits>

namespace orlavo {
namespace {

// Every edge moves inwards by the slide step each pass: the window shrinks about its centre.
constexpr float kSlide = 30.0f;
constexpr float kShrink = 60.0f;

// Closing must never fail in front of the person: a step the window system refuses is passed
// over and the next step runs.
template <typename Step>
void Skipping(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

void RunClosingAnimation(WindowGeometry& window) {
    for (int pass = 0; pass < kMaxClosingPasses; ++pass) {
        float topBefore = std::numeric_limits<float>::quiet_NaN();
        Skipping([&] {
            topBefore = window.Top();
            window.SetTop(topBefore + kSlide);
        });
        Skipping([&] { window.SetLeft(window.Left() + kSlide); });
        Skipping([&] { window.SetWidth(window.Width() - kShrink); });
        Skipping([&] { window.SetHeight(window.Height() - kShrink); });
        Skipping([&] { window.Present(); });

        try {
            const float top = window.Top();
            if (top > window.ScreenWidth() || top == topBefore) {
                return;
            }
        } catch (const std::exception&) {
            return;  // the screen cannot be asked: close without the rest of the animation
        }
    }
}

}  // namespace orlavo
