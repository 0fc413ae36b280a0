#include "platform/qt/window_wait.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace orlavo {

void WindowWait::Wake() {
    std::lock_guard lock(m_mutex);
    m_woken = true;
    if (m_running != nullptr) {
        QMetaObject::invokeMethod(m_running, &QEventLoop::quit, Qt::QueuedConnection);
    }
}

bool WindowWait::Run(const std::function<bool()>& keepWaiting,
                     std::chrono::milliseconds checkEvery) {
    QEventLoop loop;
    QTimer check;
    if (keepWaiting) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!keepWaiting()) {
                loop.quit();
            }
        });
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_woken) {
            return true;
        }
        m_running = &loop;
    }
    if (keepWaiting) {
        check.start(checkEvery);
    }
    loop.exec();
    std::lock_guard lock(m_mutex);
    m_running = nullptr;
    return m_woken;
}

void PumpWindowEvents(QEventLoop::ProcessEventsFlags flags) {
    QCoreApplication::processEvents(flags);
}

void PumpWindowEvents(QEventLoop::ProcessEventsFlags flags, std::chrono::milliseconds atMost) {
    QCoreApplication::processEvents(flags, static_cast<int>(atMost.count()));
}

}  // namespace orlavo
