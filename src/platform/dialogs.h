#pragma once

#include <string>

namespace orlavo {

enum class MessageStyle : int {
    kExclamation = 0x30,
    kInformation = 0x40,
};

// The modal boxes the program asks and tells the person with.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows the text (CR LF starts a new line) with the style's icon and one OK button; returns
    // when the person has dismissed it.
    virtual void MsgBox(const std::string& text, MessageStyle style, const std::string& title) = 0;
    // Asks with a prompt, an empty answer field, OK and Cancel; the text typed, empty on Cancel.
    virtual std::string InputBox(const std::string& prompt, const std::string& title) = 0;
};

}  // namespace orlavo
