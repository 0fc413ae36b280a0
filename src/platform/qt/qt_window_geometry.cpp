#include "platform/qt/qt_window_geometry.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "platform/qt/window_wait.h"
#include "platform/runtime_error.h"
#include "texts/program_texts.h"

namespace orlavo {
namespace {

constexpr float kTwipsPerPixel = 15.0f;
// X11 keeps window coordinates in 16 bits.
constexpr float kLargestPixel = 32767.0f;
// Each step stays on screen at least this long. Closing a window on a 1280-pixel-wide screen takes
// about 500 steps, so the whole animation is seen and still ends within a second and a half.
constexpr std::chrono::nanoseconds kStep = std::chrono::microseconds(2500);
// A window manager that does not answer must not hold up closing for long.
constexpr qint64 kLongestWaitNanoseconds = 10'000'000;
constexpr qint64 kWaitingBudgetMilliseconds = 1000;

float ToTwips(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

int ToPixels(float twips) {
    const float pixels = std::nearbyint(twips / kTwipsPerPixel);
    if (!(std::fabs(pixels) <= kLargestPixel)) {
        throw RuntimeError(kOverflow, kWindowTooFar);
    }
    return static_cast<int>(pixels);
}

}  // namespace

QtWindowGeometry::QtWindowGeometry(QWidget& window) : m_window(window) {}

QRect QtWindowGeometry::Frame() const {
    return m_pending.value_or(m_window.frameGeometry());
}

float QtWindowGeometry::Top() const {
    return ToTwips(Frame().y());
}

float QtWindowGeometry::Left() const {
    return ToTwips(Frame().x());
}

float QtWindowGeometry::Width() const {
    return ToTwips(Frame().width());
}

float QtWindowGeometry::Height() const {
    return ToTwips(Frame().height());
}

void QtWindowGeometry::SetTop(float twips) {
    QRect frame = Frame();
    frame.moveTop(ToPixels(twips));
    m_pending = frame;
}

void QtWindowGeometry::SetLeft(float twips) {
    QRect frame = Frame();
    frame.moveLeft(ToPixels(twips));
    m_pending = frame;
}

// A frame size in pixels that leaves room for a client area; the window system would refuse less.
int QtWindowGeometry::FrameSide(float twips, int border) const {
    const int pixels = ToPixels(twips);
    if (pixels - border < 1) {
        throw RuntimeError(kInvalidArgument, kWindowTooSmall);
    }
    return pixels;
}

void QtWindowGeometry::SetWidth(float twips) {
    QRect frame = Frame();
    frame.setWidth(FrameSide(twips, m_window.frameGeometry().width() - m_window.width()));
    m_pending = frame;
}

void QtWindowGeometry::SetHeight(float twips) {
    QRect frame = Frame();
    frame.setHeight(FrameSide(twips, m_window.frameGeometry().height() - m_window.height()));
    m_pending = frame;
}

float QtWindowGeometry::ScreenWidth() const {
    const QScreen* screen = m_window.screen();
    if (screen == nullptr) {
        throw RuntimeError(kInvalidArgument, kWindowOnNoScreen);
    }
    return ToTwips(screen->geometry().width());
}

void QtWindowGeometry::Present() {
    if (!m_sinceFirstPresent.isValid()) {
        m_sinceFirstPresent.start();
    }
    // Past this, the steps are only sent, not waited for: closing must end soon, however slowly
    // the window manager follows.
    const bool waiting = m_sinceFirstPresent.elapsed() < kWaitingBudgetMilliseconds;
    if (m_pending) {
        const QRect frame = *m_pending;
        if (!m_resizable) {
            // The window is of fixed size for the person; only the program resizes it.
            m_window.setMinimumSize(0, 0);
            m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            m_resizable = true;
        }
        // One request for the whole step: the client area inside the asked frame.
        const QRect now = m_window.frameGeometry();
        const QRect client = m_window.geometry();
        m_window.setGeometry(frame.adjusted(client.left() - now.left(), client.top() - now.top(),
                                            client.right() - now.right(),
                                            client.bottom() - now.bottom()));
        // Once the window manager has done as asked, reads give the window's real place again;
        // while it lags behind, they give what was asked, so the steps go on from there.
        if (waiting && WaitForWindowManager(frame)) {
            m_pending.reset();
        }
    }
    if (waiting && m_sinceStep.isValid()) {
        const auto left = kStep - std::chrono::nanoseconds(m_sinceStep.nsecsElapsed());
        if (left.count() > 0) {
            std::this_thread::sleep_for(left);
        }
    }
    m_sinceStep.start();
}

bool QtWindowGeometry::WaitForWindowManager(const QRect& frame) {
    QElapsedTimer waited;
    waited.start();
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    for (;;) {
        if (x11 != nullptr) {
            // A round trip sends Qt's pending requests; once the X server answers, it has passed
            // them all on to the window manager.
            xcb_connection_t* connection = x11->connection();
            std::free(
                xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        }
        // The window manager's answers arrive as events.
        PumpWindowEvents(QEventLoop::ExcludeUserInputEvents);
        if (m_window.frameGeometry() == frame) {
            return true;
        }
        if (waited.nsecsElapsed() > kLongestWaitNanoseconds) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace orlavo
