#include "platform/qt_event_pump.h"

#include <QCoreApplication>
#include <utility>

namespace orlavo {

QtEventPump::QtEventPump(std::function<void()> runHeldCommands)
    : m_runHeldCommands(std::move(runHeldCommands)) {}

void QtEventPump::DoEvents() {
    const bool outer = std::exchange(m_inStep, true);
    QCoreApplication::processEvents();
    if (m_runHeldCommands) {
        m_runHeldCommands();
    }
    m_inStep = outer;
}

}  // namespace orlavo
