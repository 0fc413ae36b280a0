#pragma once

#include "platform/application.h"

namespace orlavo {

class QtApplication : public Application {
  public:
    // Ends the process without unwinding: a book being read is cut off mid-word, nothing is
    // cleaned up and no other handler runs.
    [[noreturn]] void EndProgram() override;
    std::string AppPath() const override;
};

}  // namespace orlavo
