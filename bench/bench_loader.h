#pragma once

// Orlavo's loader wired to the real list (model and view) and the real file reader, with the
// dialog answering a fixed path and the tests' recording fakes for the boxes and labels, so a
// measurement covers the load from the chosen path to the list filled and the title set, and
// nothing else.

#include <QApplication>

#include <optional>
#include <string>

#include "book_loading/book_loader.h"
#include "fakes/fake_platform.h"
#include "form_state/form1_members.h"
#include "platform/posix/posix_file_reader.h"
#include "platform/qt/book_list_model.h"
#include "platform/qt/book_list_view.h"
#include "platform/qt/qt_background_work.h"
#include "platform/qt/qt_book_list.h"

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
    BookListView view;
    QtBookList list{view, model};
    testing::FakePlatform fakes;  // the path box, the title, the boxes and the program's folder
    ChosenPath dialog;
    std::shared_ptr<PosixFileReader> files = std::make_shared<PosixFileReader>();
    Form1Members members;
    QtBackgroundWork background;
    BookLoader loader{members,
                      {.list = list,
                       .pathBox = fakes,
                       .title = fakes,
                       .dialogs = fakes,
                       .fileDialog = dialog,
                       .files = files,
                       .app = fakes,
                       .background = background}};
};

}  // namespace orlavo::bench
