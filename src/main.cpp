// Orlavo: reads a plain-text book aloud. Builds the window, the voice and the file services and
// hands them to Form1, whose handlers do the work.

#include <QApplication>

#include "main_window/form1.h"
#include "platform/posix_file_reader.h"
#include "platform/qt_file_dialog.h"
#include "platform/qt_main_window.h"
#include "platform/speech_voice.h"

namespace {

orlavo::Form1::Event EventOf(orlavo::QtMainWindow::Command command) {
    using Command = orlavo::QtMainWindow::Command;
    using Event = orlavo::Form1::Event;
    switch (command) {
        case Command::kLoadEBook:
            return Event::kLoadEBookClick;
        case Command::kStartOrlavo:
            return Event::kStartOrlavoClick;
        case Command::kStartOrlavoFromLine:
            return Event::kStartOrlavoFromLineClick;
        case Command::kStopOrlavo:
            return Event::kStopOrlavoClick;
        case Command::kClose:
            break;
    }
    return Event::kUnload;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    orlavo::QtMainWindow window;
    orlavo::QtFileDialog fileDialog;
    orlavo::PosixFileReader files;
    orlavo::Form1 form({window.bookList(), window.pathBox(), window.titleLabel(), window.dialogs(),
                        fileDialog, files, window.eventPump(), window.clock(), window.application(),
                        window.geometry(), [] { return orlavo::CreateSpeechVoice(); }});
    window.SetCommandHandler(
        [&form](orlavo::QtMainWindow::Command command) { form.Raise(EventOf(command)); });
    // The window is shown first, so that a message about missing speech appears over it rather
    // than alone somewhere on the screen.
    window.ShowOnScreen();
    form.Raise(orlavo::Form1::Event::kLoad);
    return application.exec();
}
