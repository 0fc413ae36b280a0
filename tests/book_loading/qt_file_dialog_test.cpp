// The real open-file dialog, driven offscreen as a person would: it opens in the program's
// folder with its caption, lists .txt files in any letter case, and a typed or clicked path comes
// back to the load command in the buffer form.

#include "platform/qt_file_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include <optional>
#include <string>

#include "book_loading/book_loader.h"
#include "book_loading/pick_file.h"
#include "book_loading/temp_files.h"
#include "fakes/fake_platform.h"

namespace orlavo {
namespace {

// The names the dialog's file list shows once it has read the folder in the background.
QStringList Listed(const QListView& view, qsizetype expected) {
    QStringList names;
    QElapsedTimer clock;
    clock.start();
    while (names.size() < expected && clock.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        names.clear();
        for (int row = 0; row < view.model()->rowCount(view.rootIndex()); ++row) {
            names << view.model()->index(row, 0, view.rootIndex()).data().toString();
        }
    }
    names.sort();
    return names;
}

struct DialogCase {
    const char* name;
    // What the person types into the file name box ("!" first: clicks that name in the list);
    // nothing means they press Cancel. "@" stands for the starting folder.
    std::optional<QString> typed;
    // The chosen path the buffer must begin with.
    std::optional<std::string> path;
};

class QtFileDialogTest : public ::testing::TestWithParam<DialogCase> {};

TEST_P(QtFileDialogTest, ReturnsBufferFormOfWhatWasTyped) {
    testing::TempDir dir;
    for (const char* name : {"lower.txt", "UPPER.TXT", "Say \"Hi\".TxT", "notes.md", "txt"}) {
        dir.Write(name, "x");
    }
    testing::FakeApplication app;
    app.appPath = dir.path();
    const QString folder = QString::fromStdString(dir.path());
    const std::optional<QString>& typed = GetParam().typed;

    bool shown = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QListView*>(QStringLiteral("listView")) : nullptr;
        auto* edit =
            dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (edit == nullptr || view == nullptr) {
            return;
        }
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Load E Book TxT File"));
        EXPECT_EQ(dialog->directory().absolutePath(), folder);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("TxT (*.TxT)")});
        EXPECT_EQ(Listed(*view, 3), QStringList({"Say \"Hi\".TxT", "UPPER.TXT", "lower.txt"}));
        if (!typed) {
            dialog->reject();
            return;
        }
        if (typed->startsWith('!')) {
            const QModelIndexList hits = view->model()->match(
                view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole, typed->mid(1));
            ASSERT_EQ(hits.size(), 1);
            view->setFocus();
            view->selectionModel()->setCurrentIndex(
                hits.front(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
            edit->setFocus();
            edit->setText(QString(*typed).replace('@', folder));
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        // A dialog that refused the answer would wait for ever; close it so the test fails.
        QTimer::singleShot(3000, dialog, [dialog] { dialog->reject(); });
    });
    QtFileDialog fileDialog;
    const std::string buffer =
        PickFile(kLoadDialogTitle, {"*.TxT", ""}, {"TxT", ""}, 1.0F, fileDialog, app);

    ASSERT_TRUE(shown) << "no dialog was shown";
    QString expected;
    if (GetParam().path) {
        expected = folder + QString::fromStdString(*GetParam().path) + QChar(0);
    }
    const auto characters = static_cast<qsizetype>(expected.toUcs4().size());
    expected += QString(std::max<qsizetype>(0, kFileBufferLength - characters), ' ');
    EXPECT_EQ(buffer, expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QtFileDialogTest,
    ::testing::Values(DialogCase{"TypedFullPathOfMissingFileWithSpacesCommasAndAccents",
                                 "@/Caf\u00E9 Noir, Vol 1.txt", "/Caf\u00E9 Noir, Vol 1.txt"},
                      DialogCase{"TypedNameInStartingFolder", "UPPER.TXT", "/UPPER.TXT"},
                      DialogCase{"ClickedNameWithQuotes", "!Say \"Hi\".TxT", "/Say \"Hi\".TxT"},
                      DialogCase{"Cancel", std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
