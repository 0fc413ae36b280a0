// The real open-file dialog, driven offscreen as a person would: it opens in the program's
// folder with its caption, lists .txt files in any letter case, and a typed path comes back to
// the load command in the buffer form.

#include "platform/qt_file_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "book_loading/book_loader.h"
#include "book_loading/pick_file.h"
#include "book_loading/temp_files.h"
#include "fakes/fake_platform.h"

namespace orlavo {
namespace {

using namespace std::string_literals;

QFileDialog* OpenDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

// The names the dialog's file list shows once it has read the folder (it reads in the
// background), waiting until `expected` many appear or two seconds pass.
std::set<std::string> ListedNames(QFileDialog& dialog, std::size_t expected) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    std::set<std::string> names;
    if (view == nullptr) {
        return names;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        const QAbstractItemModel* model = view->model();
        names.clear();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            names.insert(model->index(row, 0, view->rootIndex()).data().toString().toStdString());
        }
        if (names.size() >= expected) {
            break;
        }
    }
    return names;
}

// Selects a listed file as a click on it would.
void ClickName(QFileDialog& dialog, const std::string& name) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        const QModelIndex index = model->index(row, 0, view->rootIndex());
        if (index.data().toString().toStdString() == name) {
            view->setFocus();
            view->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
}

struct SeenDialog {
    std::string caption;
    std::string folder;
    QStringList nameFilters;
    std::set<std::string> listed;
    bool found = false;
};

struct DialogCase {
    const char* name;
    // What the person types into the file name box; nothing means they press Cancel.
    std::optional<std::string> typed;
    // The chosen path the buffer must begin with; "@" stands for the starting folder.
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
    const auto resolve = [&dir](std::string text) {
        if (!text.empty() && text.front() == '@') {
            text.replace(0, 1, dir.path());
        }
        return text;
    };

    SeenDialog seen;
    QTimer::singleShot(0, qApp, [&] {
        QFileDialog* dialog = OpenDialog();
        if (dialog == nullptr) {
            return;
        }
        seen.found = true;
        seen.caption = dialog->windowTitle().toStdString();
        seen.folder = dialog->directory().absolutePath().toStdString();
        seen.nameFilters = dialog->nameFilters();
        seen.listed = ListedNames(*dialog, 3);
        if (!GetParam().typed) {
            dialog->reject();
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit == nullptr) {
            dialog->reject();
            return;
        }
        const std::string& typed = *GetParam().typed;
        if (typed.front() == '!') {
            ClickName(*dialog, typed.substr(1));
        } else {
            edit->setFocus();
            edit->setText(QString::fromStdString(resolve(typed)));
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        // A dialog that refused the answer would wait for ever; close it so the test fails.
        QTimer::singleShot(3000, dialog, [dialog] { dialog->reject(); });
    });
    QtFileDialog fileDialog;
    const std::string buffer =
        PickFile(kLoadDialogTitle, {"*.TxT", ""}, {"TxT", ""}, 1.0F, fileDialog, app);

    ASSERT_TRUE(seen.found) << "no dialog was shown";
    EXPECT_EQ(seen.caption, "Load E Book TxT File");
    EXPECT_EQ(seen.folder, dir.path());
    EXPECT_EQ(seen.nameFilters, QStringList{QStringLiteral("TxT (*.TxT)")});
    EXPECT_EQ(seen.listed, (std::set<std::string>{"lower.txt", "UPPER.TXT", "Say \"Hi\".TxT"}));
    std::string expected;
    if (GetParam().path) {
        expected = resolve(*GetParam().path) + '\0';
    }
    const auto characters =
        static_cast<std::size_t>(QString::fromStdString(expected).toUcs4().size());
    if (characters < kFileBufferLength) {
        expected.append(kFileBufferLength - characters, ' ');
    }
    EXPECT_EQ(buffer, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QtFileDialogTest,
    ::testing::Values(DialogCase{"TypedFullPathOfMissingFile", "@/Moby Dick.txt",
                                 "@/Moby Dick.txt"},
                      DialogCase{"TypedNameInStartingFolder", "UPPER.TXT", "@/UPPER.TXT"},
                      DialogCase{"TypedPathWithSpacesCommasAndAccents",
                                 "@/Caf\u00E9 Noir, Vol 1.txt", "@/Caf\u00E9 Noir, Vol 1.txt"},
                      DialogCase{"ClickedNameWithQuotes", "!Say \"Hi\".TxT", "@/Say \"Hi\".TxT"},
                      DialogCase{"Cancel", std::nullopt, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orlavo
