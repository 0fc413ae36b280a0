#include "reading/read_aloud.h"

#include <limits>
#include <string>

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
                return list.List(position).empty() ? Step::kPump : Step::kSpeak;
            case Step::kSpeak:
                SpeakThroughVoice(m_members, list.List(position));
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
                SpeakThroughVoice(m_members, kTheEnd);
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
};

}  // namespace

void SpeakThroughVoice(Form1Members& members, std::string_view text) {
    if (!members.Voice) {
        throw RuntimeError(kSpeechFailed, members.m_voiceProblem);
    }
    try {
        members.Voice->Speak(text);
    } catch (const RuntimeError& error) {
        // The engine or the sound server has failed (the server was stopped, say). Reading ends
        // quietly all the same, but the broken voice goes, so that the next start command builds
        // a new one, or tells the person why it cannot, instead of falling silent again.
        if (error.number() == kAudioFailed || error.number() == kSpeechFailed) {
            members.m_voiceProblem = error.what();
            members.Voice.reset();
        }
        throw;
    }
}

void ReadAloud(Form1Members& members, const ReadingServices& services) {
    Loop loop(members, services);
    Step step = Step::kReadSelection;
    while (step != Step::kDone) {
        try {
            step = loop.Run(step);
        } catch (const RuntimeError& error) {
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
