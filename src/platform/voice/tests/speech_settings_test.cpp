#include "platform/voice/speech_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

namespace orlavo {

void PrintTo(const SpeechSettings& s, std::ostream* out) {
    *out << s.rate << "/" << s.pitch << "/" << s.volume << "/" << s.voiceType << "/" << s.module;
}

void PrintTo(const EspeakVoiceParameters& p, std::ostream* out) {
    *out << p.wordsPerMinute << "/" << p.pitch << "/" << p.amplitude << "/" << p.variant;
}

namespace {

// A base unlike the defaults, so that a setting left alone shows.
const SpeechSettings kBase{7, 8, 9, "MALE2", "flite"};

struct ParseCase {
    const char* name;
    const char* text;
    SpeechSettings expected;
};

class ParseSpeechSettingsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSpeechSettingsTest, ReadsTheFileAsSpeechDispatcherDoes) {
    EXPECT_EQ(ParseSpeechSettings(GetParam().text, kBase), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParseSpeechSettingsTest,
    ::testing::Values(
        ParseCase{"AllKeys",
                  "DefaultRate 30\nDefaultPitch -20\nDefaultVolume 100\n"
                  "DefaultVoiceType \"FEMALE1\"\nDefaultModule \"espeak-ng\"\n",
                  {30, -20, 100, "FEMALE1", "espeak-ng"}},
        ParseCase{"KeysAndTypesInAnyCase",
                  "  defaultrate\t-40\r\nDEFAULTVOICETYPE child_female\n",
                  {-40, 8, 9, "CHILD_FEMALE", "flite"}},
        ParseCase{
            "Comments",
            "# DefaultRate 50\n   # DefaultPitch 50\nDefaultVolume 60 # loud\nDefaultRate 5#0\n",
            {7, 8, 60, "MALE2", "flite"}},
        ParseCase{"QuotesKeepSpaces", "DefaultModule 'my synth'\n", {7, 8, 9, "MALE2", "my synth"}},
        ParseCase{"LastLineWins", "DefaultRate 10\nDefaultRate 20\n", {20, 8, 9, "MALE2", "flite"}},
        ParseCase{"NumbersAsTheParserReadsThem",
                  "DefaultRate +25%\nDefaultPitch 0x10\n",
                  {25, 16, 9, "MALE2", "flite"}},
        ParseCase{"ContinuedLine", "DefaultRate \\\n  -60\n", {-60, 8, 9, "MALE2", "flite"}},
        ParseCase{"OutOfRange", "DefaultRate 101\nDefaultPitch -101\nDefaultVolume 1000\n", kBase},
        ParseCase{"Malformed",
                  "DefaultRate fast\nDefaultPitch\nDefaultVolume \"\"\nDefaultVoiceType robot\n"
                  "DefaultModule\nDefaultRate30\n",
                  kBase},
        ParseCase{"ClientSectionsBelongToTheirClients",
                  "BeginClient \"emacs:*\"\nDefaultRate 90\nEndClient\nDefaultPitch 40\n",
                  {7, 40, 9, "MALE2", "flite"}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

struct FileCase {
    const char* name;
    std::map<std::string, std::string> environment;
    std::map<std::string, std::string> files;  // "" stands for a file that cannot be read
    SpeechSettings expected;
};

class ReadDesktopSpeechSettingsTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(ReadDesktopSpeechSettingsTest, ReadsThePersonsFileElseTheSystems) {
    const FileCase& c = GetParam();
    const auto environment = [&](const char* name) {
        const auto found = c.environment.find(name);
        return found == c.environment.end() ? std::string() : found->second;
    };
    const auto readFile = [&](const std::string& path) -> std::optional<std::string> {
        const auto found = c.files.find(path);
        return found == c.files.end() ? std::nullopt : std::optional(found->second);
    };
    EXPECT_EQ(ReadDesktopSpeechSettings(environment, readFile), c.expected);
}

const std::string kSystem = "/etc/speech-dispatcher/speechd.conf";
const std::string kSystemText = "DefaultVolume 100\nDefaultPitch 40\n";

INSTANTIATE_TEST_SUITE_P(
    Desktops, ReadDesktopSpeechSettingsTest,
    ::testing::Values(
        FileCase{
            "PersonsFileReplacesTheSystems",
            {{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/ann"}},
            {{"/cfg/speech-dispatcher/speechd.conf", "DefaultRate 20"}, {kSystem, kSystemText}},
            {20, 0, 0, "MALE1", ""}},
        FileCase{"ConfigHomeDefaultsToDotConfig",
                 {{"HOME", "/home/ann"}},
                 {{"/home/ann/.config/speech-dispatcher/speechd.conf", "DefaultRate 20"}},
                 {20, 0, 0, "MALE1", ""}},
        FileCase{"SystemFileWhenThePersonHasNone",
                 {{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/ann"}},
                 {{"/home/ann/.config/speech-dispatcher/speechd.conf", "DefaultRate 20"},
                  {kSystem, kSystemText}},
                 {0, 40, 100, "MALE1", ""}},
        FileCase{"UnreadableFileMeansDefaults",
                 {{"HOME", "/home/ann"}},
                 {{"/home/ann/.config/speech-dispatcher/speechd.conf", ""}, {kSystem, kSystemText}},
                 SpeechSettings{}},
        FileCase{"NoFilesMeanDefaults", {}, {}, SpeechSettings{}}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return info.param.name; });

struct EspeakCase {
    const char* name;
    SpeechSettings settings;
    EspeakVoiceParameters expected;
};

class ToEspeakTest : public ::testing::TestWithParam<EspeakCase> {};

TEST_P(ToEspeakTest, MapsAsSpeechDispatchersEspeakModule) {
    EXPECT_EQ(ToEspeak(GetParam().settings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ToEspeakTest,
    ::testing::Values(EspeakCase{"Defaults", {}, {170, 50, 100, ""}},
                      EspeakCase{"Slowest", {-100, -100, -100, "MALE2", ""}, {80, 0, 0, "m1"}},
                      EspeakCase{"Fastest", {100, 100, 100, "MALE3", ""}, {449, 100, 200, "m2"}},
                      EspeakCase{"Halfway", {-50, -50, -50, "FEMALE1", ""}, {125, 25, 50, "f1"}},
                      EspeakCase{"RoundsDown", {50, 1, 50, "FEMALE2", ""}, {309, 50, 150, "f2"}},
                      EspeakCase{"JustBelow", {-1, -1, 0, "FEMALE3", ""}, {170, 49, 100, "f3"}},
                      EspeakCase{"ChildMale", {0, 0, 0, "CHILD_MALE", ""}, {170, 50, 100, "m4"}},
                      EspeakCase{
                          "ChildFemale", {0, 0, 0, "CHILD_FEMALE", ""}, {170, 50, 100, "f4"}}),
    [](const ::testing::TestParamInfo<EspeakCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orlavo
