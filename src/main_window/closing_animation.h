#pragma once

#include "platform/window_geometry.h"

namespace orlavo {

// Shrinks the window about its centre while sliding it down and to the right until its top edge
// has passed the screen's width. A step the window system refuses is skipped. A window that does
// not move (a Wayland session, a minimized or maximized window, a window manager that refuses)
// ends the animation after one pass, and no animation runs more than kMaxClosingPasses passes,
// so closing always ends the program.
inline constexpr int kMaxClosingPasses = 10000;

void RunClosingAnimation(WindowGeometry& window);

}  // namespace orlavo
