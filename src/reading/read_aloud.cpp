#include "reading/read_aloud.h"

#include <limits>
#include <string>
#include <utility>

#include "platform/voice_failure.h"
#include "reading/reading_presence.h"
#include "texts/program_texts.h"

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

// Where in the item at `position` reading begins: at the word a Stop cut it at, when that is
// where it starts, else at its beginning. Either way the cut place is used up.
std::size_t TakeCutPlace(Form1Members& members, BookList& list, std::int32_t position) {
    const auto cut = std::exchange(members.m_cutPlace, std::nullopt);
    if (cut && cut->position == position && cut->book == members.m_bookGeneration) {
        return cut->at;
    }
    list.ShowHeard(-1, 0, 0);
    return 0;
}

// Speaks the item at the reading position from byte `from` on, marking each word in the list as
// it is heard. `heardFrom` ends as where the word heard last begins.
Spoken SpeakItem(Form1Members& members, const ReadingServices& services, std::size_t from,
                 std::size_t& heardFrom) {
    const std::int32_t position = members.LinePos;
    services.desktop.ShowItem(position, members.m_bookTitle);
    // Read once and handed on: an item may be a whole book on one line.
    std::string text = services.list.List(position);
    if (from >= text.size()) {
        return Spoken::kWhole;
    }
    text.erase(0, from);
    members.m_itemCut = std::stop_source();
    BookList& list = services.list;
    const Listening listening{
        .wordHeard =
            [&list, &heardFrom, position, from](std::size_t begin, std::size_t end) {
                heardFrom = from + begin;
                list.ShowHeard(position, from + begin, from + end);
            },
        .cut = members.m_itemCut.get_token()};
    return members.Voice.Speak(std::move(text), members.m_bookLanguage, listening);
}

void ReadFromSelection(Form1Members& members, const ReadingServices& services) {
    BookList& list = services.list;
    std::int32_t& position = members.LinePos;
    const std::uint64_t book = members.m_bookGeneration;

    PassingOver383([&] { position = list.ListIndex(); });
    std::size_t from = TakeCutPlace(members, list, position);
    while (members.StopSpeaking == kFalse) {
        PassingOver383([&] { services.clock.Sleep(kPauseBeforeItemMs); });
        Spoken spoken = Spoken::kWhole;
        std::size_t heardFrom = from;
        PassingOver383([&] { spoken = SpeakItem(members, services, from, heardFrom); });
        from = 0;
        if (members.StopSpeaking == kFalse && members.m_moveTo) {
            // A start chosen while the item was spoken moves the reading; the item was cut.
            position = *std::exchange(members.m_moveTo, std::nullopt);
            continue;
        }
        if (spoken == Spoken::kCut) {
            // Stopped: the item cut stays highlighted, the first one not heard whole, and the next
            // start goes on from the word that was being heard.
            members.m_cutPlace = Form1Members::CutPlace{position, heardFrom, book};
            return;
        }
        if (position == std::numeric_limits<std::int32_t>::max()) {
            throw RuntimeError(kOverflow, kOverflowText);
        }
        // The highlight moves on to the first item not yet heard, before the pump step, so that
        // a Stop chosen there tells of it and leaves it highlighted.
        ++position;
        PassingOver383([&] {
            // Just past the last item there is nothing to highlight: the last item stays
            // highlighted while "The End" is spoken.
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
            list.ShowHeard(-1, 0, 0);
            if (members.StopSpeaking == kFalse) {
                members.m_itemCut = std::stop_source();
                const Listening listening{.wordHeard = {}, .cut = members.m_itemCut.get_token()};
                PassingOver383([&] { members.Voice.Speak(kTheEnd, {}, listening); });
            }
            if (members.StopSpeaking != kFalse || !members.m_moveTo) {
                return;
            }
            // A start chosen while "The End" was said reads on from there.
            position = *std::exchange(members.m_moveTo, std::nullopt);
            continue;
        }
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
        if (members.m_moveTo) {
            position = *std::exchange(members.m_moveTo, std::nullopt);
        }
    }
}

}  // namespace

void ReadAloud(Form1Members& members, const ReadingServices& services) {
    if (members.m_readingUnderWay) {
        // There is only ever one reading: a start chosen while it runs moves it to the item now
        // selected, cutting the one being spoken.
        members.m_moveTo = services.list.ListIndex();
        members.m_itemCut.request_stop();
        return;
    }
    ReadingPresence presence(members, services.desktop);
    members.m_moveTo.reset();
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
