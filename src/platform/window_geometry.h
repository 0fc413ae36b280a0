#pragma once

namespace orlavo {

// The main window's outer position and size and the screen's width, in twips. A write moves or
// resizes the window at once; the window system may adjust a value or refuse it with a
// RuntimeError.
class WindowGeometry {
  public:
    virtual ~WindowGeometry() = default;
    virtual float Top() const = 0;
    virtual float Left() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    virtual void SetTop(float twips) = 0;
    virtual void SetLeft(float twips) = 0;
    virtual void SetWidth(float twips) = 0;
    virtual void SetHeight(float twips) = 0;
    virtual float ScreenWidth() const = 0;
    // Returns once the window system shows the window where the writes so far put it, so that
    // each step of an animation is seen; waits a little at most.
    virtual void Present() = 0;
};

}  // namespace orlavo
