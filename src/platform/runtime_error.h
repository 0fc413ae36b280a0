#pragma once

#include <stdexcept>
#include <string>

namespace orlavo {

// The error numbers the program raises and recognises. A runtime error always carries one, so a
// caller can decide what to do from the number and still show the person the message.
enum ErrorNumber : int {
    kInvalidArgument = 5,
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kFileNotFound = 53,
    kFileCannotBeRead = 57,
    kInvalidListPosition = 381,
    kPassedOver = 383,  // the one number the reading loop steps past instead of stopping
    kSpeechFailed = 1000,
    kAudioFailed = 1001,
    kNoVoice = 1002,  // speech is unavailable, and the person has already been told why
};

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const std::string& message)
        : std::runtime_error(message), m_number(number) {}

    int number() const noexcept { return m_number; }

  private:
    int m_number;
};

}  // namespace orlavo
