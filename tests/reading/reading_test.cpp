// The reading loop and the three reading commands against the fakes. A book is written as one
// letter per item ("_" an empty one); each row's trace is what the person saw and heard, in order
// (see FakePlatform::Trace). Last, an impatient person choosing commands at random moments.

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <tuple>

#include "fakes/fake_platform.h"
#include "form_state/program_texts.h"
#include "main_window/chosen_commands.h"
#include "reading/read_aloud.h"
#include "reading/reading_commands.h"

namespace orlavo::testing {
namespace {

struct Reader {
    Reader(const std::string& book, std::int32_t selected, const char* mark = ".")
        : commands(members, {p, p, p, p, p, mark}) {
        members.Voice = VoiceKeeper(p.VoiceFactory());
        members.Voice.Ready();
        p.SetItems(book);
        p.selected = selected;
    }

    FakePlatform p;
    Form1Members members;
    ReadingCommands commands;
};

struct ReadCase {
    const char* name;
    std::string book;
    std::int32_t selected;
    std::string at;  // "2T": sTop chosen at pump step 2 ("S": Start; step 0: before reading)
    std::string trace;
    std::string desktop;  // what the desktop was told (see FakePlatform::desktop)
    std::string language = "";
};

class Reading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reading, SpeaksFromTheSelectionToTheEndOrTheStop) {
    const ReadCase& c = GetParam();
    Reader r(c.book, c.selected);
    r.members.m_bookLanguage = c.language;
    for (std::size_t i = 0; i < c.at.size(); i += 2) {
        auto click = [&r, start = c.at[i + 1] == 'S'] {
            start ? r.commands.StartOrlavo_Click() : r.commands.StopOrlavo_Click();
        };
        c.at[i] == '0' ? click() : void(r.p.at[c.at[i] - '0'] = click);
    }
    r.commands.StartOrlavo_Click();
    EXPECT_EQ(r.p.Trace(), c.trace);
    EXPECT_EQ(r.p.desktop, c.desktop);
}

INSTANTIATE_TEST_SUITE_P(
    Loop, Reading,
    ::testing::Values(
        ReadCase{"FromTheFirstItem", "abc", 0, "", ".a|#1.b|#2.c|.The End", "AP012pa"},
        ReadCase{"NothingSelectedGivesASilentPass", "ab", -1, "", ".|#0.a|#1.b|.The End",
                 "AP-101pa"},
        ReadCase{"FromTheLastItem", "abc", 2, "", ".c|.The End", "AP2pa"},
        ReadCase{"EmptyItemsAreSilentButPaced", "a_c", 0, "", ".a|#1.|#2.c|.The End", "AP012pa"},
        ReadCase{"InTheBooksLanguage", "ab", 0, "", ".a @ru|#1.b @ru|.The End", "AP01pa", "ru"},
        ReadCase{"StopDuringItem1", "abc", 0, "2T", ".a|#1.b|[You Stoped On Line 1]#2", "AP01pa!"},
        ReadCase{"StopDuringTheLast", "ab", 0, "2T", ".a|#1.b|[You Stoped On Line 1].The End",
                 "AP01pa!"},
        ReadCase{"StopDuringTheSilentPass", "ab", -1, "1T", ".|[You Stoped On Line -1]#0",
                 "AP-1pa!"},
        ReadCase{"StartClearsAStop", "ab", 0, "0T", "[You Stoped On Line 0].a|#1.b|.The End",
                 "!AP01pa"},
        ReadCase{"NestedThenStop", "abcde", 0, "1S3T", ".a|.a|#1.b|[You Stoped On Line 1]#2#3",
                 "AP001pa!"},
        ReadCase{"NestedEndsTheBookOuterEndsQuietly", "ab", 0, "1S", ".a|.a|#1.b|.The End",
                 "AP001pa"},
        ReadCase{"EmptyListInTheDesktopsLanguage", "", -1, "", "Load Ee Book First", "", "ru"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char *name, *operation;
    int number, onCall;
    std::string trace;
};

class ReadingErrors : public ::testing::TestWithParam<ErrorCase> {};

// 383 resumes at the next step; a failing voice is told and dropped; any other error ends
// reading quietly. Whichever way reading ends, the desktop hears of it, before any box.
TEST_P(ReadingErrors, PassOver383AndEndQuietlyOnAnyOther) {
    const ErrorCase& c = GetParam();
    Reader r("abc", 0);
    r.p.faults[c.operation] = {c.number, c.onCall};
    ReadAloud(r.members, {r.p, r.p, r.p, r.p, r.p});
    EXPECT_EQ(r.p.Trace(), c.trace);
    const std::string& told = r.p.desktop;
    EXPECT_EQ(told.substr(told.find('p')), told.ends_with('!') ? "pa!" : "pa") << told;
    EXPECT_EQ(r.members.Voice.HasVoice(),
              std::string(c.operation) != "speak" || c.number == kPassedOver);
}

INSTANTIATE_TEST_SUITE_P(
    Loop, ReadingErrors,
    ::testing::Values(ErrorCase{"Selection6", "index", 6, 1, ""},
                      ErrorCase{"Pause383", "sleep", 383, 2, ".a|#1b|#2.c|.The End"},
                      ErrorCase{"Speak383", "speak", 383, 2, ".a|#1.|#2.c|.The End"},
                      ErrorCase{"SoundServerGone", "speak", kAudioFailed, 2,
                                ".a|#1.[" + SpeechUnavailableText("scripted speak fault") + "]"},
                      ErrorCase{"EngineFailed", "speak", kSpeechFailed, 1,
                                ".[" + SpeechUnavailableText("scripted speak fault") + "]"},
                      ErrorCase{"Pump383", "pump", 383, 1, ".a#1.b|#2.c|.The End"},
                      ErrorCase{"Select383", "select", 383, 1, ".a|.b|#2.c|.The End"},
                      ErrorCase{"Select381", "select", 381, 2, ".a|#1.b|"},
                      ErrorCase{"Count383GoesToTheEnd", "count", 383, 2, ".a|#1The End"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase {
    const char* name;
    std::vector<std::string> answers;
    std::string trace;
    const char* mark = ".";
    std::string book = "0123";
};

// A line typed for a book of the items "0" to "3" unless told otherwise, also under a German C
// library locale, which must not change how a number is read.
class StartFromLine : public ::testing::TestWithParam<std::tuple<LineCase, const char*>> {};

TEST_P(StartFromLine, ReadsFromTheTypedLine) {
    const auto& [c, locale] = GetParam();
    if (std::setlocale(LC_ALL, locale) == nullptr) {
        GTEST_SKIP() << locale << " is not installed";
    }
    Reader r(c.book, -1, c.mark);
    r.p.answers = c.answers;
    r.commands.StartOrlavoFromLine_Click();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(r.p.Trace(), c.trace);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StartFromLine,
    ::testing::Combine(
        ::testing::Values(LineCase{"LastLineWithBlanks", {" 3\t"}, "?#3.3|.The End"},
                          LineCase{"PastTheLastLine", {"4"}, "?[ Max 3]"},
                          LineCase{"BelowZero", {"-1"}, "?[ Min 0]"},
                          LineCase{"MinusAHalfIsLine0", {"-0.5"}, "?#0.0|#1.1|#2.2|#3.3|.The End"},
                          LineCase{"HalfDownToEven", {"2.5"}, "?#2.2|#3.3|.The End"},
                          LineCase{"HalfUpToEven", {"1.5"}, "?#2.2|#3.3|.The End"},
                          LineCase{"NotANumberAsksAgain", {"abc", "1 2", "3"}, "???#3.3|.The End"},
                          LineCase{"Cancel", {""}, "?"},
                          LineCase{"NotANumberThenCancel", {"x", ""}, "??"},
                          LineCase{"DesktopsComma", {"2,6"}, "?#3.3|.The End", ","},
                          LineCase{"PointOnACommaDesktop", {"2.6"}, "?#3.3|.The End", ","},
                          LineCase{"CommaOnAPointDesktop", {"2,6", ""}, "??"},
                          LineCase{"EmptyList", {"1"}, "Load Ee Book First", ".", ""}),
        ::testing::Values("C", "de_DE.UTF-8")),
    [](const auto& i) {
        return std::get<0>(i.param).name + std::string(i.index % 2 ? "_de" : "");
    });

// Load, start, start from a line and stop at random pump steps and while random items are spoken,
// loops nested in loops, wired as main.cpp wires them: every loop ends, no unexpected error box
// shows, the highlight is on an existing item or on none, and the desktop is let go idle at the
// end.
TEST(Reentrancy, RandomCommandsAtRandomMomentsNeverBreakOrlavo) {
    using Event = Form1::Event;
    const std::optional<std::string> files[] = {std::nullopt, "/a", "/b", "/c", "/none"};
    const char* answers[] = {"0", "1", "4", "-1", "x", "", "2.5"};
    for (unsigned seed = 0; seed < 300; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](int count) { return int(random() % unsigned(count)); };
        FakePlatform p;
        Form1* form = nullptr;
        ChosenCommands commands(p, [&form](Event event) { form->Raise(event); });
        Form1 form1({p, p, p, p, p, p, commands, p, p, p, p, p, p.VoiceFactory()});
        form = &form1;
        p.files = {{"/a", "a,b\r\n\r\n\"c, d\"\ne,f,g\nh\ni,j,k,l"}, {"/b", ""}, {"/c", "x"}};
        p.choices = {"/a"};
        for (int i = 0; i < 40; ++i) {
            p.choices.push_back(files[pick(5)]);
            p.answers.push_back(answers[pick(7)]);
        }
        int choicesLeft = 24;
        bool healthy = true;
        p.onEveryCall = [&](const std::string& operation) {
            healthy = healthy && p.selected >= -1 && p.selected < std::ssize(p.Items());
            if (p.steps > 20000) {
                throw ProgramEnded{};  // a loop that never ends
            }
            if ((operation == "pump" || operation == "speak") && choicesLeft > 0 && pick(3) == 0) {
                --choicesLeft;
                commands.Choose(Event(1 + pick(4)));  // load, start, start from a line or stop
            }
        };
        for (const Event event : {Event::kLoad, Event::kLoadEBookClick, Event::kStartOrlavoClick,
                                  Event::kStartOrlavoFromLineClick}) {
            commands.Choose(event);
        }
        ASSERT_TRUE(healthy) << "seed " << seed;
        ASSERT_EQ(p.Trace().find("[Run-time error"), std::string::npos) << seed << p.Trace();
        const std::size_t lastTold = p.desktop.find_last_of("Aa");
        ASSERT_TRUE(lastTold == std::string::npos || p.desktop[lastTold] == 'a') << seed;
    }
}

}  // namespace
}  // namespace orlavo::testing
