#include "reading/read_aloud.h"

#include <gtest/gtest.h>

#include "fakes/fake_form.h"
#include "reading/reading_commands.h"

namespace orlavo::testing {
namespace {

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        items.push_back("item " + std::to_string(i));
    }
    return items;
}

// A fake platform with a voice and a book, ready to read.
struct Reader {
    FakePlatform p;
    Form1Members members;
    ReadingCommands commands{members, {p.list, p.dialogs, p.pump, p.clock}};

    explicit Reader(std::vector<std::string> items, std::int32_t selected = -1) {
        members.Voice = p.CreateVoice();
        p.list.SetItems(items);
        p.list.SetSelected(selected);
    }
    void Read() { ReadAloud(members, {p.list, p.dialogs, p.pump, p.clock}); }
};

// --- Where reading starts and how it ends ------------------------------------------------------

struct PathCase {
    std::string name;
    std::vector<std::string> items;
    std::int32_t selected;
    std::vector<std::string> spoken;
    std::int32_t finalSelection;
    int pauses;  // the pause before each item and before "The End"
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadingPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(ReadingPaths, SpeaksEveryItemFromTheStartThenTheEnd) {
    const PathCase& c = GetParam();
    Reader r(c.items, c.selected);
    r.Read();
    EXPECT_EQ(r.p.Spoken(), c.spoken);
    EXPECT_EQ(r.p.list.Selected(), c.finalSelection);
    EXPECT_EQ(r.p.clock.calls, c.pauses);
    EXPECT_TRUE(r.p.dialogs.boxes.empty()) << "reading never shows a box";
}

INSTANTIATE_TEST_SUITE_P(
    Loop, ReadingPaths,
    ::testing::Values(
        PathCase{"FromFirstItem",
                 {"a", "b", "c", "d", "e"},
                 0,
                 {"a", "b", "c", "d", "e", "The End"},
                 4,
                 6},
        PathCase{"NothingSelectedTakesOneSilentPass",
                 {"a", "b", "c"},
                 -1,
                 {"a", "b", "c", "The End"},
                 2,
                 5},
        PathCase{"OneItemNothingSelected", {"only"}, -1, {"only", "The End"}, 0, 3},
        PathCase{"OneItemSelected", {"only"}, 0, {"only", "The End"}, 0, 2},
        PathCase{"FromLastItem", {"a", "b", "c"}, 2, {"c", "The End"}, 2, 2},
        PathCase{"FromTheMiddle", {"a", "b", "c", "d"}, 2, {"c", "d", "The End"}, 3, 3},
        PathCase{
            "EmptyItemsAreSilentButStillPaced", {"a", "", "c"}, 0, {"a", "c", "The End"}, 2, 4},
        PathCase{"BookOfEmptyItems", {"", ""}, 0, {"The End"}, 1, 3}),
    [](const auto& info) { return info.param.name; });

TEST(ReadingLoop, HighlightsEachItemBeforeItsPauseAndWhileItIsSpoken) {
    Reader r({"a", "b", "c"}, 0);
    r.Read();
    const Journal expected = {{"sleep", "100"},    {"speak", "a"}, {"pump", "1"}, {"select", "1"},
                              {"sleep", "100"},    {"speak", "b"}, {"pump", "2"}, {"select", "2"},
                              {"sleep", "100"},    {"speak", "c"}, {"pump", "3"}, {"sleep", "100"},
                              {"speak", "The End"}};
    EXPECT_EQ(r.p.journal, expected);
}

TEST(ReadingLoop, StopAlreadySetAtEntryOnlyTakesTheSelection) {
    Reader r({"a", "b", "c"}, 2);
    r.members.StopSpeaking = kTrue;
    r.members.LinePos = 0;
    r.Read();
    EXPECT_TRUE(r.p.journal.empty());
    EXPECT_EQ(r.members.LinePos, 2);
}

TEST(ReadingLoop, ReadsPastPosition32767) {
    Reader r(Numbered(32771), 32766);
    r.Read();
    EXPECT_EQ(r.p.Spoken(), (std::vector<std::string>{"item 32766", "item 32767", "item 32768",
                                                      "item 32769", "item 32770", "The End"}));
    EXPECT_EQ(r.members.LinePos, 32771);
}

// --- Stopping -----------------------------------------------------------------------------------

struct StopCase {
    std::string name;
    int items;
    int stopAtPump;  // reading starts at item 0, so pump step k+1 follows item k
    std::vector<std::string> spoken;
    std::string message;
    std::int32_t finalSelection;
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class Stopping : public ::testing::TestWithParam<StopCase> {};

TEST_P(Stopping, TakesEffectAfterTheCurrentItem) {
    const StopCase& c = GetParam();
    Reader r(Numbered(c.items), 0);
    r.p.pump.At(c.stopAtPump, [&] { r.commands.StopOrlavo_Click(); });
    r.commands.StartOrlavo_Click();
    EXPECT_EQ(r.p.Spoken(), c.spoken);
    ASSERT_EQ(r.p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(r.p.dialogs.boxes[0], (ShownBox{c.message, MessageStyle::kExclamation, "Orlavo"}));
    EXPECT_EQ(r.p.list.Selected(), c.finalSelection);
}

INSTANTIATE_TEST_SUITE_P(
    Loop, Stopping,
    ::testing::Values(
        StopCase{"DuringFirstItem", 5, 1, {"item 0"}, "You Stoped On Line 0", 1},
        StopCase{"DuringItem3",
                 10,
                 4,
                 {"item 0", "item 1", "item 2", "item 3"},
                 "You Stoped On Line 3",
                 4},
        StopCase{"DuringNextToLastItem", 3, 2, {"item 0", "item 1"}, "You Stoped On Line 1", 2},
        StopCase{"DuringLastItemStillEndsTheBook",
                 3,
                 3,
                 {"item 0", "item 1", "item 2", "The End"},
                 "You Stoped On Line 2",
                 2}),
    [](const auto& info) { return info.param.name; });

TEST(Stopping, ResumingStartsWithTheFirstItemNotYetSpoken) {
    Reader r(Numbered(10), 0);
    r.p.pump.At(3, [&] { r.commands.StopOrlavo_Click(); });
    r.commands.StartOrlavo_Click();
    r.p.journal.clear();
    r.commands.StartOrlavo_Click();
    EXPECT_EQ(r.p.Spoken().front(), "item 3");
    EXPECT_EQ(r.p.Spoken().back(), "The End");
}

TEST(Stopping, DuringTheSilentFirstPassReportsMinusOne) {
    Reader r(Numbered(3), -1);
    r.p.pump.At(1, [&] { r.commands.StopOrlavo_Click(); });
    r.commands.StartOrlavo_Click();
    EXPECT_TRUE(r.p.Spoken().empty());
    EXPECT_EQ(r.p.dialogs.boxes.at(0).text, "You Stoped On Line -1");
    EXPECT_EQ(r.p.list.Selected(), 0);
}

TEST(Stopping, ANestedStartThenStopEndsBothLoops) {
    Reader r(Numbered(10), 0);
    // While item 0 is read, the person starts again (from the highlighted item 0), then stops
    // while the nested loop reads item 1.
    r.p.pump.At(1, [&] { r.commands.StartOrlavo_Click(); });
    r.p.pump.At(3, [&] { r.commands.StopOrlavo_Click(); });
    r.commands.StartOrlavo_Click();
    EXPECT_EQ(r.p.Spoken(), (std::vector<std::string>{"item 0", "item 0", "item 1"}));
    EXPECT_EQ(r.p.dialogs.boxes.at(0).text, "You Stoped On Line 1");
    EXPECT_EQ(r.p.list.Selected(), 3) << "each loop advances once after the stop";
    EXPECT_EQ(r.p.pump.steps, 3);
}

TEST(Stopping, ANestedLoopThatFinishesTheBookEndsTheOuterOneQuietly) {
    Reader r(Numbered(3), 0);
    r.p.pump.At(1, [&] { r.commands.StartOrlavo_Click(); });
    r.commands.StartOrlavo_Click();
    EXPECT_EQ(r.p.Spoken(),
              (std::vector<std::string>{"item 0", "item 0", "item 1", "item 2", "The End"}));
    EXPECT_EQ(r.p.list.Selected(), 2);
}

// --- Errors inside the loop ---------------------------------------------------------------------

enum class Site { kSelectedIndex, kPause, kItemText, kSpeak, kPump, kSelect, kCount, kTheEnd };

struct ErrorCase {
    std::string name;
    Site site;
    int number;
    int onCall;
    std::vector<std::string> spoken;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class LoopErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(LoopErrors, Error383IsPassedOverAnyOtherEndsReadingQuietly) {
    const ErrorCase& c = GetParam();
    Reader r({"a", "b", "c"}, 0);
    r.members.LinePos = 0;
    const Fault fault{c.number, c.onCall};
    switch (c.site) {
        case Site::kSelectedIndex:
            r.p.list.indexFault = fault;
            break;
        case Site::kPause:
            r.p.clock.fault = fault;
            break;
        case Site::kItemText:
            r.p.list.textFault = fault;
            break;
        case Site::kSpeak:
        case Site::kTheEnd:
            r.p.voice->fault = fault;
            break;
        case Site::kPump:
            r.p.pump.fault = fault;
            break;
        case Site::kSelect:
            r.p.list.selectFault = fault;
            break;
        case Site::kCount:
            r.p.list.countFault = fault;
            break;
    }
    r.Read();
    EXPECT_EQ(r.p.Spoken(), c.spoken);
    EXPECT_TRUE(r.p.dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Loop, LoopErrors,
    ::testing::Values(
        // Passed over: reading goes on from the step after the failing one.
        ErrorCase{"SelectedIndex383KeepsOldPosition",
                  Site::kSelectedIndex,
                  383,
                  1,
                  {"a", "b", "c", "The End"}},
        ErrorCase{"Pause383", Site::kPause, 383, 2, {"a", "b", "c", "The End"}},
        ErrorCase{"ItemText383SkipsTheItem", Site::kItemText, 383, 3, {"a", "c", "The End"}},
        ErrorCase{"Speak383GivesUpTheItem", Site::kSpeak, 383, 2, {"a", "c", "The End"}},
        ErrorCase{"Pump383", Site::kPump, 383, 1, {"a", "b", "c", "The End"}},
        ErrorCase{"Select383", Site::kSelect, 383, 1, {"a", "b", "c", "The End"}},
        ErrorCase{"Count383GoesToTheEnd", Site::kCount, 383, 2, {"a", "The End"}},
        ErrorCase{"TheEnd383", Site::kTheEnd, 383, 4, {"a", "b", "c"}},
        // Any other number ends reading where it happened.
        ErrorCase{"SpeakFailureEndsReading", Site::kSpeak, 1001, 2, {"a"}},
        ErrorCase{"PumpFailureEndsReading", Site::kPump, 5, 1, {"a"}},
        ErrorCase{"SelectFailureEndsReading", Site::kSelect, 381, 2, {"a", "b"}},
        ErrorCase{"SelectedIndexFailureEndsReading", Site::kSelectedIndex, 6, 1, {}}),
    [](const auto& info) { return info.param.name; });

TEST(LoopErrors, AFailingVoiceLeavesItsItemHighlighted) {
    Reader r({"a", "b", "c"}, 0);
    r.p.voice->fault = Fault{kAudioFailed, 2};
    r.Read();
    EXPECT_EQ(r.p.list.Selected(), 1);
}

TEST(LoopErrors, NoVoiceEndsReadingQuietly) {
    Reader r({"a", "b"}, 0);
    r.members.Voice.reset();
    r.Read();
    EXPECT_EQ(r.p.list.Selected(), 0);
    EXPECT_TRUE(r.p.dialogs.boxes.empty());
}

}  // namespace
}  // namespace orlavo::testing
