#include "reading/read_aloud.h"

#include <limits>
#include <string>
#include <utility>

#include "form_state/program_texts.h"
#include "platform/runtime_error.h"

namespace orlavo {
namespace {

// The loop is written as numbered steps so that an error can resume at the step that follows
// the failing one, which is what error 383 asks for. Every other error ends the loop quietly.
enum class Step {
    kReadSelection,
    kTestStop,
    kPause,
    kTestEmpty,
    kSpeak,
    kPump,
    kAdvance,
    kSelect,
    kTestEnd,
    kPauseBeforeTheEnd,
    kSpeakTheEnd,
    kDone,
};

// Where the loop goes on after error 383 in a step.
Step ResumeAfterPassedOver(Step failed) {
    switch (failed) {
        case Step::kReadSelection:
            return Step::kTestStop;
        case Step::kPause:
            return Step::kTestEmpty;
        case Step::kTestEmpty:
        case Step::kSpeak:
            return Step::kPump;
        case Step::kPump:
            return Step::kAdvance;
        case Step::kSelect:
            return Step::kTestEnd;
        case Step::kTestEnd:
        case Step::kPauseBeforeTheEnd:
            return Step::kSpeakTheEnd;
        default:
            return Step::kDone;
    }
}

class Loop {
  public:
    Loop(Form1Members& members, const ReadingServices& services)
        : m_members(members), m_services(services), m_book(members.m_bookGeneration) {}

    Step Run(Step step) {
        BookList& list = m_services.list;
        std::int32_t& position = m_members.LinePos;
        switch (step) {
            case Step::kReadSelection:
                position = list.ListIndex();
                return Step::kTestStop;
            case Step::kTestStop:
                return m_members.StopSpeaking != kFalse ? Step::kDone : Step::kPause;
            case Step::kPause:
                m_services.clock.Sleep(kPauseBeforeItemMs);
                return Step::kTestEmpty;
            case Step::kTestEmpty:
                // Read once and handed on: an item may be a whole book on one line.
                m_text = list.List(position);
                return m_text.empty() ? Step::kPump : Step::kSpeak;
            case Step::kSpeak:
                m_members.Voice.Speak(std::move(m_text), m_members.m_bookLanguage);
                return Step::kPump;
            case Step::kPump:
                m_services.pump.DoEvents();
                // A book loaded meanwhile replaced the one this loop was reading: nothing more of
                // the old book is spoken, and the new one is left as the load showed it.
                return m_members.m_bookGeneration == m_book ? Step::kAdvance : Step::kDone;
            case Step::kAdvance:
                if (position == std::numeric_limits<std::int32_t>::max()) {
                    throw RuntimeError(kOverflow, "Overflow");
                }
                ++position;
                return Step::kSelect;
            case Step::kSelect:
                // Just past the last item there is nothing to highlight: the last item stays
                // highlighted while "The End" is spoken. Further past it, selecting fails (a
                // nested loop already finished the book) and the loop ends quietly.
                if (position != list.ListCount()) {
                    list.Select(position);
                }
                return Step::kTestEnd;
            case Step::kTestEnd:
                return position == list.ListCount() ? Step::kPauseBeforeTheEnd : Step::kTestStop;
            case Step::kPauseBeforeTheEnd:
                // The same pause as between items, so "The End" is not run into the last line.
                m_services.clock.Sleep(kPauseBeforeItemMs);
                return Step::kSpeakTheEnd;
            case Step::kSpeakTheEnd:
                m_members.Voice.Speak(kTheEnd);
                return Step::kDone;
            case Step::kDone:
                break;
        }
        return Step::kDone;
    }

  private:
    Form1Members& m_members;
    const ReadingServices& m_services;
    std::uint64_t m_book;
    std::string m_text;
};

}  // namespace

void ReadAloud(Form1Members& members, const ReadingServices& services) {
    Loop loop(members, services);
    Step step = Step::kReadSelection;
    while (step != Step::kDone) {
        try {
            step = loop.Run(step);
        } catch (const RuntimeError& error) {
            if (error.number() == kAudioFailed || error.number() == kSpeechFailed) {
                // The voice failed during an item (the sound server went away, say). Reading ends
                // there, with that item still highlighted so the next start reads it again, and
                // the person is told why at once: silence that looks like a pause would be a
                // failure reported as nothing.
                services.dialogs.MsgBox(SpeechUnavailableText(error.what()),
                                        MessageStyle::kExclamation, kProgramName);
                return;
            }
            if (error.number() != kPassedOver) {
                return;
            }
            step = ResumeAfterPassedOver(step);
        } catch (const std::exception&) {
            return;
        }
    }
}

}  // namespace orlavo
