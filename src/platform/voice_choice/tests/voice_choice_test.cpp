#include "platform/voice_choice/voice_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/screen_reader_process.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

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

// A screen reader the desktop's flag does not announce is found by its process, in a process list
// laid out as /proc lays it out.
struct ProcessCase {
    const char* name;
    std::string comm, cmdline;
    bool found;
    char state = 'S';
};

class NoFlag : public ScreenReader {
    bool Running() override { return false; }
};

class ScreenReaderProcessTest : public ::testing::TestWithParam<ProcessCase> {};

TEST_P(ScreenReaderProcessTest, TellsOrcaFromOrdinaryPrograms) {
    const std::string root = ::testing::TempDir() + "proc-" + GetParam().name;
    std::filesystem::create_directories(root + "/4242");
    std::filesystem::create_directories(root + "/self");
    std::ofstream(root + "/4242/comm") << GetParam().comm << "\n";
    std::ofstream(root + "/4242/cmdline") << GetParam().cmdline;
    std::ofstream(root + "/4242/stat")
        << "4242 (" << GetParam().comm << ") " << GetParam().state << " 1 4242\n";
    NoFlag desktop;
    EXPECT_EQ(ScreenReaderProcess(desktop, root).Running(), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Processes, ScreenReaderProcessTest,
    ::testing::Values(
        ProcessCase{"OrcaFromATerminal", "orca", "/usr/bin/python3\0/usr/bin/orca\0"s, true},
        ProcessCase{"OrcaByItsInterpreter", "python3", "python3\0/usr/bin/orca\0--replace\0"s,
                    true},
        ProcessCase{"OrcaQuitButNotYetCollected", "orca", ""s, false, 'Z'},
        ProcessCase{"AnotherPythonProgram", "python3", "python3\0/usr/bin/meld\0"s, false},
        ProcessCase{"AnOrdinaryProgram", "orcaslicer", "orcaslicer\0"s, false}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
