#pragma once

#include "platform/background_work.h"

namespace orlavo {

// Runs the job on a thread of its own while the window's event loop goes on; after half a second
// the mouse pointer shows that Orlavo is busy, so a long load does not look like a hang.
class QtBackgroundWork : public BackgroundWork {
  public:
    bool Run(std::function<void()> job, const KeepWaiting& keepWaiting) override;
};

}  // namespace orlavo
