#include "platform/silence_trimmer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pcm_recorder.h"

namespace orlavo {
namespace {

using Samples = std::vector<std::int16_t>;

// At 1000 samples a second the 30 ms tail is 30 samples, which keeps the tables readable.
constexpr int kRate = 1000;
constexpr std::size_t kTail = 30;

Samples Quiet(std::size_t count, std::int16_t level = 0) {
    return Samples(count, level);
}
Samples Loud(std::size_t count, std::int16_t level = 1000) {
    Samples samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<std::int16_t>(i % 2 == 0 ? level : -level);
    }
    return samples;
}
Samples Join(std::initializer_list<Samples> parts) {
    Samples joined;
    for (const Samples& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

struct TrimCase {
    const char* name;
    std::vector<std::vector<Samples>> utterances;  // the chunks written for each utterance
    std::vector<Samples> expected;                 // what is heard of each utterance
};

class SilenceTrimmerTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(SilenceTrimmerTest, PassesOnWhatIsHeard) {
    testing::PcmRecorder heard;
    SilenceTrimmer trimmer(heard, kRate);
    for (const auto& chunks : GetParam().utterances) {
        for (const Samples& chunk : chunks) {
            trimmer.Write(chunk);
        }
        trimmer.Finish();
    }
    EXPECT_EQ(heard.utterances, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Silence, SilenceTrimmerTest,
    ::testing::Values(
        TrimCase{"LeadingSilenceDropped", {{Join({Quiet(200), Loud(10)})}}, {Loud(10)}},
        TrimCase{"TrailingSilenceCutToTail",
                 {{Join({Loud(10), Quiet(300)})}},
                 {Join({Loud(10), Quiet(kTail)})}},
        TrimCase{"ShortTrailingSilenceKept",
                 {{Join({Loud(10), Quiet(12)})}},
                 {Join({Loud(10), Quiet(12)})}},
        TrimCase{"InnerPauseKeptWhole",
                 {{Join({Loud(10), Quiet(250), Loud(10)})}},
                 {Join({Loud(10), Quiet(250), Loud(10)})}},
        TrimCase{"InnerPauseAcrossChunks",
                 {{Join({Loud(10), Quiet(100)}), Quiet(100), Join({Quiet(50), Loud(10)})}},
                 {Join({Loud(10), Quiet(250), Loud(10)})}},
        TrimCase{"NearSilenceCountsAsSilence",
                 {{Join({Quiet(40, 64), Quiet(40, -64), Loud(10, 65), Quiet(100, -30)})}},
                 {Join({Loud(10, 65), Quiet(kTail, -30)})}},
        TrimCase{"AllSilentGivesNothing", {{Quiet(500), Quiet(500, 20)}}, {Samples{}}},
        TrimCase{"EachUtteranceTrimmedAfresh",
                 {{Join({Quiet(50), Loud(10), Quiet(200)})}, {Join({Quiet(80), Loud(5)})}},
                 {Join({Loud(10), Quiet(kTail)}), Loud(5)}}),
    [](const ::testing::TestParamInfo<TrimCase>& info) { return info.param.name; });

TEST(SilenceTrimmerStreamingTest, SoundIsPassedOnBeforeTheUtteranceEnds) {
    testing::PcmRecorder heard;
    SilenceTrimmer trimmer(heard, kRate);
    trimmer.Write(Join({Quiet(20), Loud(10), Quiet(10)}));
    // Playback can start now; only silence beyond the tail may wait for what follows.
    EXPECT_EQ(heard.current, Join({Loud(10), Quiet(10)}));
    trimmer.Write(Quiet(100));
    EXPECT_EQ(heard.current.size(), 10 + kTail);
}

}  // namespace
}  // namespace orlavo
