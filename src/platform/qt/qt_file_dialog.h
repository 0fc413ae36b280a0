#pragma once

#include <optional>
#include <string>

#include "platform/file_dialog.h"

namespace orlavo {

// The open-file dialog as Qt's own QFileDialog (not the desktop's), so it looks and behaves the
// same on every desktop and under a virtual X server. File types match in any letter case, as a
// Windows-made "BOOK.TXT" must show next to "book.txt". A typed path is accepted even when no such
// file exists: the loader says what is wrong with it, in words, rather than the dialog refusing.
class QtFileDialog : public FileDialog {
  public:
    std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) override;
};

}  // namespace orlavo
