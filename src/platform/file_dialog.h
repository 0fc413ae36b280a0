#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orlavo {

struct FileTypeFilter {
    std::string description;  // what the dialog shows for the type
    std::string pattern;      // for instance "*.TxT"; matched in any letter case
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileTypeFilter> filters;
    std::string initialFolder;
};

// The platform's open-file dialog, modal, with no owner window.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // The chosen path, or nothing when the person cancelled.
    virtual std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) = 0;
};

}  // namespace orlavo
