// Orlavo: reads a plain-text book aloud. Builds the window, the voice, the file services and the
// desktop's media controls, and hands them to Form1, whose handlers do the work; ChosenCommands
// decides when each command the person chooses, on the menu or with a media key, runs.

#include <QApplication>
#include <QLocale>

#include "main_window/chosen_commands.h"
#include "main_window/form1.h"
#include "platform/dbus/atspi_screen_reader.h"
#include "platform/dbus/dbus_desktop_session.h"
#include "platform/posix/posix_file_reader.h"
#include "platform/posix/screen_reader_process.h"
#include "platform/qt/qt_background_work.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_window.h"
#include "platform/qt/window_wait.h"
#include "platform/voice_choice/voice_choice.h"
#include "texts/program_texts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    orlavo::QtWindow window(orlavo::kProgramName, orlavo::kDesktopEntry);
    orlavo::QtFileDialog fileDialog;
    const auto files = std::make_shared<orlavo::PosixFileReader>();
    orlavo::QtBackgroundWork background;
    // Asked now, so that its answer is in by the time the voice is first made.
    orlavo::AtspiScreenReader desktopScreenReader;
    orlavo::ScreenReaderProcess screenReader(desktopScreenReader);
    orlavo::StreamVolume volume;
    orlavo::DBusDesktopSession desktop(orlavo::kProgramName, orlavo::kDesktopEntry, volume);
    orlavo::Form1* form = nullptr;
    orlavo::ChosenCommands commands(
        window.eventPump(), [&form](orlavo::Form1::Event event) { form->Raise(event); },
        [&form](orlavo::Form1::Event event) { return form->RunsAtOnce(event); });
    orlavo::Form1 form1({.list = window.bookList(),
                         .pathBox = window.pathBox(),
                         .title = window.titleLabel(),
                         .dialogs = window.dialogs(),
                         .fileDialog = fileDialog,
                         .files = files,
                         .pump = commands,
                         .clock = window.clock(),
                         .app = window.application(),
                         .window = window.geometry(),
                         .background = background,
                         .desktop = desktop,
                         .createVoice =
                             [&volume](orlavo::VoiceRoute route) {
                                 return orlavo::CreateSpeechVoice(
                                     orlavo::kProgramName, route,
                                     [] { return std::make_unique<orlavo::WindowWait>(); },
                                     &volume);
                             },
                         .decimalMark = QLocale::system().decimalPoint().toStdString(),
                         .screenReader = &screenReader});
    form = &form1;
    window.SetEventHandler([&commands](orlavo::FormEvent event) { commands.Choose(event); });
    desktop.SetHighContrastHandler([&window](bool high) { window.UseDesktopColours(high); });
    desktop.SetEventHandler([&commands](orlavo::FormEvent event) { commands.Choose(event); });
    desktop.SetRaiseHandler([&window] { window.BringToFront(); });
    // The window is shown first, so that a message about missing speech appears over it rather
    // than alone somewhere on the screen.
    window.ShowOnScreen();
    // After the window is up, and in the background: the bus never delays it.
    desktop.Connect();
    commands.Choose(orlavo::Form1::Event::kLoad);
    return application.exec();
}
