// The window's logic over the fakes: when a chosen command runs, the closing animation, and Form1
// (the voice's life as the person sees it, an error in a handler, closing).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "fakes/fake_platform.h"
#include "main_window/chosen_commands.h"
#include "main_window/closing_animation.h"
#include "main_window/form1.h"
#include "platform/voice_failure.h"
#include "texts/program_texts.h"

namespace orlavo::testing {
namespace {

using Event = Form1::Event;

// A start command follows a script: "pump" is its pump step, "busy: X" chooses X while it is busy
// (an item spoken), "next pump: X" chooses X for the window's next pump step. The log shows each
// command that ran, with what happened inside it: "start(pump, stop())".
struct ChoiceCase {
    const char* name;
    std::vector<std::string> start, fromLine;
    std::string log;
};

const std::map<std::string, Event> kCommands = {{"load", Event::kLoadEBookClick},
                                                {"start", Event::kStartOrlavoClick},
                                                {"from line", Event::kStartOrlavoFromLineClick},
                                                {"stop", Event::kStopOrlavoClick},
                                                {"close", Event::kUnload}};

class ChosenCommandsTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChosenCommandsTest, RunInAPumpStepOrWhenNothingIsBusyAndCloseAtOnce) {
    FakePlatform window;
    std::string log;
    const auto add = [&log](const std::string& text) {
        log += (log.empty() || log.back() == '(' ? "" : ", ") + text;
    };
    ChosenCommands commands(
        window,
        [&](Event event) {
            const auto named =
                std::find_if(kCommands.begin(), kCommands.end(),
                             [event](const auto& command) { return command.second == event; });
            add(named->first + "(");
            const std::vector<std::string> none;
            const std::vector<std::string>& script =
                event == Event::kStartOrlavoClick           ? GetParam().start
                : event == Event::kStartOrlavoFromLineClick ? GetParam().fromLine
                                                            : none;
            for (const std::string& step : script) {
                if (step == "pump") {
                    add("pump");
                    commands.DoEvents();
                } else if (step.starts_with("busy: ")) {
                    commands.Choose(kCommands.at(step.substr(6)));
                } else {
                    const Event chosen =
                        kCommands.at(step.substr(std::string("next pump: ").size()));
                    window.at[window.steps + 1] = [&commands, chosen] { commands.Choose(chosen); };
                }
            }
            log += ")";
        },
        [](Event event) { return event == Event::kUnload; });
    commands.Choose(Event::kStartOrlavoClick);
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChosenCommandsTest,
    ::testing::Values(ChoiceCase{"HeldUntilTheNextPumpStepInOrder",
                                 {"busy: from line", "busy: stop", "pump"},
                                 {},
                                 "start(pump, from line(), stop())"},
                      ChoiceCase{"HeldUntilACommandWithoutPumpStepEnds",
                                 {"busy: from line", "busy: load"},
                                 {},
                                 "start(), from line(), load()"},
                      ChoiceCase{"ChosenInAPumpStepRunsThere",
                                 {"next pump: from line", "pump"},
                                 {},
                                 "start(pump, from line())"},
                      ChoiceCase{
                          "CloseIsNeverHeld", {"busy: close", "pump"}, {}, "start(close(), pump)"},
                      ChoiceCase{"ANestedLoopHoldsUntilItsOwnPumpStep",
                                 {"next pump: from line", "pump"},
                                 {"busy: stop", "pump"},
                                 "start(pump, from line(pump, stop()))"},
                      ChoiceCase{"HeldInANestedCommandRunsInTheSameStep",
                                 {"next pump: from line", "pump"},
                                 {"busy: stop"},
                                 "start(pump, from line(), stop())"}),
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
    EXPECT_EQ(p.Trace(), kUnavailable + "; " + kUnavailable +
                             "; pause; say a; highlight 1; pump; pause; box: " +
                             SpeechUnavailableText("scripted speak fault") + "; " + kUnavailable +
                             "; pause; say b; highlight 2; pump; pause; say c; pause; say The End");
    EXPECT_EQ(p.voicesMade, 2);
}

TEST_F(Form1Test, AnErrorInAHandlerIsShownAndOrlavoGoesOn) {
    Open();
    p.faults["select"] = {kInvalidListPosition, 1};
    p.answers = {"1"};
    form.Raise(Event::kStartOrlavoFromLineClick);
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(
        p.Trace(),
        "prompt; box: Run-time error '381':\r\n\r\nscripted select fault; pause; say a; "
        "highlight 1; pump; pause; say b; highlight 2; pump; pause; say c; pause; say The End");
}

// Each media key, while Orlavo is idle and chosen at the first pump step while it reads: none
// opens a box, and the media controls show what it did.
TEST_F(Form1Test, AMediaKeyStartsOrStopsOnlyWhenThatChangesSomething) {
    struct Row {
        Event key;
        std::string idle, reading, told;  // told: the desktop, after a key pressed while reading
    };
    const std::string toTheEnd =
        "pause; say a; highlight 1; pump; pause; say b; highlight 2; pump; pause; say c; pause; "
        "say The End";
    const std::string stopped = "pause; say a; highlight 1; pump";
    const std::string told = "awake; reading; item 0; ";
    for (const Row& row :
         {Row{Event::kMediaPlay, toTheEnd, toTheEnd, told + "item 1; item 2; not reading; idle"},
          Row{Event::kMediaPause, "", stopped, told + "paused; idle"},
          Row{Event::kMediaPlayPause, toTheEnd, stopped, told + "paused; idle"},
          Row{Event::kMediaStop, "", stopped, told + "not reading; idle"}}) {
        for (const bool whileReading : {false, true}) {
            FakePlatform q;
            Form1 media{q.WindowServices()};
            q.SetItems("abc");
            q.selected = 0;
            if (whileReading) {
                q.at[1] = [&media, pressed = row.key] { media.Raise(pressed); };
            }
            media.Raise(whileReading ? Event::kStartOrlavoClick : row.key);
            EXPECT_EQ(q.Trace(), whileReading ? row.reading : row.idle) << int(row.key);
            if (whileReading) {
                EXPECT_EQ(q.Desktop(), row.told) << int(row.key);
            }
        }
    }
}

// Started from the media controls, with nobody perhaps at the window: no speech and a voice that
// fails are told through the desktop's notifications, never in a box that would wait there; the
// menu's Stop, chosen while that reading goes on, keeps its box.
TEST_F(Form1Test, WhatTheMediaControlsCauseIsToldAsANoticeNotInABox) {
    p.voiceFailure = RuntimeError(kAudioFailed, kNoServer);
    Open();
    p.journal.clear();
    form.Raise(Event::kMediaPlay);
    p.voiceFailure.reset();
    p.faults["speak"] = {kAudioFailed, 2};
    form.Raise(Event::kMediaPlay);
    p.faults.clear();
    p.hearing[2] = [this] { form.Raise(Event::kStopOrlavoClick); };
    form.Raise(Event::kMediaPlay);
    EXPECT_EQ(p.Trace(), "notice: " + kUnavailable.substr(5) +
                             "; pause; say a; highlight 1; pump; pause; notice: " +
                             SpeechUnavailableText("scripted speak fault") +
                             "; pause; say b; box: You Stoped On Line 1; cut");
}

// Wired as main.cpp wires it: while an item is heard, Stop and the start commands act at once,
// and a load waits for the pump step.
TEST_F(Form1Test, WhileReadingStopActsAtOnceAndALoadWaitsForTheItem) {
    Form1* wired = nullptr;
    ChosenCommands commands(
        p, [&wired](Event event) { wired->Raise(event); },
        [&wired](Event event) { return wired->RunsAtOnce(event); });
    Form1 form1{p.WindowServices(&commands)};
    wired = &form1;
    commands.Choose(Event::kLoad);
    p.SetItems("abc");
    p.selected = 0;
    p.hearing[1] = [&commands] { commands.Choose(Event::kLoadEBookClick); };
    p.hearing[2] = [&commands] { commands.Choose(Event::kStopOrlavoClick); };
    commands.Choose(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Trace(),
              "pause; say a; highlight 1; pump; pause; say b; box: You Stoped On Line 1; cut");
    EXPECT_EQ(p.requests.size(), 1U) << "the load ran at the pump step";
}

TEST_F(Form1Test, ClosingWhileReadingSilencesTheVoiceThenAnimatesThenEnds) {
    Open();
    p.at[1] = [this] { form.Raise(Event::kUnload); };
    EXPECT_THROW(form.Raise(Event::kStartOrlavoClick), ProgramEnded);
    const std::string trace = p.Trace();
    EXPECT_TRUE(trace.starts_with("pause; say a; highlight 1; pump; silence; present") &&
                trace.ends_with("present"))
        << trace;
    EXPECT_GT(p.top, p.screenWidth);
}

}  // namespace
}  // namespace orlavo::testing
