#pragma once

#include <chrono>
#include <string>

namespace orlavo {

// The program's name: the window's caption, every message box's title, the sound server's name
// for the voice.
inline constexpr const char* kProgramName = "Orlavo";
// The base name of Orlavo's .desktop file (data/), by which the desktop finds its name and icon
// for the window and the media controls.
inline constexpr const char* kDesktopEntry = "io.github.orlavo.Orlavo";

// Said when a start command finds no book to read, and after the last item of a book. These are
// Orlavo's own phrases, spoken in the desktop's language whatever the book's.
inline constexpr const char* kLoadBookFirst = "Load Ee Book First";
inline constexpr const char* kTheEnd = "The End";

// Reading from a line.
inline constexpr const char* kEnterLinePrompt = "Enter Line Number, (Must Be Numeric)";
inline constexpr const char* kMaxPrefix = " Max ";
inline constexpr const char* kMinMessage = " Min 0";
inline constexpr const char* kStoppedOnLine = "You Stoped On Line ";

// Loading a book.
inline constexpr const char* kLoadDialogTitle = "Load E Book TxT File";
inline constexpr const char* kLoadedFrom = "Your E Book TxT File Is Loaded From";
inline std::string FileStoppedAnsweringText(std::chrono::seconds waited) {
    return "The file has stopped answering: nothing came from it for " +
           std::to_string(waited.count()) +
           " seconds. It may be on a network share or a disk that is not responding.";
}

// An error no command handles, as the box that shows it reads.
inline std::string RunTimeErrorText(int number, const std::string& message) {
    return "Run-time error '" + std::to_string(number) + "':\r\n\r\n" + message;
}

}  // namespace orlavo
