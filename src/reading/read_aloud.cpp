#include "reading/read_aloud.h"

#include <limits>
#include <string>
#include <utility>

#include "form_state/program_texts.h"
#include "platform/voice_failure.h"
#include "reading/reading_presence.h"

namespace orlavo {
namespace {

// Runs one statement of the loop. Error 383 is passed over: the loop goes on with the statement
// after the one that failed. Any other error ends the loop (see ReadAloud).
template <typename Statement>
void PassingOver383(Statement statement) {
    try {
        statement();
    } catch (const RuntimeError& error) {
        if (error.number() != kPassedOver) {
            throw;
        }
    }
}

void ReadFromSelection(Form1Members& members, const ReadingServices& services) {
    BookList& list = services.list;
    std::int32_t& position = members.LinePos;
    const std::uint64_t book = members.m_bookGeneration;

    PassingOver383([&] { position = list.ListIndex(); });
    while (members.StopSpeaking == kFalse) {
        PassingOver383([&] { services.clock.Sleep(kPauseBeforeItemMs); });
        PassingOver383([&] {
            services.desktop.ShowItem(position, members.m_bookTitle);
            // Read once and handed on: an item may be a whole book on one line.
            std::string text = list.List(position);
            if (!text.empty()) {
                members.Voice.Speak(std::move(text), members.m_bookLanguage);
            }
        });
        bool sameBook = true;
        PassingOver383([&] {
            services.pump.DoEvents();
            sameBook = members.m_bookGeneration == book;
        });
        if (!sameBook) {
            // A book loaded meanwhile replaced the one this loop was reading: nothing more of the
            // old book is spoken, and the new one is left as the load showed it.
            return;
        }
        if (position == std::numeric_limits<std::int32_t>::max()) {
            throw RuntimeError(kOverflow, "Overflow");
        }
        ++position;
        PassingOver383([&] {
            // Just past the last item there is nothing to highlight: the last item stays
            // highlighted while "The End" is spoken. Further past it, selecting fails (a nested
            // loop already finished the book) and the loop ends quietly.
            if (position != list.ListCount()) {
                list.Select(position);
            }
        });
        bool atTheEnd = true;  // an end test passed over goes straight on to "The End"
        PassingOver383([&] {
            atTheEnd = position == list.ListCount();
            if (atTheEnd) {
                // The same pause as between items, so "The End" is not run into the last line.
                services.clock.Sleep(kPauseBeforeItemMs);
            }
        });
        if (atTheEnd) {
            PassingOver383([&] { members.Voice.Speak(kTheEnd); });
            return;
        }
    }
}

}  // namespace

void ReadAloud(Form1Members& members, const ReadingServices& services) {
    ReadingPresence presence(members, services.desktop);
    try {
        ReadFromSelection(members, services);
    } catch (const RuntimeError& error) {
        if (IsVoiceFailure(error)) {
            // The voice failed during an item (the sound server went away, say). Reading ends
            // there, with that item still highlighted so the next start reads it again, and the
            // person is told why at once: silence that looks like a pause would be a failure
            // reported as nothing.
            presence.End();
            services.dialogs.MsgBox(SpeechUnavailableText(error.what()), MessageStyle::kExclamation,
                                    kProgramName);
        }
    } catch (const std::exception&) {
        // Any other error ends reading quietly.
    }
}

}  // namespace orlavo
