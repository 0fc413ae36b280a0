#include "platform/qt/qt_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>
#include <cmath>
#include <utility>

#include "platform/qt/book_list_model.h"
#include "platform/qt/book_list_view.h"
#include "platform/qt/window_wait.h"
#include "texts/program_texts.h"

// The icon lives in a static library, whose resources the linker drops unless asked for by name.
static void LoadOrlavoResources() {
    Q_INIT_RESOURCE(orlavo);
}

namespace orlavo {
namespace {

// The client area and the controls, in device-independent pixels (15 twips each).
constexpr QSize kClientSize(602, 423);
constexpr QRect kPathBoxRect(632, 40, 233, 25);  // right of the client area: never seen
constexpr QRect kListRect(8, 32, 585, 381);
constexpr QRect kFooterRect(0, 416, 601, 25);  // only its top 7 pixels lie inside the window
constexpr QRect kTitleRect(0, 0, 593, 27);
constexpr QColor kGrey(192, 192, 192);

QIcon OrlavoIcon() {
    LoadOrlavoResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/icons/orlavo-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// Black or white, whichever stands out more from the background (by the relative luminance that
// measures contrast for people): black on the window's grey, 11.5 to 1.
QColor TextColourOn(const QColor& background) {
    const auto linear = [](float channel) {
        return channel <= 0.03928f ? channel / 12.92f : std::pow((channel + 0.055f) / 1.055f, 2.4f);
    };
    const float luminance = 0.2126f * linear(background.redF()) +
                            0.7152f * linear(background.greenF()) +
                            0.0722f * linear(background.blueF());
    return luminance > 0.179f ? Qt::black : Qt::white;
}

// The grey behind a widget, and its text in a colour that reads on it: a dark theme's light text
// would not. A menu bar draws its titles as button text.
void PaintGrey(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, kGrey);
    palette.setColor(QPalette::WindowText, TextColourOn(kGrey));
    if (qobject_cast<QMenuBar*>(&widget) != nullptr) {
        palette.setColor(QPalette::Button, kGrey);
        palette.setColor(QPalette::ButtonText, TextColourOn(kGrey));
    }
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

}  // namespace

QtWindow::QtWindow(const std::string& programName, const std::string& desktopEntry, QWidget* parent)
    : QMainWindow(parent),
      m_client(new QWidget(this)),
      m_txtSource(new QLineEdit(m_client)),
      m_list1(new BookListView(m_client)),
      m_label2(new QLabel(m_client)),
      m_label1(new QLabel(m_client)),
      m_model(new BookListModel(this)),
      m_bookList(*m_list1, *m_model),
      m_pathBox(*m_txtSource),
      m_titleLabel(*m_label1),
      m_dialogs(*this),
      m_geometry(*this) {
    const QString name = QString::fromStdString(programName);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORLAVO_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromStdString(desktopEntry));
    const QIcon icon = OrlavoIcon();
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);

    setWindowTitle(name);
    // A fixed frame: minimize and close, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    BuildControls();
    BuildMenu();
    // A GTK desktop in a high-contrast theme says so by its theme's name; others tell through the
    // desktop portal, once the bus answers.
    UseDesktopColours(qEnvironmentVariable("GTK_THEME").contains(QStringLiteral("HighContrast")));
    setCentralWidget(m_client);
    // Inside the window, not in a desktop-wide menu bar, so the client area keeps its size.
    menuBar()->setNativeMenuBar(false);
    menuBar()->setAccessibleName(QString::fromUtf8(window_texts::kMenuBarName));
    setFixedSize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());
}

QtWindow::~QtWindow() = default;

// The wait takes the person's input too. Qt counts the window manager's close request (Alt+F4)
// as input, and input held back while waiting is parked where the idle event loop does not look:
// the first close after start-up then waited for some later event, often for ever.
void QtWindow::ShowOnScreen() {
    show();
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() != nullptr && windowHandle()->isExposed()) && waited.elapsed() < 1000) {
        PumpWindowEvents(QEventLoop::AllEvents, std::chrono::milliseconds(20));
    }
}

void QtWindow::BringToFront() {
    showNormal();
    raise();
    activateWindow();
}

// The list and the path box draw on the theme's own colours, which already read together.
void QtWindow::UseDesktopColours(bool highContrast) {
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_label1),
                            static_cast<QWidget*>(m_label2), static_cast<QWidget*>(menuBar())}) {
        widget->setPalette(QPalette());
        widget->setAutoFillBackground(true);
        if (!highContrast) {
            PaintGrey(*widget);
        }
    }
}

void QtWindow::SetEventHandler(std::function<void(FormEvent)> handler) {
    m_handler = std::move(handler);
}

void QtWindow::BuildControls() {
    setObjectName(QStringLiteral("Form1"));

    m_txtSource->setObjectName(QStringLiteral("txtSource"));
    m_txtSource->setAccessibleName(QString::fromUtf8(window_texts::kPathBoxName));
    m_txtSource->setGeometry(kPathBoxRect);

    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QString::fromUtf8(window_texts::kListName));
    m_list1->setAccessibleDescription(QString::fromUtf8(window_texts::kListDescription));
    m_list1->setGeometry(kListRect);
    m_list1->setModel(m_model);
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setAccessibleName(QString::fromUtf8(window_texts::kFooterName));
    m_label2->setGeometry(kFooterRect);
    m_label2->setToolTip(QString::fromUtf8(window_texts::kFooterTip));

    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAccessibleName(QString::fromUtf8(window_texts::kTitleName));
    m_label1->setFixedSize(kTitleRect.size());
    m_label1->move(kTitleRect.topLeft());
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont titleFont(QStringLiteral("MS Sans Serif"));
    // Where that face is missing the nearest sans-serif is used, still bold and 18 points.
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setPointSize(18);
    titleFont.setWeight(QFont::Bold);
    m_label1->setFont(titleFont);

    QWidget::setTabOrder(m_list1, m_txtSource);
    m_list1->setFocus();
}

void QtWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu(QString::fromUtf8(window_texts::kFileMenu));
    file->setObjectName(QStringLiteral("File"));
    file->menuAction()->setObjectName(QStringLiteral("File"));
    file->setAccessibleName(QString::fromUtf8(window_texts::kFileMenuName));
    // The menu opens and closes with a separator line; some styles would hide those.
    file->setSeparatorsCollapsible(false);
    // Some styles draw a separator as a bare line flush with the menu's border, where the first
    // and last could not be told from the border; these lines have room around them.
    file->setStyleSheet(QStringLiteral(
        "QMenu::separator { height: 1px; margin: 4px 2px; background: palette(mid); }"));

    auto addSeparator = [file](const char* name) {
        file->addSeparator()->setObjectName(QLatin1String(name));
    };
    // Commands go on straight from the click, not queued, so that the handler sees them in the
    // order and at the moment they were chosen.
    auto addCommand = [this, file](const char* name, const char* caption, FormEvent event) {
        QAction* action = file->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, event] {
            if (m_handler) {
                m_handler(event);
            }
        });
    };

    addSeparator("Space");
    addCommand("LoadEBook", window_texts::kLoadEBook, FormEvent::kLoadEBookClick);
    addSeparator("Space3");
    addCommand("StartOrlavo", window_texts::kStartOrlavo, FormEvent::kStartOrlavoClick);
    addCommand("StartOrlavoFromLine", window_texts::kStartOrlavoFromLine,
               FormEvent::kStartOrlavoFromLineClick);
    addSeparator("space1");
    addCommand("StopOrlavo", window_texts::kStopOrlavo, FormEvent::kStopOrlavoClick);
    addSeparator("space2");
}

// Closing is the program's one way to end, and the handler ends the process itself after the
// closing animation; were Qt to close the window first there would be nothing left to animate.
void QtWindow::closeEvent(QCloseEvent* event) {
    if (!m_handler) {
        QMainWindow::closeEvent(event);
        return;
    }
    event->ignore();
    m_handler(FormEvent::kUnload);
}

}  // namespace orlavo
