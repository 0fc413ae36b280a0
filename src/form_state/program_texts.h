#pragma once

#include <string>

namespace orlavo {

// The program's name: the window's caption, every message box's title, the sound server's name
// for the voice.
inline constexpr const char* kProgramName = "Orlavo";

// Said when a start command finds no book to read, and after the last item of a book. These are
// Orlavo's own phrases, spoken in the desktop's language whatever the book's.
inline constexpr const char* kLoadBookFirst = "Load Ee Book First";
inline constexpr const char* kTheEnd = "The End";

// The box that tells the person the voice cannot speak, and why in their own terms (the sound
// server, the output device, speech-dispatcher).
inline std::string SpeechUnavailableText(const std::string& why) {
    return "Speech is unavailable, so Orlavo cannot read aloud.\r\n\r\n" + why;
}

}  // namespace orlavo
