#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orlavo {

// The voice a person chose once for the whole desktop in speech-dispatcher's configuration (what
// spd-conf writes), so that a book sounds as the screen reader speaks. The defaults are the ones
// speech-dispatcher itself uses when its file does not set a value; its shipped file does set
// DefaultVolume 100.
struct SpeechSettings {
    int rate = 0;                     // -100 (slowest) ... 100 (fastest)
    int pitch = 0;                    // -100 (lowest) ... 100 (highest)
    int volume = 0;                   // -100 (softest) ... 100 (loudest)
    std::string voiceType = "MALE1";  // MALE1..3, FEMALE1..3, CHILD_MALE, CHILD_FEMALE
    std::string module;               // the synthesizer; empty leaves speech-dispatcher's choice

    bool operator==(const SpeechSettings&) const = default;
};

// Reads DefaultRate, DefaultPitch, DefaultVolume, DefaultVoiceType and DefaultModule from the text
// of a speechd.conf as speech-dispatcher reads it: keys in any case, '#' comments, quoted values,
// the last line winning, and client-specific sections left to their clients. A key that is
// missing, lacks a value, holds something else or lies out of range keeps `base`'s value.
SpeechSettings ParseSpeechSettings(std::string_view confText, SpeechSettings base = {});

// The value of an environment variable; empty when it is unset.
using EnvironmentLookup = std::function<std::string(const char* name)>;
// The text of a configuration file: nullopt when there is no such file, empty when it exists
// but cannot be read.
using ConfigFileReader = std::function<std::optional<std::string>(const std::string& path)>;

std::optional<std::string> ReadConfigFile(const std::string& path);

// The person's settings: their own $XDG_CONFIG_HOME/speech-dispatcher/speechd.conf (the config
// home defaulting to $HOME/.config) when it exists, else the system's
// /etc/speech-dispatcher/speechd.conf. Like speech-dispatcher, it reads that one file only: the
// person's own file replaces the system's, and one it cannot read means the defaults.
SpeechSettings ReadDesktopSpeechSettings(const EnvironmentLookup& environment,
                                         const ConfigFileReader& readFile = ReadConfigFile);

// The espeak-ng parameters for the settings.
struct EspeakVoiceParameters {
    int wordsPerMinute = 0;  // espeakRATE
    int pitch = 0;           // espeakPITCH, 0..100
    int amplitude = 0;       // espeakVOLUME, 0..200 (100 is the engine's own level)
    std::string variant;     // appended to the voice name as "+variant"; empty for none

    bool operator==(const EspeakVoiceParameters&) const = default;
};

// Maps the settings exactly as speech-dispatcher's espeak-ng output module does (with the rate
// limits of its shipped espeak-ng.conf), so that the program's own espeak-ng voice sounds as the
// screen reader does through speech-dispatcher. Select the voice and variant first, then set the
// rate, amplitude and pitch, as the module does.
EspeakVoiceParameters ToEspeak(const SpeechSettings& settings);

}  // namespace orlavo
