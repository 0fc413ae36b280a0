#include "platform/qt_window_geometry.h"

#include <QScreen>
#include <QWidget>
#include <cmath>

#include "platform/runtime_error.h"

namespace orlavo {
namespace {

constexpr float kTwipsPerPixel = 15.0f;
// X11 keeps window coordinates in 16 bits.
constexpr float kLargestPixel = 32767.0f;

float ToTwips(int pixels) {
    return static_cast<float>(pixels) * kTwipsPerPixel;
}

int ToPixels(float twips) {
    const float pixels = std::nearbyint(twips / kTwipsPerPixel);
    if (!(std::fabs(pixels) <= kLargestPixel)) {
        throw RuntimeError(kOverflow, "The window cannot be placed that far.");
    }
    return static_cast<int>(pixels);
}

}  // namespace

QtWindowGeometry::QtWindowGeometry(QWidget& window) : m_window(window) {}

float QtWindowGeometry::Top() const {
    return ToTwips(m_window.frameGeometry().y());
}

float QtWindowGeometry::Left() const {
    return ToTwips(m_window.frameGeometry().x());
}

float QtWindowGeometry::Width() const {
    return ToTwips(m_window.frameGeometry().width());
}

float QtWindowGeometry::Height() const {
    return ToTwips(m_window.frameGeometry().height());
}

void QtWindowGeometry::SetTop(float twips) {
    MoveFrameTo(m_window.frameGeometry().x(), ToPixels(twips));
}

void QtWindowGeometry::SetLeft(float twips) {
    MoveFrameTo(ToPixels(twips), m_window.frameGeometry().y());
}

void QtWindowGeometry::SetWidth(float twips) {
    ResizeFrameTo(ToPixels(twips), m_window.frameGeometry().height());
}

void QtWindowGeometry::SetHeight(float twips) {
    ResizeFrameTo(m_window.frameGeometry().width(), ToPixels(twips));
}

float QtWindowGeometry::ScreenWidth() const {
    const QScreen* screen = m_window.screen();
    if (screen == nullptr) {
        throw RuntimeError(kInvalidArgument, "The window is on no screen.");
    }
    return ToTwips(screen->geometry().width());
}

// A top-level widget's position is its frame's position.
void QtWindowGeometry::MoveFrameTo(int x, int y) {
    m_window.move(x, y);
}

void QtWindowGeometry::ResizeFrameTo(int width, int height) {
    const QRect frame = m_window.frameGeometry();
    const QRect client = m_window.geometry();
    const int clientWidth = width - (frame.width() - client.width());
    const int clientHeight = height - (frame.height() - client.height());
    if (clientWidth < 1 || clientHeight < 1) {
        throw RuntimeError(kInvalidArgument, "The window cannot be made that small.");
    }
    // The window is of fixed size for the person; only the program itself resizes it.
    m_window.setMinimumSize(0, 0);
    m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_window.resize(clientWidth, clientHeight);
}

}  // namespace orlavo
