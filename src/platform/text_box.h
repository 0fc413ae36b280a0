#pragma once

#include <string>

namespace orlavo {

// A single-line text box. It keeps the text it is given up to, not including, the first NUL.
class TextBox {
  public:
    virtual ~TextBox() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
};

}  // namespace orlavo
