#pragma once

#include <string>

#include "platform/desktop_session.h"
#include "platform/dialogs.h"

namespace orlavo {

// The boxes of the event being run. An event from the media controls (a headset's button, the lock
// screen) may come with nobody at the window to answer a box, and a box waiting there would hold
// every command after it; what such an event has to tell goes to the desktop as a notification
// instead. Events from the window itself keep their boxes, the menu's Stop its own.
class EventDialogs : public Dialogs {
  public:
    EventDialogs(Dialogs& boxes, DesktopSession& desktop) : m_boxes(boxes), m_desktop(desktop) {}

    // Whether messages go to the desktop rather than into boxes; returns the setting it replaces.
    bool TellTheDesktop(bool desktop) {
        const bool was = m_toDesktop;
        m_toDesktop = desktop;
        return was;
    }

    void MsgBox(const std::string& text, MessageStyle style, const std::string& title) override {
        if (m_toDesktop) {
            m_desktop.Notify(text);
        } else {
            m_boxes.MsgBox(text, style, title);
        }
    }
    // Only the window's own commands ask.
    std::string InputBox(const std::string& prompt, const std::string& title) override {
        return m_boxes.InputBox(prompt, title);
    }

  private:
    Dialogs& m_boxes;
    DesktopSession& m_desktop;
    bool m_toDesktop = false;
};

}  // namespace orlavo
