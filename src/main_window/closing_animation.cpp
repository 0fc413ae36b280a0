#include "main_window/closing_animation.h"

namespace orlavo {

void RunClosingAnimation(WindowGeometry& window) {
    (void)window;
}

}  // namespace orlavo
