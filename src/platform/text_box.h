#pragma once

#include <string>

namespace orlavo {

// A single-line text box that shows what it is given.
class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual void SetText(const std::string& text) = 0;
};

}  // namespace orlavo
