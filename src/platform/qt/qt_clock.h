#pragma once

#include "platform/clock.h"

namespace orlavo {

// A plain pause of the window's thread: no event is looked at, so no command can slip in.
class QtClock : public Clock {
  public:
    void Sleep(int milliseconds) override;
};

}  // namespace orlavo
