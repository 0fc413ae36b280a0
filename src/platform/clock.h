#pragma once

namespace orlavo {

class Clock {
  public:
    virtual ~Clock() = default;
    // Blocks the calling thread; no window command runs meanwhile.
    virtual void Sleep(int milliseconds) = 0;
};

}  // namespace orlavo
