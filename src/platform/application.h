#pragma once

#include <string>

namespace orlavo {

class Application {
  public:
    virtual ~Application() = default;
    // Ends the process at once; never returns.
    [[noreturn]] virtual void EndProgram() = 0;
    // The folder that holds the program's own file.
    virtual std::string AppPath() const = 0;
};

}  // namespace orlavo
