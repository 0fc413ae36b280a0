#pragma once

// Orlavo's one window as the person sees it: the title, the book list, the hidden path box and
// the File menu. It does nothing by itself: every menu command and the closing of the window go
// to the command handler main.cpp sets, and the services below give the program's logic the
// list, the boxes and the window. Built by main.cpp; used through Form1.

#include <QMainWindow>
#include <deque>
#include <functional>

#include "platform/qt_application.h"
#include "platform/qt_book_list.h"
#include "platform/qt_clock.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_label.h"
#include "platform/qt_text_box.h"
#include "platform/qt_window_geometry.h"

class QLabel;
class QLineEdit;
class QListView;

namespace orlavo {

class BookListModel;

class QtMainWindow : public QMainWindow {
    Q_OBJECT

  public:
    enum class Command { kLoadEBook, kStartOrlavo, kStartOrlavoFromLine, kStopOrlavo, kClose };

    explicit QtMainWindow(QWidget* parent = nullptr);
    ~QtMainWindow() override;

    // Runs each command to its end as it is chosen. A command given while another is running
    // (from inside the event pump) runs nested in it.
    void SetCommandHandler(std::function<void(Command)> handler);

    // Shows the window and waits (a second at most) until the window system has put it on the
    // screen, so that a box shown next is centred over it.
    void ShowOnScreen();

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
    void Run(Command command);
    void RunHeldCommands();

    // The controls in the order they are created; the window owns them.
    QWidget* m_client;
    QLineEdit* m_txtSource;
    QListView* m_list1;
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

    std::function<void(Command)> m_handler;
    int m_commandsRunning = 0;
    std::deque<Command> m_heldCommands;
};

}  // namespace orlavo
