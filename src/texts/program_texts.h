#pragma once

// Every word a person reads or hears from Orlavo, in one place: the window's captions and what a
// screen reader says of its parts, what Orlavo says aloud, and each message box, down to the
// reasons a book cannot be loaded or speech is unavailable. The README's Troubleshooting quotes
// several of them, so a change here is a change there. Every other folder may use this one; it
// uses none.

#include <chrono>
#include <cstddef>
#include <string>

namespace orlavo {

// The program's name: the window's caption, every message box's title, the sound server's name
// for the voice, the media controls' name for the player.
inline constexpr const char* kProgramName = "Orlavo";
// The base name of Orlavo's .desktop file (data/), by which the desktop finds its name and icon
// for the window and the media controls.
inline constexpr const char* kDesktopEntry = "io.github.orlavo.Orlavo";

// The window: its menu, and what a screen reader says of the parts it cannot read off the screen.
namespace window_texts {
inline constexpr const char* kFileMenu = "&File";
inline constexpr const char* kLoadEBook = "&Load E Book";
inline constexpr const char* kStartOrlavo = "&Start Orlavo";
inline constexpr const char* kStartOrlavoFromLine = "&Start Orlavo From Line";
inline constexpr const char* kStopOrlavo = "&Stop Orlavo";
inline constexpr const char* kMenuBarName = "Menu bar";
inline constexpr const char* kFileMenuName = "File";
inline constexpr const char* kPathBoxName = "Book file path";
inline constexpr const char* kListName = "Book";
inline constexpr const char* kListDescription =
    "The book's lines; reading starts at the selected line";
inline constexpr const char* kTitleName = "Book title";
inline constexpr const char* kFooterName = "Footer";
inline constexpr const char* kFooterTip = "Orlavo reads your book aloud";
// What the desktop shows of Orlavo's wish that the screen stay awake.
inline constexpr const char* kKeepingAwake = "Reading a book aloud";
}  // namespace window_texts

// Said when a start command finds no book to read, and after the last item of a book. These are
// Orlavo's own phrases, spoken in the desktop's language whatever the book's.
inline constexpr const char* kLoadBookFirst = "Load Ee Book First";
inline constexpr const char* kTheEnd = "The End";

// Reading from a line, and stopping.
inline constexpr const char* kEnterLinePrompt = "Enter Line Number, (Must Be Numeric)";
inline constexpr const char* kMaxPrefix = " Max ";
inline constexpr const char* kMinMessage = " Min 0";
inline constexpr const char* kStoppedOnLine = "You Stoped On Line ";

// Loading a book.
inline constexpr const char* kLoadDialogTitle = "Load E Book TxT File";
inline constexpr const char* kLoadedFrom = "Your E Book TxT File Is Loaded From";
// The box for a book that could not be loaded; the person keeps the book they had.
inline std::string CouldNotLoadText(const std::string& path, const std::string& why) {
    return std::string(kProgramName) + " could not load the book\r\n" + path + "\r\n\r\n" + why;
}
inline constexpr const char* kNotEnoughMemory = "There is not enough memory to hold it.";
inline std::string FileStoppedAnsweringText(std::chrono::seconds waited) {
    return "The file has stopped answering: nothing came from it for " +
           std::to_string(waited.count()) +
           " seconds. It may be on a network share or a disk that is not responding.";
}
inline constexpr const char* kNoSuchFile = "There is no file by that name.";
inline constexpr const char* kNoPermission = "You do not have permission to read this file.";
inline std::string CouldNotReadText(const std::string& reason) {
    return "The file could not be read: " + reason + ".";
}
inline constexpr const char* kIsAFolder = "This is a folder, not a file.";
inline constexpr const char* kNotAFile =
    "This is not an ordinary file but a device, a pipe or a socket, which cannot hold a book.";
inline std::string FileTooLargeText(const std::string& largest) {
    return "The file is larger than " + largest + ", too large to be a book Orlavo can read.";
}
inline std::string TextTooLargeText(std::size_t gigabytes) {
    return "The book is too large: its text would take more than " + std::to_string(gigabytes) +
           " GB of memory once decoded.";
}
inline std::string TooManyItemsText(long long most) {
    return "The book has more items than a list can hold (" + std::to_string(most) + ").";
}

// An error no command handles, as the box that shows it reads, and the runtime's own messages.
inline std::string RunTimeErrorText(int number, const std::string& message) {
    return "Run-time error '" + std::to_string(number) + "':\r\n\r\n" + message;
}
inline constexpr const char* kOverflowText = "Overflow";
inline constexpr const char* kInvalidArrayIndex = "Invalid property array index";
inline constexpr const char* kSubscriptOutOfRangeText = "Subscript out of range";
inline std::string NotANumberText(const std::string& text) {
    return "\"" + text + "\" is not a number";
}
// The closing animation, when the window system refuses a step; never shown.
inline constexpr const char* kWindowTooFar = "The window cannot be placed that far.";
inline constexpr const char* kWindowTooSmall = "The window cannot be made that small.";
inline constexpr const char* kWindowOnNoScreen = "The window is on no screen.";

// Speech. The box that tells the person the voice cannot speak, and why in their own terms.
inline std::string SpeechUnavailableText(const std::string& why) {
    return "Speech is unavailable, so Orlavo cannot read aloud.\r\n\r\n" + why;
}
// No voice could be made at all.
inline constexpr const char* kNoSpeechEngine = "There is no speech engine.";
// The voice's worker.
inline constexpr const char* kVoiceFailedUnknown = "The voice failed for an unknown reason.";
inline constexpr const char* kStillSpeaking = "The voice is still speaking the previous item.";
// The speech engine, espeak-ng; each followed by the engine's own reason: " (...)."
inline constexpr const char* kEngineDataMissing = "The speech engine could not load its data";
inline constexpr const char* kEngineCannotStart = "The speech engine could not start";
inline constexpr const char* kEngineCannotSpeak = "The speech engine could not speak the text";
inline std::string NoVoiceForText(const std::string& language) {
    return "There is no voice for the language \"" + language + "\"";
}
inline std::string VoiceNotLoadedText(const std::string& language) {
    return "The voice for the language \"" + language + "\" could not be loaded";
}
// The sound server. The first three are followed by the server's own reason: " (Connection
// refused)."
inline constexpr const char* kNoSoundServer = "No sound server is running";
inline constexpr const char* kSoundServerCannotPlay = "The sound server cannot play the voice";
inline constexpr const char* kSoundServerStopped = "The sound server stopped";
inline constexpr const char* kSoundServerNotResponding = "The sound server stopped responding.";
inline constexpr const char* kOutputDeviceUnavailable = "The output device is not available.";
inline constexpr const char* kOutputDeviceGone = "The output device went away.";
// Silence asked for while an item plays; the person closed Orlavo, so nobody sees it.
inline constexpr const char* kSpeechCutOff = "Speech was cut off.";

// speech-dispatcher, beside a screen reader or when the desktop's settings choose another
// synthesizer.
namespace speechd_failures {
// speech-dispatcher was stopped or is stuck: a request of ours went unanswered.
inline constexpr const char* kStoppedAnswering = "speech-dispatcher stopped answering.";
inline constexpr const char* kNotRunning =
    "Speech Dispatcher is not running and cannot be started.";
inline constexpr const char* kConnectionLost = "The connection to Speech Dispatcher was lost.";
inline constexpr const char* kNoModuleList =
    "Speech Dispatcher does not say which speech synthesizers it has.";
inline constexpr const char* kTextRefused = "Speech Dispatcher does not accept the text.";

inline std::string ModuleMissing(const std::string& module) {
    return "The speech synthesizer \"" + module + "\" chosen for the desktop is not installed.";
}
inline std::string ModuleRefused(const std::string& module) {
    return "Speech Dispatcher cannot use the speech synthesizer \"" + module + "\".";
}
inline std::string LanguageRefused(const std::string& language) {
    return "Speech Dispatcher does not accept the language \"" + language + "\".";
}
// The synthesizer stopped, died or hung while it spoke a text of ours.
inline std::string StoppedSpeaking(const std::string& module) {
    return module.empty() ? "The speech synthesizer stopped speaking."
                          : "The speech synthesizer \"" + module + "\" stopped speaking.";
}
}  // namespace speechd_failures

}  // namespace orlavo
