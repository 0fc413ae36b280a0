// The window's logic over the fakes: when a chosen command runs, the closing animation, and Form1
// (the voice's life as the person sees it, an error in a handler, closing).

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "fakes/fake_platform.h"
#include "form_state/program_texts.h"
#include "main_window/chosen_commands.h"
#include "main_window/closing_animation.h"
#include "main_window/form1.h"

namespace orlavo::testing {
namespace {

using Event = Form1::Event;

// Commands are letters (S start, F start from a line, T stop, L load, U close). S and F follow a
// script: "+X" X is chosen while the command is busy (an item spoken), "~X" X is chosen for the
// window's next pump step, "p" the command's pump step. The log: "X(...)" per run, "|" per step.
struct ChoiceCase {
    const char* name;
    std::string start, fromLine, log;
};

class ChosenCommandsTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChosenCommandsTest, RunInAPumpStepOrWhenNothingIsBusyAndCloseAtOnce) {
    const std::string letters = "OLSFTU";  // in the order of Form1::Event
    FakePlatform window;
    std::string log;
    ChosenCommands commands(window, [&](Event event) {
        const char name = letters[static_cast<std::size_t>(event)];
        const std::string& s = name == 'S' ? GetParam().start : GetParam().fromLine;
        log += name + std::string("(");
        for (std::size_t i = 0; (name == 'S' || name == 'F') && i < s.size(); ++i) {
            const Event chosen = Event(letters.find(s[i + 1]));
            if (s[i] == 'p') {
                log += "|";
                commands.DoEvents();
            } else if (s[i++] == '+') {
                commands.Choose(chosen);
            } else {
                window.at[window.steps + 1] = [&commands, chosen] { commands.Choose(chosen); };
            }
        }
        log += ")";
    });
    commands.Choose(Event::kStartOrlavoClick);
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChosenCommandsTest,
    ::testing::Values(
        ChoiceCase{"HeldUntilTheNextPumpStepInOrder", "+F+Tp", "", "S(|F()T())"},
        ChoiceCase{"HeldUntilACommandWithoutPumpStepEnds", "+F+L", "", "S()F()L()"},
        ChoiceCase{"ChosenInAPumpStepRunsThere", "~Fp", "", "S(|F())"},
        ChoiceCase{"CloseIsNeverHeld", "+Up", "", "S(U()|)"},
        ChoiceCase{"ANestedLoopHoldsUntilItsOwnPumpStep", "~Fp", "+Tp", "S(|F(|T()))"},
        ChoiceCase{"HeldInANestedCommandRunsInTheSameStep", "~Fp", "+T", "S(|F()T())"}),
    [](const auto& info) { return std::string(info.param.name); });

// The window starts 9150 twips wide; a pass slides it by 30 and shrinks it by 60 twips. Sizes below
// the minimum are refused.
TEST(ClosingAnimation, SlidesUntilTheTopEdgeHasPassedTheScreenWidth) {
    struct Row {
        float top, screenWidth, minimumSize;
        bool canMove;
        long passes;
        float finalTop, finalWidth;
    };
    for (const Row& c : {Row{1200, 15360, 0, true, 473, 15390, 30},
                         Row{15330, 15360, 0, true, 2, 15390, 9030},  // ending equal goes on
                         Row{20000, 15360, 0, true, 1, 20030, 9090},  // already past
                         Row{1200, 15360, 9100, true, 473, 15390, 9150},
                         Row{1200, 15360, 0, false, 1, 1200, 9090},  // a window that cannot move
                         Row{0, 1e9F, 0, true, kMaxClosingPasses, 3e5F, 30}}) {
        FakePlatform window;
        std::tie(window.top, window.screenWidth, window.minimumSize, window.canMove) =
            std::tuple(c.top, c.screenWidth, c.minimumSize, c.canMove);
        RunClosingAnimation(window);
        EXPECT_EQ(std::count(window.journal.begin(), window.journal.end(), "present"), c.passes);
        EXPECT_EQ(std::pair(window.top, window.width), std::pair(c.finalTop, c.finalWidth))
            << c.top;
    }
}

const char* kNoServer = "No sound server is running.";
const std::string kUnavailable =
    "box: Speech is unavailable, so Orlavo cannot read aloud.\r\n\r\n" + std::string(kNoServer);

class Form1Test : public ::testing::Test {
  protected:
    void Open() {
        form.Raise(Event::kLoad);
        p.SetItems("abc");
        p.selected = 0;
    }

    FakePlatform p;
    Form1 form{p.WindowServices()};
};

// Each start says why, until a sound server comes; a voice that fails while reading is dropped,
// and the next start makes a new one or says why it cannot.
TEST_F(Form1Test, WithoutAVoiceEachStartSaysWhyAndTheNextOneMakesAVoice) {
    p.voiceFailure = RuntimeError(kAudioFailed, kNoServer);
    Open();
    form.Raise(Event::kStartOrlavoFromLineClick);
    p.voiceFailure.reset();
    p.faults["speak"] = {kAudioFailed, 2};
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.selected, 1);
    p.faults.clear();
    p.voiceFailure = RuntimeError(kAudioFailed, kNoServer);
    form.Raise(Event::kStartOrlavoClick);
    p.voiceFailure.reset();
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Trace(),
              kUnavailable + "; " + kUnavailable +
                  "; pause; say a; pump; highlight 1; pause; box: " +
                  SpeechUnavailableText("scripted speak fault") + "; " + kUnavailable +
                  "; pause; say b; pump; highlight 2; pause; say c; pump; pause; say The End");
    EXPECT_EQ(p.voicesMade, 2);
}

// A screen reader turned on or off between books changes the voice at the next start, and only
// then: each start keeps a voice made for the same screen reader.
TEST_F(Form1Test, TheVoiceIsMadeAgainWhenAScreenReaderComesOrGoes) {
    Open();
    for (const bool on : {true, true, false, false}) {
        p.screenReaderOn = on;
        form.Raise(Event::kStartOrlavoClick);
    }
    using enum VoiceRoute;
    EXPECT_EQ(p.voiceRoutes, (std::vector{kAsChosen, kBesideScreenReader, kAsChosen}));
}

TEST_F(Form1Test, AnErrorInAHandlerIsShownAndOrlavoGoesOn) {
    Open();
    p.faults["select"] = {kInvalidListPosition, 1};
    p.answers = {"1"};
    form.Raise(Event::kStartOrlavoFromLineClick);
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(
        p.Trace(),
        "prompt; box: Run-time error '381':\r\n\r\nscripted select fault; pause; say a; pump; "
        "highlight 1; pause; say b; pump; highlight 2; pause; say c; pump; pause; say The End");
}

// Each media key, while Orlavo is idle and chosen at the first pump step while it reads.
TEST_F(Form1Test, AMediaKeyStartsOrStopsOnlyWhenThatChangesSomething) {
    using Row = std::tuple<Event, std::string, std::string>;
    const std::string toTheEnd =
        "pause; say a; pump; highlight 1; pause; say b; pump; highlight 2; pause; say c; pump; "
        "pause; say The End";
    const std::string stopped = "pause; say a; pump; box: You Stoped On Line 0; highlight 1";
    for (const auto& [key, idle, reading] :
         {Row(Event::kMediaPlay, toTheEnd, toTheEnd), Row(Event::kMediaPause, "", stopped),
          Row(Event::kMediaPlayPause, toTheEnd, stopped)}) {
        for (const bool whileReading : {false, true}) {
            FakePlatform q;
            Form1 media{q.WindowServices()};
            q.SetItems("abc");
            q.selected = 0;
            if (whileReading) {
                q.at[1] = [&media, pressed = key] { media.Raise(pressed); };
            }
            media.Raise(whileReading ? Event::kStartOrlavoClick : key);
            EXPECT_EQ(q.Trace(), whileReading ? reading : idle) << int(key) << whileReading;
        }
    }
}

TEST_F(Form1Test, ClosingWhileReadingSilencesTheVoiceThenAnimatesThenEnds) {
    Open();
    p.at[1] = [this] { form.Raise(Event::kUnload); };
    EXPECT_THROW(form.Raise(Event::kStartOrlavoClick), ProgramEnded);
    const std::string trace = p.Trace();
    EXPECT_TRUE(trace.starts_with("pause; say a; pump; silence; present") &&
                trace.ends_with("present"))
        << trace;
    EXPECT_GT(p.top, p.screenWidth);
}

}  // namespace
}  // namespace orlavo::testing
