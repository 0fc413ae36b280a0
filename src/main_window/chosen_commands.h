#pragma once

#include <deque>
#include <functional>

#include "main_window/form1.h"
#include "platform/event_pump.h"

namespace orlavo {

// When a command the person chooses runs. The window stays alive while an item is being spoken
// (it repaints, its menu opens, the list scrolls), but a command chosen while another command is
// busy elsewhere (a book loading, the voice being made, the spoken "Load Ee Book First") is held
// and runs at the reading loop's next pump step, or as soon as the busy command ends if it has no
// pump step. Those that must act at once run at once (`atOnce`): closing, since a person who
// closes Orlavo expects silence at once, and while reading the commands that stop or move it.
//
// The window hands every choice to Choose; Form1 is given this object as its event pump.
class ChosenCommands : public EventPump {
  public:
    ChosenCommands(EventPump& windowEvents, std::function<void(Form1::Event)> run,
                   std::function<bool(Form1::Event)> atOnce);

    void Choose(Form1::Event event);
    // The reading loop's pump step: the window's pending events, in which a choice runs at once,
    // then whatever was held.
    void DoEvents() override;

  private:
    void RunHeld();

    EventPump& m_windowEvents;
    std::function<void(Form1::Event)> m_run;
    std::function<bool(Form1::Event)> m_atOnce;
    int m_running = 0;
    bool m_inPumpStep = false;
    std::deque<Form1::Event> m_held;
};

}  // namespace orlavo
