#include "platform/voice_choice/voice_choice.h"

#include <gtest/gtest.h>

namespace orlavo {
namespace {

using Engine = VoiceChoice::Engine;
constexpr VoiceRoute kAlone = VoiceRoute::kAsChosen;
constexpr VoiceRoute kScreenReader = VoiceRoute::kBesideScreenReader;

struct ChoiceCase {
    const char* name;
    const char* desktopModule;
    VoiceRoute route;
    VoiceChoice expected;
};

class ChooseVoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseVoiceTest, PicksTheEngineAndHowFirmlyItsModule) {
    EXPECT_TRUE(ChooseVoice(GetParam().desktopModule, GetParam().route) == GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ChooseVoiceTest,
    ::testing::Values(
        // name, DefaultModule, screen reader, {engine, module, module required}
        ChoiceCase{"NoModuleNamed", "", kAlone, {Engine::kOwnVoice, "", false}},
        ChoiceCase{"EspeakNg", "espeak-ng", kAlone, {Engine::kOwnVoice, "", false}},
        ChoiceCase{"OldEspeak", "espeak", kAlone, {Engine::kOwnVoice, "", false}},
        ChoiceCase{"Festival", "festival", kAlone, {Engine::kSpeechDispatcher, "festival", true}},
        ChoiceCase{"FestivalBesideScreenReader",
                   "festival",
                   kScreenReader,
                   {Engine::kSpeechDispatcher, "festival", true}},
        ChoiceCase{"EspeakNgBesideScreenReader",
                   "espeak-ng",
                   kScreenReader,
                   {Engine::kSpeechDispatcher, "espeak-ng", false}},
        ChoiceCase{"NoModuleBesideScreenReader",
                   "",
                   kScreenReader,
                   {Engine::kSpeechDispatcher, "espeak-ng", false}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
