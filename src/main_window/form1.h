#pragma once

// Orlavo's one window, seen from the program: its members, the table of events and the handler
// each one runs. The window toolkit raises the events (from main.cpp, through the Qt window in
// platform/); the handlers do the work through the services passed in, so tests drive Form1 with
// fakes. A handler that fails shows the error and the program goes on.

#include <string>

#include "book_loading/book_loader.h"
#include "form_state/form1_members.h"
#include "main_window/event_dialogs.h"
#include "platform/application.h"
#include "platform/desktop_session.h"
#include "platform/form_event.h"
#include "platform/window_geometry.h"
#include "reading/reading_commands.h"

namespace orlavo {

struct Form1Services {
    BookList& list;
    TextBox& pathBox;
    Label& title;
    Dialogs& dialogs;
    FileDialog& fileDialog;
    std::shared_ptr<FileReader> files;
    EventPump& pump;
    Clock& clock;
    Application& app;
    WindowGeometry& window;
    BackgroundWork& background;
    // The desktop's media controls and idle timer.
    DesktopSession& desktop;
    // Makes the voice; raises a RuntimeError that says why when speech is unavailable.
    VoiceKeeper::Factory createVoice;
    // The desktop's decimal mark, for typed line numbers.
    std::string decimalMark = ".";
    // Whether a screen reader runs, which decides how the voice is made; none when absent.
    ScreenReader* screenReader = nullptr;
};

class Form1 {
  public:
    // The window's events and the media controls, one set for every source (platform/).
    using Event = FormEvent;

    explicit Form1(Form1Services services);

    // Runs the handler of an event. An error that escapes a handler is shown to the person with
    // its number and text; it never ends the program.
    void Raise(Event event);
    // Whether the event is to run the moment it is chosen, even while another command is busy:
    // closing always; while reading, the commands that stop, start or move it, so that the person
    // hears them act at once rather than at the end of the item.
    bool RunsAtOnce(Event event) const;

    const Form1Members& members() const { return m_members; }

    void Form_Load();
    void LoadEBook_Click();
    void StartOrlavo_Click();
    void StartOrlavoFromLine_Click();
    void StopOrlavo_Click();
    void Form_Unload();
    // Play starts reading, or goes on from where it stopped; Pause and Stop stop it as Stop Orlavo
    // does, without a box; Play-Pause does whichever changes something. A media key that finds
    // Orlavo already as asked does nothing.
    void MediaKey(Event key);

  private:
    // Whether there is a voice to read with; when there is none, a box says why.
    bool VoiceReady();

    Form1Services m_services;
    Form1Members m_members;
    EventDialogs m_dialogs;
    BookLoader m_loader;
    ReadingCommands m_reading;
};

}  // namespace orlavo
