#pragma once

#include "platform/event_pump.h"

namespace orlavo {

// Lets the window run what is waiting: menu commands chosen during reading run from here.
class QtEventPump : public EventPump {
  public:
    void DoEvents() override;
};

}  // namespace orlavo
