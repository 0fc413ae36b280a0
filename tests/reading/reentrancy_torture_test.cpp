// Fires start, start-from-line, stop and load commands at random pump steps of running reading
// loops, loops nested inside loops included, the way an impatient person at the menu would.
// Whatever the order, Orlavo must not crash or hang, every loop must end, and the highlight must
// always be on an existing item or on none.

#include <gtest/gtest.h>

#include <random>

#include "fakes/fake_form.h"

namespace orlavo::testing {
namespace {

using Event = Form1::Event;

constexpr int kRuns = 1000;
constexpr int kStepLimit = 20000;

std::string RandomBook(std::mt19937& random) {
    std::uniform_int_distribution<int> lines(0, 12);
    std::uniform_int_distribution<int> shape(0, 5);
    std::string book;
    const int count = lines(random);
    for (int i = 0; i < count; ++i) {
        switch (shape(random)) {
            case 0:
                book += "\n";  // an empty item
                break;
            case 1:
                book += "alpha, beta\n";
                break;
            case 2:
                book += "\"quoted, with a comma\"\r\n";
                break;
            default:
                book += "line " + std::to_string(i) + "\n";
        }
    }
    return book;
}

TEST(Reentrancy, RandomCommandsDuringReadingNeverBreakOrlavo) {
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("seed " + std::to_string(run));
        std::mt19937 random(static_cast<std::mt19937::result_type>(run));
        FakePlatform p;
        Form1 form(ServicesOf(p));
        form.Raise(Event::kLoad);

        p.files.files["/books/a.txt"] = RandomBook(random);
        p.files.files["/books/b.txt"] = RandomBook(random);
        p.list.SetItems({"first", "second", "third"});

        const std::vector<std::optional<std::string>> choices = {
            std::nullopt, "/books/a.txt", "/books/b.txt", "/books/missing.txt"};
        const std::vector<std::string> answers = {"0", "1", "2", "7", "-1", "abc", "", "2.5"};
        std::uniform_int_distribution<int> pickChoice(0, static_cast<int>(choices.size()) - 1);
        std::uniform_int_distribution<int> pickAnswer(0, static_cast<int>(answers.size()) - 1);
        for (int i = 0; i < 40; ++i) {
            p.fileDialog.choices.push_back(choices[pickChoice(random)]);
            p.dialogs.answers.push_back(answers[pickAnswer(random)]);
        }

        const std::vector<Event> commands = {Event::kStartOrlavoClick,
                                             Event::kStartOrlavoFromLineClick,
                                             Event::kStopOrlavoClick, Event::kLoadEBookClick};
        std::uniform_int_distribution<int> pickCommand(0, static_cast<int>(commands.size()) - 1);
        std::uniform_int_distribution<int> pickStep(1, 60);
        for (int i = 0; i < 12; ++i) {
            const Event command = commands[pickCommand(random)];
            p.pump.At(pickStep(random), [&form, command] { form.Raise(command); });
        }

        bool healthy = true;
        p.pump.onEveryStep = [&] {
            const std::int32_t selected = p.list.Selected();
            if (selected < -1 || selected >= p.list.ListCount()) {
                healthy = false;
            }
            if (p.pump.steps > kStepLimit) {
                throw std::runtime_error("reading did not end");
            }
        };

        form.Raise(Event::kStartOrlavoClick);
        form.Raise(Event::kStartOrlavoFromLineClick);

        ASSERT_TRUE(healthy) << "the highlight named an item that does not exist";
        ASSERT_LE(p.pump.steps, kStepLimit);
        const std::int32_t selected = p.list.Selected();
        ASSERT_TRUE(selected == -1 || (selected >= 0 && selected < p.list.ListCount())) << selected;
        for (const ShownBox& box : p.dialogs.boxes) {
            ASSERT_EQ(box.text.find("Run-time error"), std::string::npos) << box.text;
        }
    }
}

}  // namespace
}  // namespace orlavo::testing
