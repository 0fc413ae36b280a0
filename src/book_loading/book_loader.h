#pragma once

// Loading a book: asks for a text file, reads and decodes it whole off the window's thread, then
// replaces the book list, the path box and the title in one step and confirms with a message box.
// Called by the window's Load E Book command; a file that cannot be used, or that stops answering,
// leaves the current book as it was and a message box says why. The pieces: PickFile (the dialog
// request), DecodeBookText (bytes in any common encoding to UTF-8), GuessBookLanguage (the language
// its items are spoken in), ReadBookItems (the item rules) and BookTitle (the title rule).

#include <chrono>
#include <cstddef>
#include <memory>

#include "form_state/form1_members.h"
#include "platform/application.h"
#include "platform/background_work.h"
#include "platform/book_list.h"
#include "platform/dialogs.h"
#include "platform/file_dialog.h"
#include "platform/file_reader.h"
#include "platform/label.h"
#include "platform/text_box.h"

namespace orlavo {

// No plain-text book comes near this; a bigger file is almost surely chosen by mistake.
inline constexpr std::size_t kLargestBook = std::size_t{1} << 30;
// A read that brings no byte for this long is given up: a book on a network share that stopped
// answering would otherwise hold every command for ever.
inline constexpr std::chrono::seconds kLongestReadStall{10};

struct LoadingServices {
    BookList& list;
    TextBox& pathBox;
    Label& title;
    Dialogs& dialogs;
    FileDialog& fileDialog;
    // Owned with the loads that may outlive the command, on a file that stopped answering.
    std::shared_ptr<FileReader> files;
    Application& app;
    BackgroundWork& background;
};

class BookLoader {
  public:
    BookLoader(Form1Members& members, LoadingServices services);

    void LoadEBook_Click();

  private:
    Form1Members& m_members;
    LoadingServices m_services;
};

}  // namespace orlavo
