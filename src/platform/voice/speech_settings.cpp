#include "platform/voice/speech_settings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/text/ascii.h"

namespace orlavo {

namespace {

constexpr const char* kSystemConfigFile = "/etc/speech-dispatcher/speechd.conf";

// The voice types speech-dispatcher knows, with the espeak-ng variant its espeak-ng module picks
// for each: it names the voice "language+N", and espeak-ng reads N below 10 as the male variant
// "mN" and N from 10 on as the female variant "f(N-10)"; 0 is the language's own voice.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kVoiceTypes = {{
    {"MALE1", ""},
    {"MALE2", "m1"},
    {"MALE3", "m2"},
    {"FEMALE1", "f1"},
    {"FEMALE2", "f2"},
    {"FEMALE3", "f3"},
    {"CHILD_MALE", "m4"},
    {"CHILD_FEMALE", "f4"},
}};

// The rate limits in the espeak-ng.conf speech-dispatcher ships (the module's defaults too), and
// the module's baseline pitch, around which the desktop's pitch moves (src/modules/espeak.c in
// speech-dispatcher, which builds both its espeak and its espeak-ng module).
constexpr int kEspeakMinRate = 80;
constexpr int kEspeakNormalRate = 170;
constexpr int kEspeakMaxRate = 449;
constexpr int kEspeakPitchBaseline = 50;

// The lines of the file, a line that ends in a backslash carried on into the next one.
std::vector<std::string> LogicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        current += line;
        const bool continued =
            end != std::string_view::npos && !current.empty() && current.back() == '\\';
        if (continued) {
            current.pop_back();
            // An escaped backslash ends the line after all.
            if (current.empty() || current.back() != '\\') {
                continue;
            }
        }
        lines.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) {
        lines.push_back(std::move(current));
    }
    return lines;
}

struct Command {
    std::string name;
    std::vector<std::string> arguments;
};

// A line's option name and arguments. Quotes group white space into an argument and are dropped,
// a backslash takes the next character as it is, and an unquoted '#' ends the line, dropping the
// word it interrupts. An empty argument ends the arguments. Words are split on the C locale's white
// space, as speech-dispatcher's own parser splits them.
Command Tokenize(std::string_view line) {
    Command command;
    std::size_t pos = 0;
    while (pos < line.size() && ascii::IsWhitespace(line[pos])) {
        ++pos;
    }
    if (pos == line.size() || line[pos] == '#') {
        return command;
    }
    while (pos < line.size() && !ascii::IsWhitespace(line[pos])) {
        command.name += line[pos++];
    }
    while (true) {
        while (pos < line.size() && ascii::IsWhitespace(line[pos])) {
            ++pos;
        }
        std::string argument;
        bool singleQuoted = false;
        bool doubleQuoted = false;
        for (; pos < line.size(); ++pos) {
            const char c = line[pos];
            const bool quoted = singleQuoted || doubleQuoted;
            if (c == '\'' && !doubleQuoted) {
                singleQuoted = !singleQuoted;
            } else if (c == '"' && !singleQuoted) {
                doubleQuoted = !doubleQuoted;
            } else if (c == '\\' && pos + 1 < line.size()) {
                argument += line[++pos];
            } else if (!quoted && ascii::IsWhitespace(c)) {
                break;
            } else if (!quoted && c == '#') {
                return command;
            } else {
                argument += c;
            }
        }
        if (argument.empty()) {
            return command;
        }
        command.arguments.push_back(std::move(argument));
    }
}

// A number as the parser reads one: an optional sign, then decimal, 0x hexadecimal or 0 octal
// digits, anything after them ignored ("25%" is 25).
void SetLevel(const std::vector<std::string>& arguments, int& level) {
    if (arguments.empty()) {
        return;
    }
    const char* text = arguments.front().c_str();
    char* end = nullptr;
    const long value = std::strtol(text, &end, 0);
    if (end != text && value >= -100 && value <= 100) {
        level = static_cast<int>(value);
    }
}

void SetVoiceType(const std::vector<std::string>& arguments, std::string& voiceType) {
    if (arguments.empty()) {
        return;
    }
    const std::string name = ascii::Uppercase(arguments.front());
    const bool known = std::any_of(kVoiceTypes.begin(), kVoiceTypes.end(),
                                   [&](const auto& type) { return type.first == name; });
    if (known) {
        voiceType = name;
    }
}

}  // namespace

SpeechSettings ParseSpeechSettings(std::string_view confText, SpeechSettings base) {
    SpeechSettings settings = std::move(base);
    bool inClientSection = false;
    for (const std::string& line : LogicalLines(confText)) {
        const Command command = Tokenize(line);
        const std::string name = ascii::Uppercase(command.name);
        // Settings between BeginClient and EndClient belong to the clients that section names.
        if (name == "BEGINCLIENT") {
            inClientSection = true;
        } else if (name == "ENDCLIENT") {
            inClientSection = false;
        } else if (inClientSection) {
            continue;
        } else if (name == "DEFAULTRATE") {
            SetLevel(command.arguments, settings.rate);
        } else if (name == "DEFAULTPITCH") {
            SetLevel(command.arguments, settings.pitch);
        } else if (name == "DEFAULTVOLUME") {
            SetLevel(command.arguments, settings.volume);
        } else if (name == "DEFAULTVOICETYPE") {
            SetVoiceType(command.arguments, settings.voiceType);
        } else if (name == "DEFAULTMODULE" && !command.arguments.empty()) {
            settings.module = command.arguments.front();
        }
    }
    return settings;
}

std::optional<std::string> ReadConfigFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file) {
        text << file.rdbuf();
    }
    return text.str();
}

SpeechSettings ReadDesktopSpeechSettings(const EnvironmentLookup& environment,
                                         const ConfigFileReader& readFile) {
    std::string configHome = environment("XDG_CONFIG_HOME");
    if (configHome.empty()) {
        const std::string home = environment("HOME");
        if (!home.empty()) {
            configHome = home + "/.config";
        }
    }
    if (!configHome.empty()) {
        if (const auto text = readFile(configHome + "/speech-dispatcher/speechd.conf")) {
            return ParseSpeechSettings(*text);
        }
    }
    if (const auto text = readFile(kSystemConfigFile)) {
        return ParseSpeechSettings(*text);
    }
    return {};
}

EspeakVoiceParameters ToEspeak(const SpeechSettings& settings) {
    const int rate = std::clamp(settings.rate, -100, 100);
    const int pitch = std::clamp(settings.pitch, -100, 100);
    const int volume = std::clamp(settings.volume, -100, 100);
    EspeakVoiceParameters parameters;
    parameters.wordsPerMinute =
        rate < 0 ? kEspeakNormalRate + (kEspeakNormalRate - kEspeakMinRate) * rate / 100
                 : kEspeakNormalRate + (kEspeakMaxRate - kEspeakNormalRate) * rate / 100;
    // The module computes the pitch in single precision and truncates; so does this.
    const float baseline = kEspeakPitchBaseline;
    parameters.pitch =
        pitch < 0
            ? static_cast<int>(static_cast<float>(pitch + 100) * baseline / 100.0f)
            : static_cast<int>(static_cast<float>(pitch) * (100.0f - baseline) / 100.0f + baseline);
    parameters.amplitude = volume + 100;
    const std::string type = ascii::Uppercase(settings.voiceType);
    for (const auto& [name, variant] : kVoiceTypes) {
        if (name == type) {
            parameters.variant = variant;
        }
    }
    return parameters;
}

}  // namespace orlavo
