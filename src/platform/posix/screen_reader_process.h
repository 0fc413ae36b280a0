#pragma once

#include <string>

#include "platform/screen_reader.h"

namespace orlavo {

// A screen reader the desktop's flag does not announce: Orca started from a terminal or by a
// session's autostart leaves the accessibility service's ScreenReaderEnabled false, yet speaks.
// Its process is the sign relied on: a live process of this user whose command is Orca ("orca", or
// a Python interpreter running a script named orca). No ordinary program goes by that name, and
// reading through speech-dispatcher beside a process that only looks like one costs nothing.
// Asks `desktop` first; the process list is read anew each time reading starts, so a screen
// reader started or quit since is heard at once.
class ScreenReaderProcess : public ScreenReader {
  public:
    explicit ScreenReaderProcess(ScreenReader& desktop, std::string procRoot = "/proc");

    bool Running() override;

  private:
    ScreenReader& m_desktop;
    std::string m_procRoot;
};

}  // namespace orlavo
