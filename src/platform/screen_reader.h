#pragma once

namespace orlavo {

// Whether the person has a screen reader (Orca) speaking on the desktop. Beside one, the program
// reads through the screen reader's own speech queue, so the two take turns instead of talking
// over each other. Asked each time reading starts; answers at once from what the desktop last
// said, and false when it says nothing.
class ScreenReader {
  public:
    virtual ~ScreenReader() = default;
    virtual bool Running() = 0;
};

}  // namespace orlavo
