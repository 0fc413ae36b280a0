// The voice's life as its keeper leads it: made when first needed, dropped when it fails and made
// again at the next start, and made anew when a screen reader comes or goes.

#include "voice_keeping/voice_keeper.h"

#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_platform.h"

namespace orlavo::testing {
namespace {

TEST(VoiceKeeperTest, DropsAFailedVoiceAndMakesItAgainForTheScreenReaderOfTheMoment) {
    FakePlatform p;
    VoiceKeeper voice(p.VoiceFactory(), &p);
    p.voiceFailure = RuntimeError(kAudioFailed, "No sound server is running.");
    EXPECT_FALSE(voice.Ready());
    EXPECT_EQ(voice.Problem(), "No sound server is running.");
    p.voiceFailure.reset();
    // A screen reader turned on or off between books changes the voice at the next start, and
    // only then: each start keeps a voice made for the same screen reader.
    for (const bool on : {false, true, true, false}) {
        p.screenReaderOn = on;
        EXPECT_TRUE(voice.Ready());
    }
    using enum VoiceRoute;
    EXPECT_EQ(p.voiceRoutes, (std::vector{kAsChosen, kBesideScreenReader, kAsChosen}));
    // A voice that fails while speaking is dropped, with why; the next start makes another.
    p.faults["speak"] = {kAudioFailed, 1};
    EXPECT_THROW(voice.Speak("a"), RuntimeError);
    EXPECT_FALSE(voice.HasVoice());
    EXPECT_EQ(voice.Problem(), "scripted speak fault");
    EXPECT_TRUE(voice.Ready());
    EXPECT_EQ(p.voicesMade, 4);
}

}  // namespace
}  // namespace orlavo::testing
