#pragma once

#include <functional>
#include <memory>

namespace orlavo {

// How a thread waits for work that another thread does for it, one wait per object. The window's
// thread waits by running the window's events (platform/qt's WindowWait), so that the window keeps
// repainting and answering the person meanwhile; a thread with no window to keep alive simply
// blocks, and is given no ThreadWait at all.
class ThreadWait {
  public:
    virtual ~ThreadWait() = default;
    // Callable from any thread, also before Wait starts (Wait then returns at once).
    virtual void Wake() = 0;
    // Returns after Wake, or earlier when the thread has to stop waiting (the program is
    // quitting); the caller then still checks that its work is done.
    virtual void Wait() = 0;
};

using ThreadWaitFactory = std::function<std::unique_ptr<ThreadWait>()>;

}  // namespace orlavo
