#pragma once

// Orlavo's loader wired to the real list (model and QListView) and the real file reader, with the
// dialog answering a fixed path and the boxes silent, so a measurement covers the load from the
// chosen path to the list filled and the title set, and nothing else.

#include <QApplication>
#include <QListView>

#include <optional>
#include <string>

#include "book_loading/book_loader.h"
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

class SilentBoxes : public Dialogs {
  public:
    void MsgBox(const std::string&, MessageStyle, const std::string&) override {}
    std::string InputBox(const std::string&) override { return {}; }
};

class PlainTextBox : public TextBox {
  public:
    void SetText(const std::string& text) override { m_text = text.substr(0, text.find('\0')); }
    std::string Text() const override { return m_text; }

  private:
    std::string m_text;
};

class PlainLabel : public Label {
  public:
    void SetCaption(const std::string& caption) override { m_caption = caption; }

  private:
    std::string m_caption;
};

class NoApplication : public Application {
  public:
    [[noreturn]] void EndProgram() override { std::abort(); }
    std::string AppPath() const override { return "/"; }
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
    PlainTextBox pathBox;
    PlainLabel title;
    SilentBoxes boxes;
    ChosenPath dialog;
    PosixFileReader files;
    NoApplication app;
    Form1Members members;
    BookLoader loader{members, {list, pathBox, title, boxes, dialog, files, app}};
};

}  // namespace orlavo::bench
