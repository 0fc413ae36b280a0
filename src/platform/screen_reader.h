#pragma once

namespace orlavo {

// Whether the person has a screen reader (Orca) speaking on the desktop. Beside one, the program
// reads through the screen reader's own speech queue, so the two take turns instead of talking
// over each other. Asked each time reading starts; answers without waiting on the desktop, from
// what it last said and a look at the running processes (ScreenReaderProcess), and false when
// neither tells of one.
class ScreenReader {
  public:
    virtual ~ScreenReader() = default;
    virtual bool Running() = 0;
};

}  // namespace orlavo
