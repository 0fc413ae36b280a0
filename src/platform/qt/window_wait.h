#pragma once

#include <QEventLoop>
#include <chrono>
#include <functional>
#include <mutex>

#include "platform/thread_wait.h"

namespace orlavo {

// Whenever the window's thread waits (for the voice, for a book loading off the window's thread,
// for the window manager while the window opens or closes), it waits by running the window's
// events instead of blocking: the window keeps repainting and answering the person, and closing
// it still works. A command the person chooses meanwhile does not run in the middle of the wait;
// ChosenCommands holds it until the reading loop's pump step. This is the one place that waits
// that way; the voice, which knows no Qt, is handed it as a ThreadWait.
class WindowWait : public ThreadWait {
  public:
    // Callable from any thread, also before Run starts (Run then returns at once).
    void Wake() override;
    void Wait() override { Run(); }
    // Runs the window's events until Wake, or until `keepWaiting`, asked every `checkEvery`,
    // says no. True when woken, even if only just after `keepWaiting` said no.
    bool Run(const std::function<bool()>& keepWaiting = {},
             std::chrono::milliseconds checkEvery = std::chrono::milliseconds(100));

  private:
    std::mutex m_mutex;
    bool m_woken = false;
    QEventLoop* m_running = nullptr;
};

// One step of the same: the window's pending events, then back to the caller.
void PumpWindowEvents(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
// Pending events, and those arriving meanwhile, for at most `atMost`.
void PumpWindowEvents(QEventLoop::ProcessEventsFlags flags, std::chrono::milliseconds atMost);

}  // namespace orlavo
