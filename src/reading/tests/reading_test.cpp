// The reading loop and the three reading commands against the fakes. A book is written as one
// letter per item ("_" an empty one); each row's trace is what the person saw and heard, in order
// (see FakePlatform::Trace). Last, an impatient person choosing commands at random moments.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <random>
#include <tuple>

#include "fakes/fake_platform.h"
#include "main_window/chosen_commands.h"
#include "platform/voice_failure.h"
#include "reading/read_aloud.h"
#include "reading/reading_commands.h"
#include "texts/program_texts.h"

namespace orlavo::testing {
namespace {

struct Reader {
    Reader(const std::string& book, std::int32_t selected, const char* mark = ".")
        : commands(members, p.ReadingServicesOf(), mark) {
        members.Voice = VoiceKeeper(p.VoiceFactory());
        members.Voice.Ready();
        if (book.find_first_of(" |") == std::string::npos) {
            p.SetItems(book);
        } else {
            p.ReplaceItems(Split(book));
        }
        p.selected = selected;
    }
    // Items between "|", of words between spaces.
    static BookItems Split(const std::string& book) {
        std::vector<std::string> items(1);
        for (const char c : book) {
            c == '|' ? void(items.emplace_back()) : items.back().push_back(c);
        }
        return BookOf(items);
    }
    // "start", "stop", "pause", "media stop" or "line 3" (Start Orlavo From Line, answering 3).
    void Choose(const std::string& command) {
        if (command == "start") {
            commands.StartOrlavo_Click();
        } else if (command == "stop") {
            commands.StopOrlavo_Click();
        } else if (command == "pause") {
            commands.Pause();
        } else if (command == "media stop") {
            commands.Stop();
        } else {
            p.answers.push_back(command.substr(5));
            commands.StartOrlavoFromLine_Click();
        }
    }

    FakePlatform p;
    Form1Members members;
    ReadingCommands commands;
};

struct ReadCase {
    const char* name;
    std::string book;  // an item a letter ("_" an empty one), or items between "|"
    std::int32_t selected;
    // What the person chooses while reading: "pump 2: stop" at the second pump step, "word 3:
    // start" while the third word is heard (counted over the whole row), "before: stop".
    std::vector<std::string> chosen;
    std::string trace;
    std::string desktop;                 // what the desktop was told (see FakePlatform::Desktop)
    std::vector<std::string> then = {};  // commands chosen once the first reading ended
    std::string language = "";
};

class Reading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reading, SpeaksFromTheSelectionToTheEndOrTheStop) {
    const ReadCase& c = GetParam();
    Reader r(c.book, c.selected);
    r.p.wordsHeard = c.book.find(' ') != std::string::npos;
    r.members.m_bookLanguage = c.language;
    for (const std::string& chosen : c.chosen) {
        const std::size_t colon = chosen.find(": ");
        const auto choose = [&r, command = chosen.substr(colon + 2)] { r.Choose(command); };
        const int at = chosen.starts_with("before") ? 0 : std::stoi(chosen.substr(5));
        chosen.starts_with("before") ? choose()
        : chosen.starts_with("pump") ? void(r.p.at[at] = choose)
                                     : void(r.p.hearing[at] = choose);
    }
    r.Choose("start");
    for (const std::string& command : c.then) {
        r.Choose(command);
    }
    EXPECT_EQ(r.p.Trace(), c.trace);
    EXPECT_EQ(r.p.Desktop(), c.desktop);
}

const std::string kAbcToTheEnd =
    "pause; say a; highlight 1; pump; pause; say b; highlight 2; pump; pause; say c; pause; say "
    "The End";

// A row a few lines, where the formatter would put each field on a line of its own.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Loop, Reading,
    ::testing::Values(
        ReadCase{"FromTheFirstItem", "abc", 0, {}, kAbcToTheEnd,
                 "awake; reading; item 0; item 1; item 2; not reading; idle"},
        ReadCase{"NothingSelectedGivesASilentPass", "ab", -1, {},
                 "pause; highlight 0; pump; pause; say a; highlight 1; pump; pause; say b; pause; "
                 "say The End",
                 "awake; reading; item -1; item 0; item 1; not reading; idle"},
        ReadCase{"FromTheLastItem", "abc", 2, {}, "pause; say c; pause; say The End",
                 "awake; reading; item 2; not reading; idle"},
        ReadCase{"EmptyItemsAreSilentButPaced", "a_c", 0, {},
                 "pause; say a; highlight 1; pump; pause; highlight 2; pump; pause; say c; pause; "
                 "say The End",
                 "awake; reading; item 0; item 1; item 2; not reading; idle"},
        ReadCase{"InTheBooksLanguage", "ab", 0, {},
                 "pause; say a in ru; highlight 1; pump; pause; say b in ru; pause; say The End",
                 "awake; reading; item 0; item 1; not reading; idle", {}, "ru"},
        // Between two items: the next one is the first not heard, and stays highlighted.
        ReadCase{"StopBetweenItems", "abc", 0, {"pump 1: stop"},
                 "pause; say a; highlight 1; pump; box: You Stoped On Line 1",
                 "awake; reading; item 0; not reading; idle; box"},
        // Silent at once; the item cut stays highlighted and is read again from the start.
        ReadCase{"StopWhileAnItemIsHeard", "abc", 0, {"word 2: stop"},
                 "pause; say a; highlight 1; pump; pause; say b; box: You Stoped On Line 1; cut; " +
                     kAbcToTheEnd.substr(kAbcToTheEnd.find("pause; say b")),
                 "awake; reading; item 0; item 1; not reading; idle; box; awake; reading; item 1; "
                 "item 2; not reading; idle", {"start"}},
        // Each word is marked as it is heard, and reading goes on from the word cut.
        ReadCase{"GoesOnFromTheWordCut", "one two three|four", 0, {"word 2: stop"},
                 "pause; say one two three; hear 0:one; hear 0:two; box: You Stoped On Line 0; "
                 "cut; pause; say two three; hear 0:two; hear 0:three; highlight 1; pump; pause; "
                 "say four; hear 1:four; pause; say The End",
                 "awake; reading; item 0; not reading; idle; box; awake; reading; item 0; item 1; "
                 "not reading; idle", {"start"}},
        // A typed line is read from its start, even the one cut.
        ReadCase{"ATypedLineFromItsStart", "one two|three", 0, {"word 2: stop"},
                 "pause; say one two; hear 0:one; hear 0:two; box: You Stoped On Line 0; cut; "
                 "prompt; highlight 0; pause; say one two; hear 0:one; hear 0:two; highlight 1; "
                 "pump; pause; say three; hear 1:three; pause; say The End",
                 "awake; reading; item 0; not reading; idle; box; awake; reading; item 0; item 1; "
                 "not reading; idle", {"line 0"}},
        // A start while an item or "The End" is heard moves the one reading there is, cutting it.
        ReadCase{"AStartFromALineMovesTheReading", "abcd", 0, {"word 2: line 3"},
                 "pause; say a; highlight 1; pump; pause; say b; prompt; highlight 3; cut; pause; "
                 "say d; pause; say The End",
                 "awake; reading; item 0; item 1; item 3; not reading; idle"},
        ReadCase{"AStartWhileTheEndIsSaidReadsOn", "ab", 0, {"word 3: start"},
                 "pause; say a; highlight 1; pump; pause; say b; pause; say The End; cut; pause; "
                 "say b; pause; say The End",
                 "awake; reading; item 0; item 1; item 1; not reading; idle"},
        // A start at a pump step, then a stop: no item skipped, no second reading.
        ReadCase{"StartThenStopSkipsNothing", "abcde", 0, {"pump 1: start", "word 2: stop"},
                 "pause; say a; highlight 1; pump; pause; say b; box: You Stoped On Line 1; cut; "
                 "pause; say b; highlight 2; pump; pause; say c; highlight 3; pump; pause; say d; "
                 "highlight 4; pump; pause; say e; pause; say The End",
                 "awake; reading; item 0; item 1; not reading; idle; box; awake; reading; item 1; "
                 "item 2; item 3; item 4; not reading; idle", {"start"}},
        ReadCase{"StartClearsAStop", "ab", 0, {"before: stop"},
                 "box: You Stoped On Line 0; pause; say a; highlight 1; pump; pause; say b; pause; "
                 "say The End",
                 "box; awake; reading; item 0; item 1; not reading; idle"},
        ReadCase{"StopDuringTheSilentPass", "ab", -1, {"pump 1: stop"},
                 "pause; highlight 0; pump; box: You Stoped On Line 0",
                 "awake; reading; item -1; not reading; idle; box"},
        // The media controls stop without a box, show it paused or stopped, and play goes on.
        ReadCase{"PauseThenPlay", "abc", 0, {"word 2: pause"},
                 "pause; say a; highlight 1; pump; pause; say b; cut; " +
                     kAbcToTheEnd.substr(kAbcToTheEnd.find("pause; say b")),
                 "awake; reading; item 0; item 1; paused; idle; awake; reading; item 1; item 2; "
                 "not reading; idle", {"start"}},
        ReadCase{"PausedThenStopped", "abc", 0, {"word 1: pause"}, "pause; say a; cut",
                 "awake; reading; item 0; paused; idle; not reading", {"media stop", "pause"}},
        ReadCase{"EmptyListInTheDesktopsLanguage", "", -1, {}, "say Load Ee Book First", "", {},
                 "ru"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

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
    ReadAloud(r.members, r.p.ReadingServicesOf());
    EXPECT_EQ(r.p.Trace(), c.trace);
    const std::string told = r.p.Desktop();
    const std::string after = told.substr(told.find("not reading"));
    EXPECT_TRUE(after == "not reading; idle" || after == "not reading; idle; box") << told;
    EXPECT_EQ(r.members.Voice.HasVoice(),
              std::string(c.operation) != "speak" || c.number == kPassedOver);
}

INSTANTIATE_TEST_SUITE_P(
    Loop, ReadingErrors,
    ::testing::Values(ErrorCase{"Selection6", "index", 6, 1, ""},
                      ErrorCase{"Pause383", "sleep", 383, 2,
                                "pause; say a; highlight 1; pump; say b; highlight 2; pump; pause; "
                                "say c; pause; say The End"},
                      ErrorCase{"Speak383", "speak", 383, 2,
                                "pause; say a; highlight 1; pump; pause; highlight 2; pump; pause; "
                                "say c; pause; say The End"},
                      ErrorCase{"SoundServerGone", "speak", kAudioFailed, 2,
                                "pause; say a; highlight 1; pump; pause; box: " +
                                    SpeechUnavailableText("scripted speak fault")},
                      ErrorCase{"EngineFailed", "speak", kSpeechFailed, 1,
                                "pause; box: " + SpeechUnavailableText("scripted speak fault")},
                      ErrorCase{"Pump383", "pump", 383, 1,
                                "pause; say a; highlight 1; pause; say b; highlight 2; pump; "
                                "pause; say c; pause; say The End"},
                      ErrorCase{"Select383", "select", 383, 1,
                                "pause; say a; pump; pause; say b; highlight 2; pump; pause; say "
                                "c; pause; say The End"},
                      ErrorCase{"Select381", "select", 381, 2,
                                "pause; say a; highlight 1; pump; pause; say b"},
                      ErrorCase{"Count383GoesToTheEnd", "count", 383, 2,
                                "pause; say a; highlight 1; say The End"}),
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
        ::testing::Values(
            LineCase{"LastLineWithBlanks",
                     {" 3\t"},
                     "prompt; highlight 3; pause; say 3; pause; say The End"},
            LineCase{"PastTheLastLine", {"4"}, "prompt; box:  Max 3"},
            LineCase{"BelowZero", {"-1"}, "prompt; box:  Min 0"},
            LineCase{"MinusAHalfIsLine0",
                     {"-0.5"},
                     "prompt; highlight 0; pause; say 0; highlight 1; pump; pause; say 1; "
                     "highlight 2; pump; pause; say 2; highlight 3; pump; pause; say 3; pause; say "
                     "The End"},
            LineCase{"HalfDownToEven",
                     {"2.5"},
                     "prompt; highlight 2; pause; say 2; highlight 3; pump; pause; say 3; "
                     "pause; say The End"},
            LineCase{"HalfUpToEven",
                     {"1.5"},
                     "prompt; highlight 2; pause; say 2; highlight 3; pump; pause; say 3; "
                     "pause; say The End"},
            LineCase{"NotANumberAsksAgain",
                     {"abc", "1 2", "3"},
                     "prompt; prompt; prompt; highlight 3; pause; say 3; pause; say The End"},
            LineCase{"Cancel", {""}, "prompt"},
            LineCase{"NotANumberThenCancel", {"x", ""}, "prompt; prompt"},
            LineCase{"DesktopsComma",
                     {"2,6"},
                     "prompt; highlight 3; pause; say 3; pause; say The End",
                     ","},
            LineCase{"PointOnACommaDesktop",
                     {"2.6"},
                     "prompt; highlight 3; pause; say 3; pause; say The End",
                     ","},
            LineCase{"CommaOnAPointDesktop", {"2,6", ""}, "prompt; prompt"},
            LineCase{"EmptyList", {"1"}, "say Load Ee Book First", ".", ""}),
        ::testing::Values("C", "de_DE.UTF-8")),
    [](const auto& i) {
        return std::get<0>(i.param).name + std::string(i.index % 2 ? "_de" : "");
    });

// Load, start, start from a line and stop at random pump steps and while random items are spoken,
// wired as main.cpp wires them: every reading ends, there is only ever one (never two voices at
// once), no unexpected error box shows, the highlight is on an existing item or on none, and the
// desktop is let go idle at the end.
TEST(Reentrancy, RandomCommandsAtRandomMomentsNeverBreakOrlavo) {
    using Event = Form1::Event;
    const std::optional<std::string> files[] = {std::nullopt, "/a", "/b", "/c", "/none"};
    const char* answers[] = {"0", "1", "4", "-1", "x", "", "2.5"};
    for (unsigned seed = 0; seed < 300; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](int count) { return int(random() % unsigned(count)); };
        FakePlatform p;
        Form1* form = nullptr;
        ChosenCommands commands(
            p, [&form](Event event) { form->Raise(event); },
            [&form](Event event) { return form->RunsAtOnce(event); });
        Form1 form1(p.WindowServices(&commands));
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
        ASSERT_EQ(p.Trace().find("box: Run-time error"), std::string::npos) << seed << p.Trace();
        ASSERT_EQ(p.Trace().find("two voices at once"), std::string::npos) << seed;
        const auto lastTold = std::find_if(p.told.rbegin(), p.told.rend(), [](const auto& told) {
            return told == "awake" || told == "idle";
        });
        ASSERT_TRUE(lastTold == p.told.rend() || *lastTold == "idle") << seed;
    }
}

}  // namespace
}  // namespace orlavo::testing
