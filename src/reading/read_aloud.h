#pragma once

// The reading loop and what it needs from the platform. The start commands call ReadAloud; it
// reads the book list aloud from the selected item, one item at a time, highlighting each while
// it is spoken and, within it, the word being heard, and lets pending window commands run between
// items. Stop and the start commands also reach it while an item is spoken: a Stop cuts the item
// at once and leaves it highlighted, to go on from the word it was cut at; a start moves the one
// reading there is to the item now selected. It never passes an error to its caller: a voice that
// fails during an item ends reading with a box that says why; any other error ends it quietly.
// The desktop hears when it starts and ends and which item it reads (reading_presence.h).

#include <string>

#include "form_state/form1_members.h"
#include "platform/book_list.h"
#include "platform/clock.h"
#include "platform/desktop_session.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

namespace orlavo {

struct ReadingServices {
    BookList& list;
    Dialogs& dialogs;
    EventPump& pump;
    Clock& clock;
    DesktopSession& desktop;
};

inline constexpr int kPauseBeforeItemMs = 100;

void ReadAloud(Form1Members& members, const ReadingServices& services);

}  // namespace orlavo
