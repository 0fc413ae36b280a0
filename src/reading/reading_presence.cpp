#include "reading/reading_presence.h"

#include <utility>

namespace orlavo {

bool IsReading(const Form1Members& members) {
    return members.m_readingLoops > 0 && members.StopSpeaking == kFalse;
}

void TellDesktop(Form1Members& members, DesktopSession& desktop) {
    const bool reading = IsReading(members);
    if (reading == members.m_desktopKnowsReading) {
        return;
    }
    members.m_desktopKnowsReading = reading;
    // Awake from before the first word until after the last.
    if (reading) {
        desktop.KeepAwake(true);
        desktop.ShowReading(true);
    } else {
        desktop.ShowReading(false);
        desktop.KeepAwake(false);
    }
}

ReadingPresence::ReadingPresence(Form1Members& members, DesktopSession& desktop)
    : m_members(members), m_desktop(desktop) {
    ++m_members.m_readingLoops;
    TellDesktop(m_members, m_desktop);
}

ReadingPresence::~ReadingPresence() {
    End();
}

void ReadingPresence::End() {
    if (!std::exchange(m_ended, true)) {
        --m_members.m_readingLoops;
        TellDesktop(m_members, m_desktop);
    }
}

}  // namespace orlavo
