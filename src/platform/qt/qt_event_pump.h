#pragma once

#include "platform/event_pump.h"

namespace orlavo {

// Runs the window's pending events: repainting, and the menu commands chosen meanwhile.
class QtEventPump : public EventPump {
  public:
    void DoEvents() override;
};

}  // namespace orlavo
