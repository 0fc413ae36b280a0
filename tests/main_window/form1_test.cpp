#include "main_window/form1.h"

#include <gtest/gtest.h>

#include "fakes/fake_form.h"

namespace orlavo::testing {
namespace {

using Event = Form1::Event;

const RuntimeError kNoServer(kAudioFailed, "No sound server is running.");

// Form1 over fakes, opened with a three-item book and, unless told otherwise, a working voice.
class Form1Test : public ::testing::Test {
  protected:
    void Open(bool speech = true) {
        if (!speech) {
            p.voiceFailure = kNoServer;
        }
        form.Raise(Event::kLoad);
        p.list.SetItems({"a", "b", "c"});
        p.list.SetSelected(0);
    }
    bool Says(std::size_t box, const std::string& text) const {
        return p.dialogs.boxes.at(box).text.find(text) != std::string::npos;
    }

    FakePlatform p;
    Form1 form{ServicesOf(p)};
    const std::vector<std::string> wholeBook{"a", "b", "c", "The End"};
};

TEST_F(Form1Test, StartsTheVoiceQuietly) {
    Open();
    EXPECT_NE(form.members().Voice, nullptr);
    EXPECT_TRUE(p.dialogs.boxes.empty());
}

// Without speech the window still opens and says why; each start command says it again instead
// of failing, and a sound server started later is picked up by the next start.
TEST_F(Form1Test, WithoutSpeechSaysWhyUntilASoundServerComes) {
    Open(false);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(Says(0, "No sound server is running."));
    EXPECT_EQ(p.dialogs.boxes[0].style, MessageStyle::kExclamation);
    EXPECT_EQ(p.dialogs.boxes[0].title, "Orlavo");

    form.Raise(Event::kStartOrlavoClick);
    form.Raise(Event::kStartOrlavoFromLineClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 3u);
    EXPECT_EQ(p.dialogs.boxes[1].text, p.dialogs.boxes[0].text);
    EXPECT_EQ(p.dialogs.boxes[2].text, p.dialogs.boxes[0].text);
    EXPECT_TRUE(p.dialogs.prompts.empty());
    EXPECT_EQ(p.clock.calls, 0) << "nothing is read without a voice";

    p.voiceFailure.reset();
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), wholeBook);
}

// The sound server went away while Orlavo was open: that reading ends quietly, and the next start
// builds a new voice or says why it cannot, instead of falling silent again.
TEST_F(Form1Test, AfterTheVoiceFailsTheNextStartSaysWhyOrSpeaksAgain) {
    Open();
    p.voice->fault = Fault{kAudioFailed, 2};
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(p.dialogs.boxes.empty());

    p.voiceFailure = kNoServer;
    form.Raise(Event::kStartOrlavoClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(Says(0, "No sound server is running."));

    p.voiceFailure.reset();
    p.list.SetSelected(1);
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a", "b", "c", "The End"}));
}

TEST_F(Form1Test, AnUnexpectedErrorIsShownAndOrlavoGoesOn) {
    Open();
    p.list.selectFault = Fault{kInvalidListPosition, 1};
    p.dialogs.answers = {"1"};
    form.Raise(Event::kStartOrlavoFromLineClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(p.dialogs.boxes[0].text.rfind("Run-time error '381':\r\n\r\n", 0), 0u);
    EXPECT_EQ(p.dialogs.boxes[0].style, MessageStyle::kExclamation);

    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), wholeBook);
}

TEST_F(Form1Test, AFailingVoiceOnAnEmptyListIsShown) {
    Open();
    p.list.SetItems({});
    p.voice->fault = Fault{kAudioFailed, 1};
    form.Raise(Event::kStartOrlavoClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(p.dialogs.boxes[0].text.rfind("Run-time error '1001'", 0), 0u);
}

TEST_F(Form1Test, ClosingWhileReadingEndsTheProgramWithoutReturningToTheLoop) {
    Open();
    p.pump.At(1, [&] { form.Raise(Event::kUnload); });
    EXPECT_THROW(form.Raise(Event::kStartOrlavoClick), ProgramEnded);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a"}));
    EXPECT_GT(p.window.top, p.window.screenWidth) << "the closing animation ran first";
}

}  // namespace
}  // namespace orlavo::testing
