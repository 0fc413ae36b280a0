#pragma once

// Orlavo's loader wired to the real list (model and QListView) and the real file reader, with the
// dialog answering a fixed path and the tests' recording fakes for the boxes and labels, so a
// measurement covers the load from the chosen path to the list filled and the title set, and
// nothing else.

#include <QApplication>
#include <QListView>

#include <optional>
#include <string>

#include "book_loading/book_loader.h"
#include "fakes/fake_platform.h"
#include "main_window/form1_members.h"
#include "platform/book_list_model.h"
#include "platform/posix_file_reader.h"
#include "platform/qt_book_list.h"

namespace orlavo::bench {

class ChosenPath : public FileDialog {
  public:
    explicit ChosenPath(std::string path) : m_path(std::move(path)) {}
    std::optional<std::string> GetOpenFileName(const OpenFileRequest&) override { return m_path; }

  private:
    std::string m_path;
};

struct BenchLoader {
    explicit BenchLoader(const std::string& path) : dialog(path) {
        view.setUniformItemSizes(true);
        view.setModel(&model);
        view.resize(600, 400);
        view.show();
        QApplication::processEvents();
    }

    // One load, including the view laying out the new rows.
    void Load() {
        loader.LoadEBook_Click();
        QApplication::processEvents();
    }

    BookListModel model;
    QListView view;
    QtBookList list{view, model};
    testing::Journal journal;
    testing::FakeTextBox pathBox;
    testing::FakeLabel title;
    testing::FakeDialogs boxes{journal};
    ChosenPath dialog;
    PosixFileReader files;
    testing::FakeApplication app;
    Form1Members members;
    BookLoader loader{members, {list, pathBox, title, boxes, dialog, files, app}};
};

}  // namespace orlavo::bench
