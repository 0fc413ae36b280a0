#include "reading/reading_presence.h"

#include <utility>

namespace orlavo {

bool IsReading(const Form1Members& members) {
    return members.m_readingUnderWay && members.StopSpeaking == kFalse;
}

void TellDesktop(Form1Members& members, DesktopSession& desktop) {
    const ReadingState state = IsReading(members) ? ReadingState::kReading
                               : members.m_paused ? ReadingState::kPaused
                                                  : ReadingState::kStopped;
    const ReadingState was = std::exchange(members.m_desktopKnows, state);
    if (state == was) {
        return;
    }
    // Awake from before the first word until after the last.
    if (state == ReadingState::kReading) {
        desktop.KeepAwake(true);
        desktop.ShowState(state);
    } else {
        desktop.ShowState(state);
        if (was == ReadingState::kReading) {
            desktop.KeepAwake(false);
        }
    }
}

ReadingPresence::ReadingPresence(Form1Members& members, DesktopSession& desktop)
    : m_members(members), m_desktop(desktop) {
    m_members.m_readingUnderWay = true;
    m_members.m_paused = false;
    TellDesktop(m_members, m_desktop);
}

ReadingPresence::~ReadingPresence() {
    End();
}

void ReadingPresence::End() {
    if (!std::exchange(m_ended, true)) {
        m_members.m_readingUnderWay = false;
        TellDesktop(m_members, m_desktop);
    }
}

}  // namespace orlavo
