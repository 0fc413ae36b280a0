#include "platform/qt/qt_clock.h"

#include <chrono>
#include <thread>

namespace orlavo {

void QtClock::Sleep(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace orlavo
