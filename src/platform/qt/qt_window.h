#pragma once

// Orlavo's one window as Qt draws it, the widgets of Form1: the title, the book list, the hidden
// path box and the File menu. It does nothing by itself: every menu command and the closing of
// the window go to the event handler main.cpp sets, which decides when each runs, and the
// services below give the program's logic (main_window/form1.h) the list, the boxes and the
// window. Built by main.cpp.

#include <QMainWindow>
#include <functional>
#include <string>

#include "platform/form_event.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_book_list.h"
#include "platform/qt/qt_clock.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_label.h"
#include "platform/qt/qt_text_box.h"
#include "platform/qt/qt_window_geometry.h"

class QLabel;
class QLineEdit;

namespace orlavo {

class BookListModel;
class BookListView;

class QtWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `programName` is the caption and the name the desktop knows the program by, `desktopEntry`
    // the base name of its .desktop file.
    QtWindow(const std::string& programName, const std::string& desktopEntry,
             QWidget* parent = nullptr);
    ~QtWindow() override;

    // Hands on each command as it is chosen, and the close request (FormEvent::kUnload).
    void SetEventHandler(std::function<void(FormEvent)> handler);

    // Shows the window and waits (a second at most) until the window system has put it on the
    // screen, so that a box shown next is centred over it.
    void ShowOnScreen();
    // Brings the window up, out of the taskbar if need be, in front of the others.
    void BringToFront();
    // The window's own grey behind the title and the menu bar, with text in a colour that reads
    // on it whatever the theme; or, where the desktop asks for high contrast, the desktop's own
    // colours throughout.
    void UseDesktopColours(bool highContrast);

    BookList& bookList() { return m_bookList; }
    TextBox& pathBox() { return m_pathBox; }
    Label& titleLabel() { return m_titleLabel; }
    Dialogs& dialogs() { return m_dialogs; }
    EventPump& eventPump() { return m_eventPump; }
    Clock& clock() { return m_clock; }
    Application& application() { return m_application; }
    WindowGeometry& geometry() { return m_geometry; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenu();

    // The controls in the order they are created; the window owns them.
    QWidget* m_client;
    QLineEdit* m_txtSource;
    BookListView* m_list1;
    QLabel* m_label2;
    QLabel* m_label1;
    BookListModel* m_model;

    QtBookList m_bookList;
    QtTextBox m_pathBox;
    QtLabel m_titleLabel;
    QtDialogs m_dialogs;
    QtEventPump m_eventPump;
    QtClock m_clock;
    QtApplication m_application;
    QtWindowGeometry m_geometry;

    std::function<void(FormEvent)> m_handler;
};

}  // namespace orlavo
