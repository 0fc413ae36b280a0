#pragma once

// What the kernel tells of a process in its /proc/<pid>/stat, for the code that looks for
// another program's process: a screen reader of this user, speech-dispatcher's synthesizer.

#include <sys/types.h>

#include <optional>
#include <string>

namespace orlavo {

struct ProcessState {
    std::string name;  // cut to 15 bytes by the kernel
    char state = '?';
    pid_t parent = 0;

    // Ended, and not yet collected by whoever started it: it does nothing any more.
    bool Ended() const { return state == 'Z' || state == 'X'; }
    // Stopped by a signal or a debugger.
    bool Stopped() const { return state == 'T' || state == 't'; }
};

// The process whose folder is `folder` ("/proc/1234"), or nothing when it is gone.
std::optional<ProcessState> ReadProcessState(const std::string& folder);

}  // namespace orlavo
