#pragma once

// The reading loop and what it needs from the platform. The start commands call ReadAloud; it
// reads the book list aloud from the selected item, one item at a time, highlighting each while
// it is spoken, and lets pending window commands run between items so Stop (or anything else on
// the menu) can reach it. It never passes an error to its caller.

#include <string_view>

#include "main_window/form1_members.h"
#include "platform/book_list.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

namespace orlavo {

struct ReadingServices {
    BookList& list;
    Dialogs& dialogs;
    EventPump& pump;
    Clock& clock;
};

inline constexpr int kPauseBeforeItemMs = 100;
inline constexpr const char* kTheEnd = "The End";

void ReadAloud(Form1Members& members, const ReadingServices& services);

// Speaks through the window's voice and returns once the text has been heard. A voice that fails
// is dropped, with the reason kept in m_voiceProblem.
void SpeakThroughVoice(Form1Members& members, std::string_view text);

}  // namespace orlavo
