#pragma once

#include <cstdint>
#include <string>

namespace orlavo {

// What the media controls show: reading, paused (by the media controls' Pause) or stopped.
enum class ReadingState { kStopped, kPaused, kReading };

// What the desktop around the window is told about reading: its media controls (a headset's
// buttons, the lock screen, playerctl) show whether Orlavo is reading, the book and the item, and
// the desktop is asked not to blank, lock or suspend meanwhile. Each call returns at once; a
// desktop that does not answer, or has none of this, changes nothing for the person at the window.
class DesktopSession {
  public:
    virtual ~DesktopSession() = default;
    // What the media controls show.
    virtual void ShowState(ReadingState state) = 0;
    // The item being read, by its list position (-1 for none), and the title of its book.
    virtual void ShowItem(std::int32_t position, const std::string& bookTitle) = 0;
    // Whether the desktop is asked not to go idle.
    virtual void KeepAwake(bool awake) = 0;
    // Tells the person through the desktop's notifications, where a box in the window could wait
    // unseen (Orlavo steered from the lock screen).
    virtual void Notify(const std::string& text) = 0;
};

}  // namespace orlavo
