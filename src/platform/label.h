#pragma once

#include <string>

namespace orlavo {

class Label {
  public:
    virtual ~Label() = default;
    virtual void SetCaption(const std::string& caption) = 0;
};

}  // namespace orlavo
