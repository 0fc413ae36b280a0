#pragma once

#include <functional>

#include "platform/event_pump.h"

namespace orlavo {

// Lets the window run what is waiting: menu commands chosen during reading run from here, nested
// in the reading loop. A command chosen while no pump step was running (while an item was being
// spoken) was held back by the window; it runs here too, after the window's own events.
class QtEventPump : public EventPump {
  public:
    explicit QtEventPump(std::function<void()> runHeldCommands);

    void DoEvents() override;

    // Whether a command chosen now may run at once: true inside a pump step, and false again
    // inside a command that the step started, until that command returns.
    bool InStep() const { return m_inStep; }
    void SetInStep(bool inStep) { m_inStep = inStep; }

  private:
    std::function<void()> m_runHeldCommands;
    bool m_inStep = false;
};

}  // namespace orlavo
