#pragma once

#include "platform/window_geometry.h"

namespace orlavo {

// Shrinks the window about its centre while sliding it down and to the right until its top edge
// has passed the screen's width. A step the window system refuses is skipped.
void RunClosingAnimation(WindowGeometry& window);

}  // namespace orlavo
