// What Orlavo's start-up is measured against: a bare Qt window with the same File menu and a list,
// doing nothing else (bench/startup/measure_startup.py).

#include <QApplication>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Hello"));
    window.menuBar()->setNativeMenuBar(false);
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Load E Book"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Start Orlavo"));
    file->addAction(QStringLiteral("&Start Orlavo From Line"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Stop Orlavo"));
    file->addSeparator();
    window.setCentralWidget(new QListView(&window));
    window.resize(602, 446);
    window.show();
    return application.exec();
}
