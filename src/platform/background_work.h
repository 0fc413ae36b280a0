#pragma once

#include <chrono>
#include <functional>

namespace orlavo {

// Work that may take long (a book on a network share, a very large book) runs off the window's
// thread, so the window keeps repainting and closing it still works. Commands the person chooses
// meanwhile are held, as while an item is spoken.
class BackgroundWork {
  public:
    using KeepWaiting = std::function<bool(std::chrono::milliseconds waited)>;

    virtual ~BackgroundWork() = default;
    // Runs `job` on another thread and returns true once it has finished. `keepWaiting` is asked
    // on this thread every so often with the time waited so far; when it says no, Run returns
    // false at once and the job is left to finish unseen, so the job must own all it touches.
    virtual bool Run(std::function<void()> job, const KeepWaiting& keepWaiting) = 0;
};

}  // namespace orlavo
