#include "reading/reading_commands.h"

#include <gtest/gtest.h>

#include "fakes/fake_form.h"

namespace orlavo::testing {
namespace {

struct Commands {
    FakePlatform p;
    Form1Members members;
    ReadingCommands commands{members, {p.list, p.dialogs, p.pump, p.clock}};

    explicit Commands(int items) {
        members.Voice = p.CreateVoice();
        std::vector<std::string> book;
        for (int i = 0; i < items; ++i) {
            book.push_back("line " + std::to_string(i));
        }
        p.list.SetItems(book);
    }
};

// --- Start from a typed line --------------------------------------------------------------------

struct LineCase {
    std::string name;
    int items;
    std::vector<std::string> answers;
    int prompts;
    std::vector<std::string> spoken;
    std::string box;  // the one message box expected, or empty for none
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class StartFromLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(StartFromLine, AcceptsLinesUpToTheLastItem) {
    const LineCase& c = GetParam();
    Commands t(c.items);
    t.p.dialogs.answers.assign(c.answers.begin(), c.answers.end());
    t.commands.StartOrlavoFromLine_Click();

    EXPECT_EQ(t.p.dialogs.prompts.size(), static_cast<std::size_t>(c.prompts));
    for (const std::string& prompt : t.p.dialogs.prompts) {
        EXPECT_EQ(prompt, "Enter Line Number, (Must Be Numeric)");
    }
    EXPECT_EQ(t.p.Spoken(), c.spoken);
    if (c.box.empty()) {
        EXPECT_TRUE(t.p.dialogs.boxes.empty());
    } else {
        ASSERT_EQ(t.p.dialogs.boxes.size(), 1u);
        EXPECT_EQ(t.p.dialogs.boxes[0], (ShownBox{c.box, MessageStyle::kInformation, "Orlavo"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StartFromLine,
    ::testing::Values(
        LineCase{"NextToLast", 100, {"98"}, 1, {"line 98", "line 99", "The End"}, ""},
        LineCase{"LastLine", 100, {"99"}, 1, {"line 99", "The End"}, ""},
        LineCase{"PastTheLastLine", 100, {"100"}, 1, {}, " Max 99"},
        LineCase{"HugeNumber", 100, {"1e9"}, 1, {}, " Max 99"},
        LineCase{"HalfRoundsToEvenDown", 4, {"2.5"}, 1, {"line 2", "line 3", "The End"}, ""},
        LineCase{"HalfRoundsToEvenUp", 6, {"3.5"}, 1, {"line 4", "line 5", "The End"}, ""},
        LineCase{"HalfJustUnderTheLimit", 100, {"97.5"}, 1, {"line 98", "line 99", "The End"}, ""},
        LineCase{"BlanksAroundTheNumber",
                 10,
                 {"  7 "},
                 1,
                 {"line 7", "line 8", "line 9", "The End"},
                 ""},
        LineCase{"LettersAskAgainThenCancel", 10, {"abc", ""}, 2, {}, ""},
        LineCase{
            "LettersThenANumber", 10, {"abc", "x1", "8"}, 3, {"line 8", "line 9", "The End"}, ""},
        LineCase{"EmptyAnswer", 10, {""}, 1, {}, ""},
        LineCase{"Negative", 10, {"-1"}, 1, {}, " Min 0"},
        LineCase{"FarBelowZero", 10, {"-1e300"}, 1, {}, " Min 0"},
        LineCase{
            "MinusAHalfIsLineZero", 3, {"-0.5"}, 1, {"line 0", "line 1", "line 2", "The End"}, ""},
        LineCase{"OneItemLineZero", 1, {"0"}, 1, {"line 0", "The End"}, ""},
        LineCase{"OneItemLineOne", 1, {"1"}, 1, {}, " Max 0"},
        LineCase{"TwoItemsLineZero", 2, {"0"}, 1, {"line 0", "line 1", "The End"}, ""}),
    [](const auto& info) { return info.param.name; });

TEST(StartFromLine, SelectsTheTypedLineBeforeReading) {
    Commands t(10);
    t.p.dialogs.answers = {"6"};
    t.commands.StartOrlavoFromLine_Click();
    EXPECT_EQ(t.p.Only({"select"}).front(), (Happening{"select", "6"}));
}

TEST(StartFromLine, ClearsAStopGivenEarlier) {
    Commands t(3);
    t.commands.StopOrlavo_Click();
    t.p.dialogs.boxes.clear();
    t.p.dialogs.answers = {"1"};
    t.commands.StartOrlavoFromLine_Click();
    EXPECT_EQ(t.p.Spoken(), (std::vector<std::string>{"line 1", "line 2", "The End"}));
}

// --- An empty book list -------------------------------------------------------------------------

TEST(EmptyBook, BothStartCommandsSayLoadABookFirstAndNothingElse) {
    for (const bool fromLine : {false, true}) {
        Commands t(0);
        t.members.StopSpeaking = kTrue;
        fromLine ? t.commands.StartOrlavoFromLine_Click() : t.commands.StartOrlavo_Click();
        EXPECT_EQ(t.p.Spoken(), (std::vector<std::string>{"Load Ee Book First"}));
        EXPECT_TRUE(t.p.dialogs.prompts.empty());
        EXPECT_TRUE(t.p.dialogs.boxes.empty());
        EXPECT_EQ(t.members.StopSpeaking, kTrue)
            << "a start that reads nothing leaves Stop as it was";
        EXPECT_EQ(t.p.clock.calls, 0);
    }
}

// --- Stop ---------------------------------------------------------------------------------------

TEST(Stop, BeforeAnyReadingReportsLineZero) {
    Commands t(0);
    t.commands.StopOrlavo_Click();
    ASSERT_EQ(t.p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.p.dialogs.boxes[0],
              (ShownBox{"You Stoped On Line 0", MessageStyle::kExclamation, "Orlavo"}));
    EXPECT_EQ(t.members.StopSpeaking, kTrue);
    EXPECT_TRUE(t.p.Spoken().empty());
}

TEST(Stop, AfterReadingReportsWhereItEnded) {
    Commands t(4);
    t.p.list.SetSelected(1);
    t.commands.StartOrlavo_Click();
    t.commands.StopOrlavo_Click();
    EXPECT_EQ(t.p.dialogs.boxes.back().text, "You Stoped On Line 4");
}

}  // namespace
}  // namespace orlavo::testing
