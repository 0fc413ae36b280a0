#include "main_window/chosen_commands.h"

#include <utility>

namespace orlavo {

ChosenCommands::ChosenCommands(EventPump& windowEvents, std::function<void(Form1::Event)> run,
                               std::function<bool(Form1::Event)> atOnce)
    : m_windowEvents(windowEvents), m_run(std::move(run)), m_atOnce(std::move(atOnce)) {}

void ChosenCommands::Choose(Form1::Event event) {
    if (m_running > 0 && !m_inPumpStep && !m_atOnce(event)) {
        m_held.push_back(event);
        return;
    }
    // Inside the command started here, the pump step that started it no longer counts: its own
    // busy moments hold commands again until its own pump step.
    const bool inPumpStep = std::exchange(m_inPumpStep, false);
    ++m_running;
    m_run(event);
    --m_running;
    m_inPumpStep = inPumpStep;
    if (m_running == 0) {
        RunHeld();
    }
}

void ChosenCommands::DoEvents() {
    const bool outer = std::exchange(m_inPumpStep, true);
    m_windowEvents.DoEvents();
    RunHeld();
    m_inPumpStep = outer;
}

void ChosenCommands::RunHeld() {
    while (!m_held.empty()) {
        const Form1::Event event = m_held.front();
        m_held.pop_front();
        Choose(event);
    }
}

}  // namespace orlavo
