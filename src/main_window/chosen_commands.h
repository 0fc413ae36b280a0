#pragma once

#include <deque>
#include <functional>

#include "main_window/form1.h"
#include "platform/event_pump.h"

namespace orlavo {

// When a command the person chooses runs. The window stays alive while an item is being spoken
// (it repaints, its menu opens, the list scrolls), but the reading loop lets commands in only at
// its pump step, after the item: a command chosen while another command is busy elsewhere is held
// and runs at the next pump step, or as soon as the busy command ends if it has no pump step
// (the spoken "Load Ee Book First"). Closing is never held: a person who closes Orlavo expects
// silence at once.
//
// The window hands every choice to Choose; Form1 is given this object as its event pump.
class ChosenCommands : public EventPump {
  public:
    ChosenCommands(EventPump& windowEvents, std::function<void(Form1::Event)> run);

    void Choose(Form1::Event event);
    // The reading loop's pump step: the window's pending events, in which a choice runs at once,
    // then whatever was held.
    void DoEvents() override;

  private:
    void RunHeld();

    EventPump& m_windowEvents;
    std::function<void(Form1::Event)> m_run;
    int m_running = 0;
    bool m_inPumpStep = false;
    std::deque<Form1::Event> m_held;
};

}  // namespace orlavo
