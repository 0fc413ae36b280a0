#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <optional>

#include "platform/window_geometry.h"

class QWidget;

namespace orlavo {

// The main window's frame in twips, at 15 twips to a device-independent pixel. Writes are
// gathered and carried out together by Present, which waits until the window manager has
// applied them, so that each step of the closing animation is seen, and a read always gives what
// the last write asked for or, after Present, what the window system made of it.
class QtWindowGeometry : public WindowGeometry {
  public:
    explicit QtWindowGeometry(QWidget& window);

    float Top() const override;
    float Left() const override;
    float Width() const override;
    float Height() const override;
    void SetTop(float twips) override;
    void SetLeft(float twips) override;
    void SetWidth(float twips) override;
    void SetHeight(float twips) override;
    float ScreenWidth() const override;
    void Present() override;

  private:
    QRect Frame() const;
    int FrameSide(float twips, int border) const;
    // Whether the window system shows the frame as asked.
    bool WaitForWindowManager(const QRect& frame);

    QWidget& m_window;
    std::optional<QRect> m_pending;
    bool m_resizable = false;
    QElapsedTimer m_sinceFirstPresent;
    QElapsedTimer m_sinceStep;
};

}  // namespace orlavo
