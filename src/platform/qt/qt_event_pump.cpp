#include "platform/qt/qt_event_pump.h"

#include "platform/qt/window_wait.h"

namespace orlavo {

void QtEventPump::DoEvents() {
    PumpWindowEvents();
}

}  // namespace orlavo
