#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>

namespace orlavo {

void QtEventPump::DoEvents() {
    QCoreApplication::processEvents();
}

}  // namespace orlavo
