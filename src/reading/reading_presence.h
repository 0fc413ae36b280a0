#pragma once

// When the desktop counts Orlavo as reading: from the start of the reading loop until it ends (the
// book's end, a voice that failed, a load that replaced the book, any other error) or a Stop or
// Pause is chosen, whichever comes first. Meanwhile the media controls show it playing and the
// desktop is asked not to go idle; afterwards they show it paused, after the media controls'
// Pause, or stopped. The reading loop and the stop commands report here; the desktop hears of
// each change once.

#include "form_state/form1_members.h"
#include "platform/desktop_session.h"

namespace orlavo {

bool IsReading(const Form1Members& members);

// Tells the desktop whether Orlavo is reading, paused or stopped, when that changed since it was
// last told.
void TellDesktop(Form1Members& members, DesktopSession& desktop);

// The reading loop, from its start to its end.
class ReadingPresence {
  public:
    ReadingPresence(Form1Members& members, DesktopSession& desktop);
    ~ReadingPresence();
    ReadingPresence(const ReadingPresence&) = delete;
    ReadingPresence& operator=(const ReadingPresence&) = delete;

    // Ends the loop's part before it returns: a box that says why reading ended comes after the
    // desktop was told.
    void End();

  private:
    Form1Members& m_members;
    DesktopSession& m_desktop;
    bool m_ended = false;
};

}  // namespace orlavo
