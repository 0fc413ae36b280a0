#include "main_window/form1.h"

#include <gtest/gtest.h>

#include "fakes/fake_form.h"

namespace orlavo::testing {
namespace {

using Event = Form1::Event;

TEST(StartUp, CreatesTheVoiceQuietly) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    EXPECT_NE(form.members().Voice, nullptr);
    EXPECT_TRUE(p.dialogs.boxes.empty());
    EXPECT_EQ(form.members().LinePos, 0);
    EXPECT_EQ(form.members().StopSpeaking, kFalse);
}

TEST(StartUp, WithoutSpeechTheWindowStillOpensAndSaysWhy) {
    FakePlatform p;
    p.voiceFailure = RuntimeError(kAudioFailed, "No sound server is running.");
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_NE(p.dialogs.boxes[0].text.find("No sound server is running."), std::string::npos);
    EXPECT_EQ(p.dialogs.boxes[0].style, MessageStyle::kExclamation);
    EXPECT_EQ(p.dialogs.boxes[0].title, "Orlavo");
}

TEST(StartUp, StartCommandsExplainMissingSpeechInsteadOfFailing) {
    for (const Event start : {Event::kStartOrlavoClick, Event::kStartOrlavoFromLineClick}) {
        FakePlatform p;
        p.voiceFailure = RuntimeError(kAudioFailed, "No sound server is running.");
        Form1 form(ServicesOf(p));
        form.Raise(Event::kLoad);
        p.list.SetItems({"a", "b"});
        form.Raise(start);
        ASSERT_EQ(p.dialogs.boxes.size(), 2u);
        EXPECT_EQ(p.dialogs.boxes[1].text, p.dialogs.boxes[0].text);
        EXPECT_TRUE(p.dialogs.prompts.empty());
        EXPECT_EQ(p.clock.calls, 0) << "nothing is read without a voice";
    }
}

TEST(StartUp, ASoundServerStartedLaterIsPickedUpByTheNextStart) {
    FakePlatform p;
    p.voiceFailure = RuntimeError(kAudioFailed, "No sound server is running.");
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    p.voiceFailure.reset();
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"Load Ee Book First"}));
}

TEST(Commands, AnUnexpectedErrorIsShownAndOrlavoGoesOn) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    p.list.SetItems({"a", "b", "c"});
    p.list.selectFault = Fault{kInvalidListPosition, 1};
    p.dialogs.answers = {"1"};
    form.Raise(Event::kStartOrlavoFromLineClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(p.dialogs.boxes[0].text.rfind("Run-time error '381':\r\n\r\n", 0), 0u);
    EXPECT_EQ(p.dialogs.boxes[0].style, MessageStyle::kExclamation);

    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a", "b", "c", "The End"}));
}

TEST(Commands, AFailingVoiceOnAnEmptyListIsShown) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    p.voice->fault = Fault{kAudioFailed, 1};
    form.Raise(Event::kStartOrlavoClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_EQ(p.dialogs.boxes[0].text.rfind("Run-time error '1001'", 0), 0u);
}

// The sound server went away while Orlavo was open: that reading ends quietly, and the next start
// builds a new voice or says why it cannot, instead of falling silent again.
TEST(Commands, AfterTheVoiceFailsTheNextStartSaysWhyOrSpeaksAgain) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    p.list.SetItems({"a", "b", "c"});
    p.list.SetSelected(0);
    p.voice->fault = Fault{kAudioFailed, 2};
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(p.dialogs.boxes.empty());

    p.voiceFailure = RuntimeError(kAudioFailed, "No sound server is running.");
    form.Raise(Event::kStartOrlavoClick);
    ASSERT_EQ(p.dialogs.boxes.size(), 1u);
    EXPECT_NE(p.dialogs.boxes[0].text.find("No sound server is running."), std::string::npos);

    p.voiceFailure.reset();
    form.Raise(Event::kStartOrlavoClick);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a", "b", "c", "The End"}));
}

TEST(Closing, WhileReadingEndsTheProgramWithoutReturningToTheLoop) {
    FakePlatform p;
    Form1 form(ServicesOf(p));
    form.Raise(Event::kLoad);
    p.list.SetItems({"a", "b", "c"});
    p.list.SetSelected(0);
    p.pump.At(1, [&] { form.Raise(Event::kUnload); });
    EXPECT_THROW(form.Raise(Event::kStartOrlavoClick), ProgramEnded);
    EXPECT_EQ(p.Spoken(), (std::vector<std::string>{"a"}));
    EXPECT_GT(p.window.top, p.window.screenWidth) << "the closing animation ran first";
}

}  // namespace
}  // namespace orlavo::testing
