#pragma once

#include "platform/window_geometry.h"

class QWidget;

namespace orlavo {

// The main window's frame in twips, at 15 twips to a device-independent pixel. Writes go to the
// window system at once, without running any event, so a loop of writes is seen as it happens.
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

  private:
    void MoveFrameTo(int x, int y);
    void ResizeFrameTo(int width, int height);

    QWidget& m_window;
};

}  // namespace orlavo
